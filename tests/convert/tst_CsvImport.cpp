#include "support/TestSupport.h"

#include "convert/CSVtoLMSConversion.h"
#include "convert/CsvLineSplitter.h"
#include "platform/WorkOfCachesFolder.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// One import run against a private centre, with everything it posted.
struct Run
{
    NotificationCenter center;
    CSVtoLMSConversion converter;
    bool answer = false;
    QList<int> steps;
    QList<double> counts;
    QStringList messages;
    QList<QVariantMap> deliveries;

    Run()
    {
        converter.setNotificationCenter(&center);
        center.addObserver(u"notifIndicatorStepOfConversion"_s, nullptr, [this](const Notification &n) {
            const QVariantMap map = n.object.toMap();
            steps.append(map.value(u"step"_s).toInt());
            counts.append(map.value(u"count"_s).toDouble());
            messages.append(map.value(u"message"_s).toString());
        });
        center.addObserver(u"deliverConversionFileOfTheFileEncoding"_s, nullptr,
                           [this](const Notification &n) { deliveries.append(n.object.toMap()); });
    }
    ListItemPtr item() const { return deliveries.value(0).value(u"ListItem"_s).value<ListItemPtr>(); }
    RowList rows() const { return item() ? item()->tableItemObjectArray() : RowList(); }
    QList<double> countsOf(int step) const
    {
        QList<double> result;
        for (qsizetype i = 0; i < steps.size(); ++i)
            if (steps.at(i) == step)
                result.append(counts.at(i));
        return result;
    }
};

QVariantMap taskFor(const QString &path, const QString &work)
{
    return {{u"targeted"_s, 240}, {u"cachesFolderID"_s, 7}, {u"startSwitch"_s, 241},
            {u"filePass"_s, path}, {u"fileCachesFolderPathOfWork"_s, work},
            {u"documentFileName"_s, u"Untitled 1"_s}};
}

QList<QStringList> table(const RowList &rows, const QStringList &titles)
{
    QList<QStringList> result;
    for (const Row &row : rows) {
        result.append(QStringList());
        for (const QString &title : titles)
            result.last().append(row.cellText(title).toString());
    }
    return result;
}

} // namespace

