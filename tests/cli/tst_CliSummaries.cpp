#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What info and show --json print, read back as a script would.
class tst_CliSummaries : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        m_tool = QCoreApplication::applicationDirPath() + u"/../src/cli/rowsmith-cli"_s;
        if (!QFile::exists(m_tool))
            QSKIP("rowsmith-cli is not built beside the tests");
        QVERIFY(m_dir.isValid());
        const QString csv = m_dir.filePath(u"odd.csv"_s);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("id,text\n1,\"tab\there \\ back\"\n2,\"bell\x07 and \"\"quote\"\"\"\n3,\xe6\x97\xa5\xe6\x9c\xac\n");
        file.close();
        m_package = m_dir.filePath(u"odd.pgcd"_s);
        QCOMPARE(run({u"new"_s, m_package, u"--import"_s, csv, u"--quoted"_s}), 0);
    }

    void showJsonCarriesEveryCharacter()
    {
        QByteArray out;
        QCOMPARE(run({u"show"_s, m_package, u"--list"_s, u"odd"_s, u"--json"_s}, &out), 0);
        QJsonParseError error;
        const QJsonObject top = QJsonDocument::fromJson(out, &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
        const QJsonArray rows = top[u"rows"].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][u"cells"][u"text"].toString(), u"tab\there \\ back"_s);
        QCOMPARE(rows[1][u"cells"][u"text"].toString(), u"bell\x07 and \"quote\""_s);
        QCOMPARE(rows[2][u"cells"][u"text"].toString(), u"日本"_s);
        QCOMPARE(rows[2][u"mark"].toInt(), 0);
        QCOMPARE(top[u"titles"].toArray().size(), 4);
        QCOMPARE(top[u"widths"].toObject().size(), 4);
    }

    void infoReadsTheRootAndNamesWhatFails()
    {
        QByteArray out;
        QCOMPARE(run({u"info"_s, m_package, u"--json"_s}, &out), 0);
        const QJsonObject top = QJsonDocument::fromJson(out).object();
        QCOMPARE(top[u"lists"].toArray().size(), 1);
        QCOMPARE(top[u"lists"][0][u"rows"].toInt(), 3);
        QCOMPARE(top[u"document"].toString(), u"odd.pgcd"_s);

        // The counts come from the root: a damaged list file does not matter
        // to info, a damaged root does.
        const QString copy = m_dir.filePath(u"copy.pgcd"_s);
        QVERIFY(QDir().mkpath(copy));
        for (const QString &name : QDir(m_package).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(m_package).filePath(name), QDir(copy).filePath(name)));
        QFile list(QDir(copy).filePath(u"id0.listItems"_s));
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.close();
        QCOMPARE(run({u"info"_s, copy}, &out), 0);
        QVERIFY(out.contains("3 rows"));

        QFile root(QDir(copy).filePath(u"documentSource.pagestyle"_s));
        QVERIFY(root.open(QIODevice::WriteOnly | QIODevice::Truncate));
        root.write("not an archive");
        root.close();
        QByteArray err;
        QCOMPARE(run({u"info"_s, copy}, &out, &err), 1);
        QVERIFY2(err.contains("documentSource.pagestyle") && err.contains("archive:"), err.constData());
        QVERIFY(root.remove());
        QCOMPARE(run({u"info"_s, copy}, &out, &err), 1);
        QVERIFY2(err.contains("documentSource.pagestyle"), err.constData());
    }

private:
    int run(const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr)
    {
        QProcess process;
        process.start(m_tool, arguments);
        if (!process.waitForFinished(60000))
            return -1;
        if (out)
            *out = process.readAllStandardOutput();
        if (err)
            *err = process.readAllStandardError();
        return process.exitCode();
    }

    QString m_tool;
    QTemporaryDir m_dir;
    QString m_package;
};

QTEST_GUILESS_MAIN(tst_CliSummaries)
#include "tst_CliSummaries.moc"
