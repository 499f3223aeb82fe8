#include "support/TestSupport.h"

#include "convert/OutputConverterFile.h"
#include "list/ListItem.h"
#include "platform/AlertSheetModal.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/PolicyAlertPresenter.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What one export posts.
struct Recorder : QObject
{
    explicit Recorder(NotificationCenter &center)
    {
        center.addObserver(u"notifIndicatorStepOfOutput"_s, this, [this](const Notification &n) {
            const QVariantMap map = n.object.toMap();
            steps.append(map.value(u"step"_s).toInt());
            counts.append(map.value(u"count"_s).toDouble());
            messages.append(map.value(u"message"_s).toString());
        });
        center.addObserver(u"outputConverterNotif"_s, this,
                           [this](const Notification &n) { written.append(n.object.toString()); });
        center.addObserver(u"outputConverterReplacedCharactersNotif"_s, this,
                           [this](const Notification &n) { replaced.append(n.object.toMap()); });
    }
    QList<int> steps;
    QList<double> counts;
    QStringList messages;
    QStringList written;
    QList<QVariantMap> replaced;
};

// Rows over the titles; each row is its mark followed by one text per title.
RowList makeRows(const QStringList &titles, const QList<QPair<quint32, QStringList>> &rows)
{
    const RowSchema::Ptr schema = RowSchema::make(titles);
    RowList list;
    for (const auto &[mark, texts] : rows) {
        QList<QStringView> views;
        for (const QString &text : texts)
            views.append(text);
        list.append(Row::fromTexts(schema, views, mark));
    }
    return list;
}

QVariantMap request(const QString &path, const QStringList &titles, const RowList &rows,
                    int fileType = 0, int encoding = 0, bool crlf = false)
{
    return {
        {u"targeted"_s, 715},
        {u"filePath"_s, path},
        {u"fileType"_s, fileType},
        {u"encoding"_s, encoding},
        {u"lineFeedCode"_s, crlf},
        {u"columnTitles"_s, titles},
        {u"itemObject"_s, QVariant::fromValue(rows)},
        {u"columnTitlesWidthDic"_s, QVariantMap{{u"A"_s, 80.0f}, {u"B"_s, 120.5f}}},
    };
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs one export through the task entry with its own centre and presenter.
struct Export
{
    explicit Export(const QVariantMap &task)
        : recorder(center)
    {
        AlertPresenter *previous = AlertSheetModal::setPresenter(&alerts);
        OutputConverterFile worker;
        worker.setNotificationCenter(&center);
        worker.run(task);
        replacedCells = worker.replacedCellCount();
        AlertSheetModal::setPresenter(previous);
    }
    bool failedWithAlert() const
    {
        return alerts.shownCount() == 1 && alerts.shownAlerts().at(0).number == 71505
               && recorder.steps == QList<int>{71504} && recorder.written.isEmpty();
    }
    NotificationCenter center;
    Recorder recorder;
    PolicyAlertPresenter alerts;
    qsizetype replacedCells = 0;
};

const QStringList kTitles = {u"NSRIndication"_s, u"NSROption"_s, u"A"_s, u"B"_s};
const QStringList kCellTitles = {u"NSROption"_s, u"A"_s, u"B"_s};

} // namespace

