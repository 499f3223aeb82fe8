#include "support/TestSupport.h"

#include "convert/CSVtoLMSConversion.h"
#include "list/ListItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The generated catalogue in tests/data/hostile/csv: each file imports to
// the result or fails with the reason its line in cases.tsv names.
class tst_HostileCsv : public QObject
{
    Q_OBJECT

    QString m_folder;

    static QString catalogueFolder()
    {
        const QString folder = QStringLiteral(ROWSMITH_SOURCE_DIR "/tests/data/hostile/csv");
        return QFile::exists(folder + u"/cases.tsv"_s) ? folder : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        m_folder = catalogueFolder();
        QVERIFY2(!m_folder.isEmpty(), "tests/data/hostile/csv is missing");
    }

    void catalogue_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("expectation");
        QFile cases(m_folder + u"/cases.tsv"_s);
        QVERIFY(cases.open(QIODevice::ReadOnly));
        for (const QString &line : QString::fromUtf8(cases.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(u'\t');
            QCOMPARE(parts.size(), 3);
            QTest::newRow(qPrintable(parts.at(0))) << parts.at(0) << parts.at(1) << parts.at(2);
        }
    }

    void catalogue()
    {
        QFETCH(QString, file);
        QFETCH(QString, options);
        QFETCH(QString, expectation);
        CSVtoLMSConversion conversion;
        for (const QString &option : options.split(u',')) {
            if (option.startsWith(u"budget="))
                conversion.setMemoryBudget(option.mid(7).toLongLong());
        }
        QString error;
        const auto list = conversion.importFile(m_folder + u'/' + file, options.startsWith(u"quoted"), &error);
        if (expectation.startsWith(u"fail ")) {
            QVERIFY2(!list, "imported a file that must be refused");
            QVERIFY2(error.contains(expectation.mid(5)), qPrintable(error));
            return;
        }
        QVERIFY2(list, qPrintable(error));
        for (const QString &pair : expectation.mid(3).split(u';')) {
            const QString key = pair.section(u'=', 0, 0);
            const QString value = pair.section(u'=', 1);
            if (key == u"rows")
                QCOMPARE(list->tableItemObjectArray().size(), value.toLongLong());
            else if (key == u"rejected")
                QCOMPARE(conversion.errCount(), value.toInt());
            else if (key == u"encoding")
                QCOMPARE(CSVtoLMSConversion::encodingName(list->encodingType()), value);
            else if (key == u"titles")
                QCOMPARE(list->columnTitlesArray().mid(2), value.split(u'|'));
            else
                QFAIL(qPrintable(u"unknown expectation "_s + key));
        }
        // Every row keeps a value for every column and no row is marked.
        const qsizetype columns = list->columnTitlesArray().size() - 1;
        for (const Row &row : list->tableItemObjectArray()) {
            QCOMPARE(row.schema()->size(), columns);
            QCOMPARE(row.indication(), 0u);
        }
    }

    void whatIsNoRegularFileIsNamed()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(u"pipe.csv"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QDir().mkpath(dir.filePath(u"folder.csv"_s));
        const std::pair<QString, QString> cases[] = {
            {fifo, u"is a pipe (FIFO)"_s},
            {dir.filePath(u"folder.csv"_s), u"is a folder"_s},
            {dir.filePath(u"missing.csv"_s), u"no such file"_s},
        };
        for (const auto &[path, cause] : cases) {
            // A FIFO with no writer would block a plain open for ever.
            QString error;
            QVERIFY(!CSVtoLMSConversion().importFile(path, false, &error));
            QVERIFY2(error.contains(cause), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(tst_HostileCsv)
#include "tst_HostileCsv.moc"