class tst_CsvImport : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    QString work() const { return m_dir.filePath(u"work"_s); }

    QString write(const QByteArray &bytes, const QString &extension = u"csv"_s)
    {
        const QString path = m_dir.filePath(u"in%1.%2"_s.arg(++m_files).arg(extension));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write the test file");
        return path;
    }

    std::unique_ptr<Run> import(const QByteArray &bytes, const QVariantMap &extra = {},
                                const QString &extension = u"csv"_s,
                                const std::function<void(Run &)> &prepare = {})
    {
        auto run = std::make_unique<Run>();
        if (prepare)
            prepare(*run);
        QDir(work()).removeRecursively();
        QDir().mkpath(work());
        QVariantMap task = taskFor(write(bytes, extension), work());
        task.insert(extra);
        run->answer = run->converter.importFileObject(task);
        return run;
    }

    bool errorFileExists() const { return QFile::exists(work() + u"/errString.text"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        QVERIFY(m_dir.isValid());
    }

    void taskKeysAndExtensionsDecideWhetherAnythingRuns()
    {
        const QString csv = write("a\n1\n");
        for (const auto &[key, value] : QList<std::pair<QString, QVariant>>{
                 {u"startSwitch"_s, 240}, {u"fileCachesFolderPathOfWork"_s, u""_s},
                 {u"filePass"_s, u""_s}, {u"documentFileName"_s, QVariant()}}) {
            Run run;
            QVariantMap task = taskFor(csv, work());
            task.insert(key, value);
            QVERIFY(!run.converter.importFileObject(task));
            QVERIFY(run.steps.isEmpty());
        }
        for (const QString &extension : {u"txt"_s, u"Csv"_s, u"pgCL"_s}) {
            const auto run = import("a\n1\n", {}, extension);
            QVERIFY(!run->answer && run->steps.isEmpty() && run->deliveries.isEmpty());
        }
        const auto upper = import("a\n1\n", {}, u"CSV"_s);
        QVERIFY(upper->answer);
        QCOMPARE(upper->deliveries.size(), 1);
        QCOMPARE(upper->deliveries.first().value(u"cachesFolderID"_s).toInt(), 7);
        QCOMPARE(upper->steps.first(), 24001);
        QCOMPARE(upper->steps.last(), 24010);
    }

    void encodingsAreTriedInOrder()
    {
        const QList<double> allReadingCounts{0, 20, 30, 50, 60, 70, 80, 90, 100};

        const auto utf8 = import("\xEF\xBB\xBFname,v\n\xC3\xA9t\xC3\xA9,1\n");
        QCOMPARE(utf8->item()->encodingType(), 4);
        QCOMPARE(utf8->rows().first().cellText(u"name").toString(), u"été"_s);
        QCOMPARE(utf8->countsOf(24002), allReadingCounts);

        const QByteArray sjis = TextCodec::encode(u"名前,値\n山田,ｱｲ\n", TextEncoding::ShiftJis);
        const auto shiftJis = import(sjis);
        QCOMPARE(shiftJis->item()->encodingType(), 8);
        QCOMPARE(table(shiftJis->rows(), {u"名前"_s, u"値"_s}), (QList<QStringList>{{u"山田"_s, u"ｱｲ"_s}}));

        // Neither UTF-8 nor Shift-JIS: ISO-2022-JP is taken untested and fails too.
        const auto garbage = import(QByteArray("t\n\xFF\xFE\x80\xFD\x00\xA0\xEF", 9));
        QVERIFY(garbage->answer);
        QCOMPARE(garbage->converter.encodingType(), 21);
        QVERIFY(garbage->deliveries.isEmpty() && !garbage->steps.contains(24003));
        QCOMPARE(garbage->countsOf(24002), allReadingCounts.first(8));
        QVERIFY(garbage->converter.failureReason().contains(u"not text"_s));

        const auto empty = import("");
        QCOMPARE(empty->converter.encodingType(), 4);
        QVERIFY(empty->deliveries.isEmpty());
    }

    void lineTerminatorsTrimmingAndFields()
    {
        const QList<QStringList> expected{{u"1"_s, u"2"_s}, {u"3"_s, u"4"_s}};
        for (const QByteArray &bytes : {QByteArray("a,b\n1,2\n3,4\n"), QByteArray("a,b\r\n1,2\r\n3,4"),
                                        QByteArray("a,b\r1,2\r3,4\r"),
                                        QString(u"a,b\u20281,2\u20293,4\u0085"_s).toUtf8()}) {
            const auto run = import(bytes);
            QCOMPARE(table(run->rows(), {u"a"_s, u"b"_s}), expected);
            QCOMPARE(run->item()->crState(), bytes.contains('\r'));
            QCOMPARE(run->converter.errCount(), 0);
        }

        // Blanks at the ends of a line go, blanks around commas stay; quotes
        // are plain characters; empty fields are kept.
        const auto run = import(QString(u"a,b,c,d\n \t a , b,,\u3000\n\"x,y\",,z,w\n"_s).toUtf8());
        QCOMPARE(table(run->rows(), {u"a"_s, u"b"_s, u"c"_s, u"d"_s}),
                 (QList<QStringList>{{u"a "_s, u" b"_s, u""_s, u""_s}, {u"\"x"_s, u"y\""_s, u""_s, u"z"_s}}));

        // An empty line is one empty field: a row for one column, an error for two.
        QCOMPARE(table(import("a\n1\n\n2\n")->rows(), {u"a"_s}),
                 (QList<QStringList>{{u"1"_s}, {u""_s}, {u"2"_s}}));
        QCOMPARE(import("a,b\n1,2\n\n")->converter.errCount(), 1);
    }

    void rejectedRowsAndFileSizeMessages()
    {
        const auto run = import("a,b,c\n1,2,3\nx,y\n4,5,6,7\nlonely\n");
        QCOMPARE(table(run->rows(), {u"a"_s, u"b"_s, u"c"_s}),
                 (QList<QStringList>{{u"1"_s, u"2"_s, u"3"_s}, {u"4"_s, u"5"_s, u"6"_s}}));
        QCOMPARE(run->converter.errCount(), 2);
        QCOMPARE(run->steps.count(24098), 2);
        QFile file(work() + u"/errString.text"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("*** err:1 ***\nxy\n*** err:2 ***\nlonely\n"));
        QCOMPARE(run->messages.last(), u" "_s);
        QCOMPARE(run->messages.at(run->steps.lastIndexOf(24009)), u"file size:31 byte : 2 items err : 2"_s);

        QVERIFY(import("a\n1\n")->converter.errString().isEmpty());
        QVERIFY(!errorFileExists());
        // Nothing delivered: no error file either, even with rejected rows.
        const auto refused = import("a,b\nx\ny\n");
        QVERIFY(refused->deliveries.isEmpty());
        QCOMPARE(refused->steps.last(), 24099);
        QVERIFY(!errorFileExists());

        const std::pair<int, QString> sizes[] = {{500, u"500 byte"_s}, {5000, u"4 KB"_s}, {2500000, u"2 MB"_s}};
        for (const auto &[size, text] : sizes) {
            const auto sized = import("t\n" + QByteArray(size - 3, 'x') + "\n");
            QCOMPARE(sized->messages.value(sized->steps.indexOf(24002)), u"file size:%1 "_s.arg(text));
            QCOMPARE(sized->messages.at(sized->steps.lastIndexOf(24009)), u"file size:%1 : 1 items"_s.arg(text));
        }
    }

    void widthsComeFromDataRowsOnlyAndDuplicateTitlesShareThem()
    {
        const QByteArray longTitle(200, 't');
        const auto run = import(longTitle + ",b,c,d\n" + QByteArray(120, 'x') + ",abc,0123456789,q\n"
                                + "1,2,0123456789012\n");
        const QVariantMap widths = run->item()->columnTitlesWidthDic();
        QCOMPARE(widths.value(QString::fromLatin1(longTitle)).toFloat(), 800.0f);
        QCOMPARE(widths.value(u"b"_s).toFloat(), 40.0f);
        // The rejected short row still widened the column it filled.
        QCOMPARE(widths.value(u"c"_s).toFloat(), 112.0f);
        QCOMPARE(widths.value(u"d"_s).toFloat(), 40.0f);
        QCOMPARE(import("wide\n0123456789\n")->item()->columnTitlesWidthDic().value(u"wide"_s).toFloat(), 88.0f);

        // A repeated title shares one cell and one width; the last value wins.
        const auto dup = import("a,b,a\n0123456789,2,3\n");
        QCOMPARE(dup->item()->columnTitlesArray(),
                 (QStringList{u"NSRIndication"_s, u"NSROption"_s, u"a"_s, u"b"_s, u"a"_s}));
        const Row row = dup->rows().first();
        QCOMPARE(row.keys(), (QStringList{u"NSRIndication"_s, u"NSROption"_s, u"a"_s, u"b"_s}));
        QCOMPARE(row.cellText(u"a").toString(), u"3"_s);
        QCOMPARE(dup->item()->columnTitlesWidthDic().value(u"a"_s).toFloat(), 40.0f);
        QCOMPARE(dup->item()->columnTitlesWidthDic().size(), 4);
    }

    void cancelFromAProgressObserverStopsTheLoop()
    {
        int reports = 0;
        const auto run = import("a,b\n1,2\nshort\n3,4\n5,6\n", {}, u"csv"_s, [&](Run &r) {
            r.center.addObserver(u"notifIndicatorStepOfConversion"_s, nullptr, [&](const Notification &n) {
                if (n.object.toMap().value(u"step"_s).toInt() == 24003 && ++reports == 2)
                    r.center.post(u"notifCancelStepOfConversion"_s);
            });
        });
        QVERIFY(run->answer && run->deliveries.isEmpty());
        QCOMPARE(run->steps.last(), 24099);
        QVERIFY(run->converter.tableItemObjectArray().isEmpty());
        QCOMPARE(run->countsOf(24003).size(), 2);
        QVERIFY(!errorFileExists());
        // The converter stopped listening when it ended.
        run->center.post(u"notifCancelStepOfConversion"_s);
    }

    void listFilesRoundTripAndCorruptOnesAreRefused()
    {
        ListItem list;
        list.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s});
        list.registerColumnTitlesWidthDic({{u"ID"_s, 55.0f}});
        const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s});
        RowList rows;
        for (const QString &id : {u"1"_s, u"2"_s, u"3"_s})
            rows.append(Row::fromTexts(schema, {QStringView(), QStringView(id)}, 1));
        list.registerTableItemObjectArray(rows);
        list.registerEncodingType(8);
        list.registerCrState(true);
        const QByteArray archive = KeyedArchiver::archivedData(list, u"ListItem");
        QVERIFY(!archive.isEmpty());

        for (const QString &extension : {u"pgcl"_s, u"PGCL"_s}) {
            const auto run = import(archive, {}, extension);
            QVERIFY(run->answer);
            QCOMPARE(run->rows(), rows);
            QCOMPARE(run->item()->columnTitlesWidthDic(), list.columnTitlesWidthDic());
            QCOMPARE(run->item()->encodingType(), 8);
            QVERIFY(run->item()->crState());
            QCOMPARE(run->steps, (QList<int>{93202, 93203, 24008}));
            QCOMPARE(run->messages.first(), u"Reading"_s);
        }
        for (const QByteArray &bad : {archive.left(archive.size() / 2), QByteArray("not an archive"),
                                      KeyedArchiver::archivedData(list, u"Other"), QByteArray()}) {
            const auto run = import(bad, {}, u"pgcl"_s);
            QVERIFY(run->deliveries.isEmpty() && !run->steps.contains(24008));
            QVERIFY(!run->converter.failureReason().isEmpty());
        }
    }

    void quotedFieldsWhenAsked()
    {
        const QVariantMap quoted{{u"quotedFields"_s, true}};
        const auto run = import("a,b,c\n\"x,y\",\"say \"\"hi\"\"\",plain\n"
                                "  \"two\r\nlines\" , \"\"\"\" ,\"q\"tail  \n"
                                "\"\",,\n",
                                quoted);
        QCOMPARE(table(run->rows(), {u"a"_s, u"b"_s, u"c"_s}),
                 (QList<QStringList>{{u"x,y"_s, u"say \"hi\""_s, u"plain"_s},
                                     {u"two\r\nlines "_s, u" \"\"\"\" "_s, u"qtail"_s},
                                     {u""_s, u""_s, u""_s}}));
        QCOMPARE(run->converter.errCount(), 0);

        // An unterminated quote takes the rest of the file as one rejected row.
        const auto open = import("a,b\n1,2\n3,\"open\n4,5\n", quoted);
        QCOMPARE(table(open->rows(), {u"a"_s, u"b"_s}), (QList<QStringList>{{u"1"_s, u"2"_s}}));
        QCOMPARE(open->converter.errCount(), 1);
        QCOMPARE(open->converter.errString(), u"*** err:1 ***\n3,\"open\n4,5\n"_s);
    }

    void hostileAndLargeInput()
    {
        QDir().mkpath(m_dir.filePath(u"folder.csv"_s));
        for (const QString &path : {m_dir.filePath(u"missing.csv"_s), m_dir.filePath(u"folder.csv"_s),
                                    m_dir.filePath(u"missing.pgcl"_s)}) {
            Run run;
            QVERIFY(run.converter.importFileObject(taskFor(path, work())));
            QVERIFY(run.deliveries.isEmpty() && run.converter.failureReason().contains(u"cannot be opened"_s));
            QString error;
            QVERIFY(!CSVtoLMSConversion().importFile(path, false, &error));
            QVERIFY(!error.isEmpty());
        }
        // A long line of many fields is split in one pass.
        QByteArray wide = "t\n";
        for (int i = 0; i < 200000; ++i)
            wide += "v,";
        const auto wideRun = import(wide + "\n");
        QCOMPARE(wideRun->rows().size(), 1);
        QCOMPARE(wideRun->rows().first().cellText(u"t").size(), 1);

        // Progress is throttled and estimated from the text read.
        QByteArray lines = "n\n";
        for (int i = 0; i < 50000; ++i)
            lines += QByteArray::number(i) + '\n';
        const auto run = import(lines);
        QCOMPARE(run->rows().size(), 50000);
        QVERIFY2(run->countsOf(24003).size() <= 1002, QByteArray::number(run->countsOf(24003).size()));
        // Line ends are not counted, so progress ends short of 100.
        QVERIFY(run->countsOf(24003).last() > 80.0);

        CsvLineSplitter splitter(u" aｱあ😀 \nbｱあ,c\n", false);
        QVERIFY(splitter.next());
        QCOMPARE(splitter.readingLength(), 0); // beyond the BMP: not Shift-JIS
        QVERIFY(splitter.next());
        QCOMPARE(splitter.readingLength(), 6);
        QVERIFY(!splitter.next());
    }

    void synchronousImportAndSavedList()
    {
        const QString path = write("a,b\n1,2\nbad\n");
        Run run;
        QString error;
        const std::shared_ptr<ListItem> list = run.converter.importFile(path, false, &error);
        QVERIFY2(list, qPrintable(error));
        QVERIFY(run.deliveries.isEmpty());
        QCOMPARE(list->tableItemObjectArray().size(), 1);
        QCOMPARE(run.converter.errCount(), 1);

        QDir().mkpath(work());
        run.converter.registerFileCachesFolderPathOfWork(work());
        QVERIFY(run.converter.saveCSVtoLMSConversionFiles());
        const auto saved = WorkOfCachesFolder::readObjectForCachesFolderPath<ListItem>(
            work(), u"CSVtoLMSConversionFiles.itemlist"_s, u"ListItem"_s);
        QVERIFY(saved);
        QCOMPARE(saved->tableItemObjectArray(), list->tableItemObjectArray());
        QCOMPARE(run.steps.mid(run.steps.size() - 4), (QList<int>{24006, 24007, 24008, 24009}));
    }
};

QTEST_GUILESS_MAIN(tst_CsvImport)
#include "tst_CsvImport.moc"
