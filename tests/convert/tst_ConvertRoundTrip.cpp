#include "support/CsvFiles.h"
#include "convert/CSVtoLMSConversion.h"
#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "platform/AlertSheetModal.h"
#include "platform/NotificationCenter.h"
#include "platform/PolicyAlertPresenter.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
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
    void generatedCsvComesBackByteForByte();

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
    CSVtoLMSConversion reader;
    reader.setNotificationCenter(&m_center);
    QString error;
    const auto imported = importCsvBytes(
        reader, dir.filePath(u"source.csv"_s),
        "id,name,note\n1,plain,x\n2,\"with, comma\",\"say \"\"hi\"\"\"\n3,\"two\nlines\",\xe6\x97\xa5\xe6\x9c\xac\n", &error);
    QVERIFY2(imported, qPrintable(error));
    QCOMPARE(imported->tableItemObjectArray().size(), 3);
    QCOMPARE(imported->tableItemObjectArray().at(1).cellText(u"name"), QStringView(u"with, comma"));

    // Mark every row, export as Shift-JIS CSV with CR-LF, read back quoted.
    ListItem marked = *imported;
    marked.setAllIndications(1);
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
    for (qsizetype r = 0; r < marked.rowCount(); ++r)
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
    const QString sample = QStringLiteral(ROWSMITH_SOURCE_DIR "/samples/products-sjis.csv");
    QVERIFY(QFile::exists(sample));
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

void tst_ConvertRoundTrip::generatedCsvComesBackByteForByte()
{
    // Cells as the exporter writes them: quoted exactly when they hold a
    // comma, a quote or a line break. Rows never start or end with blanks,
    // which the import trims.
    const QStringList cells{u"plain"_s, u""_s, u"\"a, b\""_s, u"\"say \"\"hi\"\"\""_s, u"\"two\nlines\""_s,
                            u"東京 駅"_s, u"\"\r\n\""_s, u"ｱｲｳ"_s, u"x y"_s};
    QRandomGenerator random(11);
    QTemporaryDir dir;
    // The first and third titles repeat, the fourth is empty: every column
    // must survive, under a new title.
    const QString titleLine = u"a,b,a,,c"_s;
    QStringList lines{titleLine};
    for (int line = 0; line < 400; ++line) {
        QStringList fields;
        for (int c = 0; c < 5; ++c)
            fields.append(cells.at(random.bounded(cells.size())));
        lines.append(fields.join(u','));
    }
    for (const bool crlf : {false, true}) {
        for (const auto &[encoding, number] : {std::pair{TextEncoding::Utf8, 0}, std::pair{TextEncoding::ShiftJis, 1}}) {
            const QString text = lines.join(crlf ? u"\r\n"_s : u"\n"_s);
            CSVtoLMSConversion reader;
            reader.setNotificationCenter(&m_center);
            QString error;
            const auto imported
                = importCsvBytes(reader, dir.filePath(u"in.csv"_s), TextCodec::encode(text, encoding), &error);
            QVERIFY2(imported, qPrintable(error));
            QCOMPARE(imported->tableItemObjectArray().size(), 400);
            QCOMPARE(reader.renamedTitles().size(), 2);

            QVariantMap request = exportRequest(dir.filePath(u"out.csv"_s), 0, *imported);
            request.insert(u"encoding"_s, number);
            request.insert(u"lineFeedCode"_s, crlf);
            request.insert(u"exportAllRows"_s, true);
            OutputConverterFile writer;
            writer.setNotificationCenter(&m_center);
            QVERIFY(writer.exportWorkDictionary(request).success);
            QFile out(dir.filePath(u"out.csv"_s));
            QVERIFY(out.open(QIODevice::ReadOnly));
            QString expected = text;
            expected.replace(0, titleLine.size(), u"a,b,a 2,Column 4,c"_s);
            QCOMPARE(out.readAll(), TextCodec::encode(expected, encoding));
        }
    }
}

QTEST_GUILESS_MAIN(tst_ConvertRoundTrip)
#include "tst_ConvertRoundTrip.moc"
