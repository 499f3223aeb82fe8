#include "convert/CSVtoLMSConversion.h"
#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "platform/AlertSheetModal.h"
#include "platform/NotificationCenter.h"
#include "platform/PolicyAlertPresenter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What one component writes, the other reads back: export to import, and the
// command-line tool over both.
class tst_ConvertRoundTrip : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { AlertSheetModal::setPresenter(&m_alerts); }
    void cleanupTestCase() { AlertSheetModal::setPresenter(nullptr); }
    void listFileAndQuotedCsvReadBackUnchanged();
    void commandLineTool();

private:
    static QVariantMap exportRequest(const QString &path, int fileType, const ListItem &list)
    {
        return {{u"filePath"_s, path},
                {u"fileType"_s, fileType},
                {u"encoding"_s, 1},
                {u"lineFeedCode"_s, true},
                {u"columnTitles"_s, list.columnTitlesArray()},
                {u"columnTitlesWidthDic"_s, list.columnTitlesWidthDic()},
                {u"itemObject"_s, QVariant::fromValue(list.tableItemObjectArray())}};
    }

    PolicyAlertPresenter m_alerts;
    NotificationCenter m_center; // keeps the tests' reports off the default centre
};

void tst_ConvertRoundTrip::listFileAndQuotedCsvReadBackUnchanged()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"source.csv"_s);
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("id,name,note\n1,plain,x\n2,\"with, comma\",\"say \"\"hi\"\"\"\n3,\"two\nlines\",\xe6\x97\xa5\xe6\x9c\xac\n");
    file.close();

    CSVtoLMSConversion reader;
    reader.setNotificationCenter(&m_center);
    QString error;
    const auto imported = reader.importFile(source, true, &error);
    QVERIFY2(imported, qPrintable(error));
    QCOMPARE(imported->tableItemObjectArray().size(), 3);
    QCOMPARE(imported->tableItemObjectArray().at(1).cellText(u"name"), QStringView(u"with, comma"));

    // Mark every row, export as Shift-JIS CSV with CR-LF, read back quoted.
    ListItem marked = *imported;
    RowList rows = marked.tableItemObjectArray();
    for (Row &row : rows)
        row.setIndication(1);
    marked.registerTableItemObjectArray(rows);
    OutputConverterFile writer;
    writer.setNotificationCenter(&m_center);
    writer.initializationUserObject();
    const QString csv = dir.filePath(u"out.csv"_s);
    QVERIFY(writer.exportWorkDictionary(exportRequest(csv, 0, marked)).success);
    CSVtoLMSConversion again;
    again.setNotificationCenter(&m_center);
    const auto reread = again.importFile(csv, true, &error);
    QVERIFY2(reread, qPrintable(error));
    QCOMPARE(reread->encodingType(), 8);
    QVERIFY(reread->crState());
    QCOMPARE(reread->selectColumnTitlesArray(), imported->selectColumnTitlesArray());
    for (qsizetype r = 0; r < rows.size(); ++r)
        for (const QString &title : imported->selectColumnTitlesArray())
            QCOMPARE(reread->tableItemObjectArray().at(r).cellText(title),
                     imported->tableItemObjectArray().at(r).cellText(title));

    // A list file keeps everything, marks included.
    writer.initializationUserObject();
    const QString pgcl = dir.filePath(u"out.pgcl"_s);
    QVERIFY(writer.exportWorkDictionary(exportRequest(pgcl, 1, marked)).success);
    CSVtoLMSConversion listReader;
    listReader.setNotificationCenter(&m_center);
    const auto listed = listReader.importFile(pgcl, false, &error);
    QVERIFY2(listed, qPrintable(error));
    QCOMPARE(listed->columnTitlesArray(), marked.columnTitlesArray());
    QCOMPARE(listed->tableItemObjectArray(), marked.tableItemObjectArray());
    QCOMPARE(listed->columnTitlesWidthDic().keys(), marked.columnTitlesWidthDic().keys());
}

void tst_ConvertRoundTrip::commandLineTool()
{
    const QString tool = QCoreApplication::applicationDirPath() + u"/../src/cli/rowsmith-cli"_s;
    if (!QFile::exists(tool))
        QSKIP("rowsmith-cli is not built beside the tests");
    const QString sample = QFINDTESTDATA("../../samples/products-sjis.csv");
    QVERIFY(!sample.isEmpty());
    QTemporaryDir dir;

    const auto run = [&](const QStringList &arguments, QByteArray *out = nullptr, QByteArray *err = nullptr) {
        QProcess process;
        process.start(tool, arguments);
        if (!process.waitForFinished(30000))
            return -1;
        if (out)
            *out = process.readAllStandardOutput();
        if (err)
            *err = process.readAllStandardError();
        return process.exitCode();
    };

    QByteArray out;
    QByteArray err;
    QCOMPARE(run({u"import"_s, sample, u"--json"_s}, &out), 0);
    QVERIFY(out.contains("\"encoding\": \"Shift_JIS\""));
    QVERIFY(out.contains("\"lineEnds\": \"CR-LF\""));
    QVERIFY(QString::fromUtf8(out).contains(u"りんご"_s));

    const QString target = dir.filePath(u"fruit.csv"_s);
    QCOMPARE(run({u"convert"_s, sample, u"-o"_s, target, u"--where"_s, u"分類:果物"_s}, &out), 0);
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()),
             u"商品コード,商品名,分類,価格,在庫\nA001,りんご,果物,120,35\nA002,みかん,果物,80,120"_s);

    // Failures and usage errors are told apart, and say why on stderr.
    QCOMPARE(run({u"convert"_s, sample, u"-o"_s, dir.filePath(u"none.csv"_s)}, nullptr, &err), 1);
    QVERIFY(err.contains("no row is marked"));
    QVERIFY(!QFile::exists(dir.filePath(u"none.csv"_s)));
    QCOMPARE(run({u"import"_s, dir.filePath(u"missing.csv"_s)}, nullptr, &err), 1);
    QCOMPARE(run({u"convert"_s, sample}, nullptr, &err), 2);
    QCOMPARE(run({u"frobnicate"_s}), 2);
    QCOMPARE(run({u"convert"_s, u"--help"_s}, &out), 0);
    QVERIFY(out.contains("--where"));
}

QTEST_GUILESS_MAIN(tst_ConvertRoundTrip)
#include "tst_ConvertRoundTrip.moc"