class tst_Export : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        QVERIFY(m_dir.isValid());
    }

    void csvLayoutStepsAndLineBreaks()
    {
        const RowList rows = makeRows(kCellTitles, {{0, {u""_s, u"p"_s, u"q"_s}},
                                                    {1, {u"opt"_s, u"x"_s, u"y"_s}}});
        const QString file = path(u"layout.csv"_s);
        Export lf(request(file, kTitles, rows));
        QCOMPARE(readAll(file), QByteArray("A,B\nx,y"));
        QCOMPARE(lf.recorder.steps, (QList<int>{71501, 71502, 71503, 71504}));
        QCOMPARE(lf.recorder.counts, (QList<double>{0, 50, 0, 100}));
        QCOMPARE(lf.recorder.written, QStringList{file});
        QVERIFY(lf.recorder.replaced.isEmpty() && lf.alerts.shownCount() == 0);

        Export crlf(request(file, kTitles, rows, 0, 0, true));
        QCOMPARE(readAll(file), QByteArray("A,B\r\nx,y"));

        // A missing or empty value leaves its cell empty between separators;
        // titles follow the request's order, not the rows'.
        const RowList sparse = makeRows({u"B"_s}, {{1, {u"only b"_s}}})
                               + makeRows({u"A"_s, u"B"_s}, {{2, {u""_s, u"z"_s}}, {1, {u"a"_s}}});
        Export holes(request(file, {u"B"_s, u"C"_s, u"A"_s}, sparse));
        QCOMPARE(readAll(file), QByteArray("B,C,A\nonly b,,\nz,,\n,,a"));
        QCOMPARE(holes.recorder.counts.size(), 6);
        QCOMPARE(holes.recorder.counts.at(2), 100.0 / 3);
        QCOMPARE(holes.recorder.counts.at(3), 200.0 / 3);
    }

    void csvEncodingsByteForByte()
    {
        const RowList rows = makeRows({u"A"_s, u"B"_s}, {{1, {u"日本"_s, u"a"_s}}});
        const QString file = path(u"enc.csv"_s);
        const QList<QPair<int, QByteArray>> cases = {
            {0, "\xe6\x97\xa5\xe6\x9c\xac"}, {1, "\x93\xfa\x96\x7b"}, {2, "\xc6\xfc\xcb\xdc"}};
        for (const auto &[encoding, japanese] : cases) {
            Export run(request(file, {u"A"_s, u"B"_s}, rows, 0, encoding, true));
            QCOMPARE(readAll(file), QByteArray("A,B\r\n") + japanese + ",a");
            QCOMPARE(run.replacedCells, 0);
        }
    }

    void csvQuotesOnlyWhatNeedsIt()
    {
        const QStringList titles = {u"plain"_s, u"a,b"_s, u"say \"hi\""_s};
        const RowList rows = makeRows(titles, {
            {1, {u" spaced ; 'single' "_s, u"1,5"_s, u"He said \"no\""_s}},
            {1, {u"line\nbreak"_s, u"cr\rhere"_s, u"\""_s}},
        });
        const QString file = path(u"quote.csv"_s);
        Export run(request(file, titles, rows));
        QCOMPARE(readAll(file), QByteArray("plain,\"a,b\",\"say \"\"hi\"\"\"\n"
                                           " spaced ; 'single' ,\"1,5\",\"He said \"\"no\"\"\"\n"
                                           "\"line\nbreak\",\"cr\rhere\",\"\"\"\""));
    }

    void unmappableCharactersAreReplacedAndCounted()
    {
        // Two cells and one title cannot be held by Shift-JIS; the cell with
        // two such characters counts once, a surrogate pair gives one "?".
        const QStringList titles = {u"A"_s, u"B€"_s};
        const RowList rows = makeRows(titles, {
            {1, {u"5€ / 6€"_s, u"ok"_s}},
            {0, {u"€"_s, u"skipped"_s}},
            {1, {u"日本"_s, u"😀x"_s}},
        });
        const QString file = path(u"replaced.csv"_s);
        Export sjis(request(file, titles, rows, 0, 1));
        QCOMPARE(readAll(file), QByteArray("A,B?\n5? / 6?,ok\n\x93\xfa\x96\x7b,?x"));
        QCOMPARE(sjis.replacedCells, 3);
        QCOMPARE(sjis.recorder.replaced.size(), 1);
        QCOMPARE(sjis.recorder.replaced.at(0).value(u"filePath"_s).toString(), file);
        QCOMPARE(sjis.recorder.replaced.at(0).value(u"replacedCells"_s).toLongLong(), 3);

        Export utf8(request(file, titles, rows, 0, 0));
        QCOMPARE(utf8.replacedCells, 0);
        QVERIFY(utf8.recorder.replaced.isEmpty());
        QCOMPARE(QString::fromUtf8(readAll(file)), u"A,B€\n5€ / 6€,ok\n日本,😀x"_s);
    }

    void largeExportIsWrittenWholeInPieces()
    {
        // Well over one piece of text: every row's text must arrive once and in
        // order, bad cells in any piece are counted, and the per-row progress
        // stays bounded.
        const int rowCount = 120000;
        const QStringList titles = {u"ID"_s, u"Name"_s, u"Note"_s};
        const RowSchema::Ptr schema = RowSchema::make(titles);
        RowList rows;
        QByteArray expected = "ID,Name,Note";
        int bad = 0;
        for (int r = 0; r < rowCount; ++r) {
            const QString id = QString::number(r);
            const QString name = u"名前%1"_s.arg(r % 97);
            const QString note = r % 5000 == 7 ? u"€%1"_s.arg(r) : u"note, %1"_s.arg(r);
            const quint32 mark = r % 3 == 1 ? 0 : 1;
            rows.append(Row::fromTexts(schema, {id, name, note}, mark));
            if (!mark)
                continue;
            if (note.startsWith(u'€'))
                ++bad;
            const QString quotedNote = note.contains(u',') ? u"\""_s + note + u"\""_s : note;
            expected += "\r\n" + TextCodec::encode(id + u',' + name + u',' + quotedNote, TextEncoding::EucJp);
        }
        QVERIFY(bad > 10);
        const QString file = path(u"large.csv"_s);
        Export run(request(file, titles, rows, 0, 2, true));
        const QByteArray written = readAll(file);
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
        QCOMPARE(run.replacedCells, bad);
        const qsizetype progress = run.recorder.steps.count(71502);
        QVERIFY(progress > 100 && progress <= 1001);
        QCOMPARE(run.recorder.steps.last(), 71504);
        QVERIFY(run.recorder.counts.at(run.recorder.counts.size() - 3) > 99.9);
    }

    void failuresWriteNothingAndShowAlert()
    {
        const RowList unmarked = makeRows(kCellTitles, {{0, {u""_s, u"x"_s, u"y"_s}}});
        const RowList marked = makeRows(kCellTitles, {{1, {u""_s, u"x"_s, u"y"_s}}});
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(u"never.csv"_s);

        Export noMark(request(file, kTitles, unmarked));
        QCOMPARE(noMark.recorder.steps, (QList<int>{71501, 71504}));
        QCOMPARE(noMark.alerts.shownCount(), 1);
        QCOMPARE(noMark.alerts.shownAlerts().at(0).number, 71505);
        QVERIFY(noMark.recorder.written.isEmpty());

        // Bad file type, bad encoding, only system titles, or no task at all.
        for (const QVariantMap &task : {request(file, kTitles, marked, 3), request(file, kTitles, marked, 0, 7),
                                        request(file, {u"NSRIndication"_s, u"NSROption"_s}, marked), QVariantMap{}})
            QVERIFY(Export(task).failedWithAlert());
        QVERIFY(!QFile::exists(file));

        QVariantMap noWidths = request(dir.filePath(u"never.pgcl"_s), kTitles, marked, 1);
        noWidths.remove(u"columnTitlesWidthDic"_s);
        Export listWithoutWidths(noWidths);
        QCOMPARE(listWithoutWidths.recorder.steps, (QList<int>{71501, 71504}));
        QCOMPARE(listWithoutWidths.alerts.shownCount(), 1);
        const QString missingFolder = dir.filePath(u"no/such/folder/out.csv"_s);
        Export unwritable(request(missingFolder, kTitles, marked));
        QCOMPARE(unwritable.alerts.shownCount(), 1);
        QVERIFY(unwritable.recorder.written.isEmpty());
        QVERIFY(!QDir(dir.filePath(u"no"_s)).exists());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});

        // An existing file is replaced only on success, and nothing else is left beside it.
        const QString existing = dir.filePath(u"existing.csv"_s);
        QVERIFY(writeFile(existing, "old contents\n"));
        QCOMPARE(Export(request(existing, kTitles, unmarked)).alerts.shownCount(), 1);
        QCOMPARE(readAll(existing), QByteArray("old contents\n"));
        QCOMPARE(Export(request(existing, kTitles, marked)).alerts.shownCount(), 0);
        QCOMPARE(readAll(existing), QByteArray("A,B\nx,y"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"existing.csv"_s});
    }

    void listFileKeepsEveryRowAndTitle()
    {
        const RowList rows = makeRows(kCellTitles, {{0, {u"o1"_s, u"x"_s, u"y"_s}},
                                                    {1, {u"o2"_s, u"z"_s, u""_s}}});
        const QString file = path(u"list.pgcl"_s);
        Export run(request(file, kTitles, rows, 1, 7));
        QCOMPARE(run.alerts.shownCount(), 0);
        QCOMPARE(run.recorder.steps, (QList<int>{71501, 71502, 71503, 71504}));
        QCOMPARE(run.recorder.written, QStringList{file});

        QString error;
        const auto item = KeyedUnarchiver::unarchivedObject<ListItem>(readAll(file), u"ListItem", &error);
        QVERIFY2(item, qPrintable(error));
        QCOMPARE(item->columnTitlesArray(), kTitles);
        QCOMPARE(item->columnTitlesWidthDic().value(u"B"_s).toFloat(), 120.5f);
        QCOMPARE(item->tableItemObjectArray(), rows);
    }

    void synchronousEntryReportsWithoutAlert()
    {
        PolicyAlertPresenter alerts;
        AlertPresenter *previous = AlertSheetModal::setPresenter(&alerts);
        NotificationCenter center;
        Recorder recorder(center);
        OutputConverterFile exporter;
        exporter.setNotificationCenter(&center);

        const RowList rows = makeRows({u"A"_s}, {{1, {u"€"_s}}});
        const QString file = path(u"sync.csv"_s);
        OutputConverterFile::Result result = exporter.exportWorkDictionary(request(file, {u"A"_s}, rows, 0, 2));
        QVERIFY(result.success);
        QVERIFY(result.errorString.isEmpty());
        QCOMPARE(result.replacedCells, 1);
        QCOMPARE(readAll(file), QByteArray("A\n?"));

        result = exporter.exportWorkDictionary(request(path(u"x/y.csv"_s), {u"A"_s}, rows));
        QVERIFY(!result.success);
        QVERIFY(result.errorString.contains(u"x/y.csv"_s));
        QCOMPARE(result.replacedCells, 0);
        QCOMPARE(alerts.shownCount(), 0);
        QCOMPARE(recorder.written, QStringList{file});
        AlertSheetModal::setPresenter(previous);
    }
};

QTEST_GUILESS_MAIN(tst_Export)
#include "tst_Export.moc"
