#include "support/TestSupport.h"

#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/KeyedArchiver.h"
#include "platform/NotificationCenter.h"
#include "platform/AtomicFileWriter.h"
#include "storage/DirectoryWrapper.h"
#include "storage/LoadingForEncod.h"
#include "storage/ReadingForEncod.h"
#include "storage/SaveForEncod.h"
#include "storage/StorageWorkers.h"
#include "storage/WritingForEncod.h"
#include "tasks/TaskRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Everything a worker posts on a private centre.
struct Recorder : QObject
{
    Recorder(NotificationCenter &center, const QString &stepName, const QString &resultName)
    {
        center.addObserver(stepName, this, [this](const Notification &n) {
            const QVariantMap map = n.object.toMap();
            steps.append(map.value(u"step"_s).toInt());
            counts.append(map.value(u"count"_s).toDouble());
            messages.append(map.value(u"message"_s).toString());
        });
        center.addObserver(resultName, this, [this](const Notification &n) { results.append(n.object); });
    }
    // Counts of one step code, in order.
    QList<double> countsOf(int step) const
    {
        QList<double> found;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            if (steps.at(i) == step)
                found.append(counts.at(i));
        }
        return found;
    }
    QList<int> steps;
    QList<double> counts;
    QStringList messages;
    QVariantList results;
};

// A list with rows "1".."n" under "ID" and a name column.
ListItemPtr makeList(int rowCount, const QString &prefix = u"row"_s)
{
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s});
    RowList rows;
    for (int i = 0; i < rowCount; ++i)
        rows.append(Row::fromTexts(schema, {QStringView(), QString::number(i + 1), prefix + QString::number(i)}));
    ListItem list;
    list.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s});
    list.registerTableItemObjectArray(rows);
    return std::make_shared<const ListItem>(list);
}

// A root that archives one byte string, so that tests choose its size.
class BytesSnapshot final : public ArchivableSnapshot
{
public:
    explicit BytesSnapshot(qsizetype size) : m_size(size) {}
    bool writeArchive(KeyedArchiver &archiver, QStringView key) const override
    {
        // Noise, so that the stored root stays as large as its archive.
        QByteArray noise(m_size, Qt::Uninitialized);
        quint32 state = 2463534242u;
        for (char &byte : noise) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = char(state);
        }
        archiver.encoder().encodeData(noise, key);
        return archiver.finish();
    }

private:
    qsizetype m_size;
};

// A root whose archive is exactly `bytes` long.
ArchivableSnapshotPtr rootOfSize(qsizetype bytes)
{
    const auto archivedSize = [](qsizetype payload) {
        QByteArray data;
        KeyedArchiver archiver(&data);
        BytesSnapshot(payload).writeArchive(archiver, u"documentSource");
        return data.size();
    };
    // The head of a byte string is the same size from 64 KiB to 4 GiB.
    const qsizetype overhead = archivedSize(100000) - 100000;
    return std::make_shared<BytesSnapshot>(bytes - overhead);
}

// A root that opening accepts.
ArchivableSnapshotPtr documentRoot()
{
    return std::make_shared<ArchivableSnapshotOf<DocumentSource>>(std::make_shared<const DocumentSource>(), 0);
}

QByteArray documentRootBytes()
{
    DocumentSource root;
    return KeyedArchiver::archivedData(root, u"documentSource");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Regular files directly in the folder, by name.
QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs
                                                           | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : infos) {
        QFile file(info.absoluteFilePath());
        files.insert(info.fileName(), info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : "<not a file>");
    }
    return files;
}

QVariantMap saveTask(const QString &folder, const QString &package, const ArchivableSnapshotPtr &root, int id = 5)
{
    return {{u"cachesFolderID"_s, id}, {u"targeted"_s, 202}, {u"folderPath"_s, folder},
            {u"filePath"_s, package}, {u"documentSource"_s, QVariant::fromValue(root)}};
}

QVariantMap writeTask(const QString &folder, const QString &name, const ListItemPtr &list)
{
    return {{u"cachesFolderID"_s, 5}, {u"targeted"_s, 242}, {u"folderPath"_s, folder}, {u"fileName"_s, name},
            {u"listItemSource"_s, QVariant::fromValue(list)}, {u"documentFileName"_s, u"Doc 1"_s}};
}

QVariantMap readTask(const QString &folder, const QString &name, bool state)
{
    return {{u"cachesFolderID"_s, 5}, {u"targeted"_s, 243}, {u"folderPath"_s, folder}, {u"filePass"_s, name},
            {u"documentFileName"_s, u"Doc 1"_s}, {u"state"_s, state}};
}

QVariantMap loadTask(const QString &folder, const QString &package)
{
    return {{u"folderPath"_s, folder}, {u"targeted"_s, 101},
            {u"wrapper"_s, QVariant::fromValue(DirectoryWrapper::wrapperAtPath(package))}};
}

template<class Worker>
std::unique_ptr<Recorder> record(Worker &worker, NotificationCenter &center, const QString &steps, const QString &result)
{
    auto recorder = std::make_unique<Recorder>(center, steps, result);
    worker.setNotificationCenter(&center);
    return recorder;
}

struct Outcome
{
    bool answer = false;
    std::unique_ptr<Recorder> recorder;
};

Outcome save(const QVariantMap &task, const std::function<void(SaveForEncod &)> &prepare = {})
{
    NotificationCenter center;
    SaveForEncod worker;
    if (prepare)
        prepare(worker);
    Outcome outcome{false, record(worker, center, u"notifIndicatorStepOfSave"_s, u"notifSaveWrapperDirectory"_s)};
    outcome.answer = worker.saveWorkWrapperFileObject(task);
    return outcome;
}

Outcome load(const QVariantMap &task)
{
    NotificationCenter center;
    LoadingForEncod worker;
    Outcome outcome{false, record(worker, center, u"notifIndicatorStepOfLoading"_s, u"notifLoadingWrapperDirectory"_s)};
    outcome.answer = worker.openWorkWrapperFileObject(task);
    return outcome;
}

Outcome writeList(const QVariantMap &task)
{
    NotificationCenter center;
    WritingForEncod worker;
    Outcome outcome{false, record(worker, center, u"notifIndicatorStepOfWriting"_s, u"finishWriteListItemNotif"_s)};
    outcome.answer = worker.writEncodDataAtObject(task);
    return outcome;
}

Outcome readList(const QVariantMap &task)
{
    NotificationCenter center;
    ReadingForEncod worker;
    Outcome outcome{false, record(worker, center, u"notifIndicatorStepOfReading"_s, u"developExistingFileUnfoldNotif"_s)};
    outcome.answer = worker.openWorkReadingFileObject(task);
    return outcome;
}

} // namespace

class tst_StorageWorkers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void packageRoundTrip()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString work = dir.filePath(u"cachesID1"_s);
        const QString package = dir.filePath(u"Doc.pgcd"_s);
        QVERIFY(QDir().mkpath(work));
        QVERIFY(QDir().mkpath(package));
        writeFile(package + u"/only-in-old.listItems"_s, "old");
        writeFile(package + u"/documentSource.pagestyle"_s, "old root");

        writeFile(work + u"/conditionOfTheFile.pagestyle"_s, "protection");
        QVERIFY(writeList(writeTask(work, u"id1.listItems"_s, makeList(3))).answer);
        QVERIFY(writeList(writeTask(work, u"id2.listItems"_s, makeList(2, u"second"_s))).answer);

        const Outcome saved = save(saveTask(work, package, documentRoot()));
        QVERIFY(saved.answer);
        QCOMPARE(saved.recorder->results, QVariantList{5});
        QCOMPARE(saved.recorder->steps.first(), 93301);
        QCOMPARE(saved.recorder->steps.last(), 93304);
        QCOMPARE(saved.recorder->counts.last(), 100.0);
        // Root write to 50, copy from there to 100, never backwards.
        const QList<double> copy = saved.recorder->countsOf(93303);
        QVERIFY(std::is_sorted(copy.cbegin(), copy.cend()));
        QVERIFY(copy.contains(50.0));
        QCOMPARE(copy.last(), 100.0);

        const QMap<QString, QByteArray> working = filesIn(work);
        QCOMPARE(working.keys(), (QStringList{u"conditionOfTheFile.pagestyle"_s, u"documentSource.pagestyle"_s,
                                              u"id1.listItems"_s, u"id2.listItems"_s}));
        QCOMPARE(filesIn(package), working);
        // The package is swapped in whole: nothing else is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{u"Doc.pgcd"_s, u"cachesID1"_s}));

        // Platform files, a folder, a link out of the package, a name no
        // folder should take and a temporary of a cut-off write are skipped.
        writeFile(package + u"/.DS_Store"_s, "platform");
        writeFile(package + u"/.typeAttributes.dict"_s, "platform");
        QVERIFY(QDir().mkpath(package + u"/sub"_s));
        writeFile(package + u"/sub/inner.listItems"_s, "inner");
        writeFile(dir.filePath(u"secret"_s), "outside");
        QVERIFY(QFile::link(dir.filePath(u"secret"_s), package + u"/link.listItems"_s));
        writeFile(package + u"/bad\nname"_s, "control character");
        writeFile(package + u"/.id1.listItems.writing-Ab12Cd"_s, "partial");
        const QByteArray undecodable = QFile::encodeName(package) + "/\xff\xfe.listItems";
        const int raw = ::open(undecodable.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(raw >= 0 && ::write(raw, "not UTF-8", 9) == 9);
        ::close(raw);

        const QString fresh = dir.filePath(u"cachesID2"_s);
        QVERIFY(QDir().mkpath(fresh));
        const Outcome loaded = load(loadTask(fresh, package));
        QVERIFY(loaded.answer);
        QCOMPARE(loaded.recorder->results, QVariantList{0});
        QCOMPARE(filesIn(fresh), working);
        QCOMPARE(::unlink(undecodable.constData()), 0);

        const Outcome read = readList(readTask(fresh, u"id2.listItems"_s, false));
        QVERIFY(read.answer);
        QCOMPARE(read.recorder->results.size(), 1);
        const QVariantMap result = read.recorder->results.first().toMap();
        QCOMPARE(result.value(u"cachesFolderID"_s).toInt(), 5);
        QCOMPARE(result.value(u"documentFileName"_s).toString(), u"Doc 1"_s);
        QCOMPARE(result.value(u"state"_s), QVariant(false));
        const ListItemPtr list = result.value(u"ListItem"_s).value<ListItemPtr>();
        QVERIFY(list);
        QCOMPARE(list->tableItemObjectArray(), makeList(2, u"second"_s)->tableItemObjectArray());
        QCOMPARE(readList(readTask(fresh, u"id1.listItems"_s, true)).recorder->results.first().toMap()
                     .value(u"state"_s), QVariant(true));
    }

    void loadProgressAndFailures()
    {
        QTemporaryDir dir;
        const QString package = dir.filePath(u"P.pgcd"_s);
        const QString work = dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(package));
        QVERIFY(QDir().mkpath(work));
        const QByteArray root = documentRootBytes();
        const double r = double(root.size());
        writeFile(package + u"/documentSource.pagestyle"_s, root);
        writeFile(package + u"/id1.listItems"_s, QByteArray(100, 'b'));
        writeFile(package + u"/.DS_Store"_s, QByteArray(1000, 'c'));
        // Not an entry of a document: never copied, never counted.
        writeFile(package + u"/notes.txt"_s, QByteArray(5000, 'd'));

        QVariantMap task = loadTask(work, package);
        task.insert(u"cachesFolderID"_s, 9);
        const Outcome loaded = load(task);
        QVERIFY(loaded.answer);
        QVERIFY(!QFile::exists(work + u"/notes.txt"_s));
        QCOMPARE(loaded.recorder->steps.first(), 10101);
        const auto percent = [&](double bytes, double total) { return bytes / total * 100.0; };
        QCOMPARE(loaded.recorder->countsOf(10102),
                 (QList<double>{0, percent(double(root.size() / 2), r + 100), 100.0 * r / (r + 100),
                                percent(r + 50, r + 100), 100}));
        QCOMPARE(loaded.recorder->messages, QStringList(6, u"Loading"_s));
        QCOMPARE(loaded.recorder->results, QVariantList{9});
        // A half of an odd length is rounded down, the rest comes after the write.
        writeFile(package + u"/id1.listItems"_s, QByteArray(101, 'b'));
        QCOMPARE(load(loadTask(work, package)).recorder->countsOf(10102).at(3), percent(r + 50, r + 101));

        const auto failsWith10105 = [](const QVariantMap &request) {
            const Outcome outcome = load(request);
            return !outcome.answer && outcome.recorder->steps.last() == 10105 && outcome.recorder->results.isEmpty();
        };
        QVERIFY(failsWith10105(loadTask(QString(), package)));
        QVariantMap noWrapper = loadTask(work, package);
        noWrapper.remove(u"wrapper"_s);
        QVERIFY(failsWith10105(noWrapper));
        const QString empty = dir.filePath(u"Empty.pgcd"_s);
        QVERIFY(QDir().mkpath(empty + u"/sub"_s));
        writeFile(empty + u"/.DS_Store"_s, "x");
        QVERIFY(failsWith10105(loadTask(work, empty)));
        // A file that cannot be written fails the whole load, so that a save
        // cannot later drop it from the package.
        QVERIFY(QFile::remove(work + u"/id1.listItems"_s));
        QVERIFY(QDir().mkpath(work + u"/id1.listItems/blocked"_s));
        QVERIFY(failsWith10105(loadTask(work, package)));
    }

    void saveChunksAndFailures()
    {
        QTemporaryDir dir;
        const QString work = dir.filePath(u"work"_s);
        const QString package = dir.filePath(u"S.pgcd"_s);
        QVERIFY(QDir().mkpath(work));

        // Exactly 1 MiB is one chunk; one byte more makes a second of 1 byte.
        for (const qsizetype size : {qsizetype(1048576), qsizetype(1048577)}) {
            QList<qint64> chunks;
            QVERIFY(AtomicFileWriter::writeInChunks(work + u"/chunked"_s, QByteArray(size, 'x'),
                                                    [&](qint64 written, qint64) { chunks.append(written); }));
            QCOMPARE(QFileInfo(work + u"/chunked"_s).size(), size);
            QCOMPARE(chunks, size == 1048576 ? QList<qint64>{1048576} : (QList<qint64>{1048576, 1048577}));
        }
        QVERIFY(QFile::remove(work + u"/chunked"_s));
        // The root's write fills the first half of the bar, in one step per
        // chunk of the stored (compressed) root.
        const Outcome saved = save(saveTask(work, package, rootOfSize(1048577)));
        QVERIFY(saved.answer);
        const qint64 stored = QFileInfo(work + u"/documentSource.pagestyle"_s).size();
        QVERIFY(stored > 1048576); // random bytes do not compress
        const QList<double> counts = saved.recorder->countsOf(93303);
        const QList<double> rootPart = counts.mid(0, counts.indexOf(50.0) + 1);
        QCOMPARE(rootPart, (QList<double>{1048576.0 / double(stored) * 50.0, 50.0}));
        QCOMPARE(saved.recorder->steps.mid(0, 3), (QList<int>{93301, 93302, 93302}));
        QCOMPARE(saved.recorder->messages.at(saved.recorder->steps.indexOf(93303)), u" "_s);
        const QMap<QString, QByteArray> before = filesIn(package);

        const auto failsWith93305 = [&](const QVariantMap &request, const std::function<void(SaveForEncod &)> &prepare = {}) {
            const Outcome outcome = save(request, prepare);
            return !outcome.answer && outcome.recorder->steps.last() == 93305
                   && outcome.recorder->counts.last() == 100.0 && outcome.recorder->results.isEmpty();
        };
        QVERIFY(failsWith93305({}));
        QVariantMap noPath = saveTask(work, package, rootOfSize(100000));
        noPath.remove(u"filePath"_s);
        QVERIFY(failsWith93305(noPath));
        QVERIFY(failsWith93305(saveTask(work, package, nullptr)));
        QVERIFY(failsWith93305(saveTask(work, package, rootOfSize(200000)), [](SaveForEncod &worker) {
            worker.packageWriter().setFailureHook(
                [](AtomicPackageWriter::Step step) { return step == AtomicPackageWriter::Step::SyncTemporary; });
        }));
        QCOMPARE(filesIn(package), before);
    }

    void listWriteAndRead()
    {
        QTemporaryDir dir;
        const QString work = dir.filePath(u"work"_s);
        QVERIFY(QDir().mkpath(work));

        const Outcome written = writeList(writeTask(work, u"id7.listItems"_s, makeList(5)));
        QVERIFY(written.answer);
        QCOMPARE(written.recorder->steps.first(), 93401);
        QCOMPARE(written.recorder->steps.last(), 93404);
        QCOMPARE(written.recorder->countsOf(93403), (QList<double>{0, 100}));
        QCOMPARE(written.recorder->results, QVariantList{u"Doc 1"_s});
        QCOMPARE(QDir(work).entryList(QDir::Files | QDir::Hidden), QStringList{u"id7.listItems"_s});

        // A request without the document's name, or without a list, writes nothing.
        QVariantMap noDocument = writeTask(work, u"id8.listItems"_s, makeList(1));
        noDocument.remove(u"documentFileName"_s);
        for (const QVariantMap &task : {noDocument, writeTask(work, u"id8.listItems"_s, nullptr)}) {
            const Outcome failed = writeList(task);
            QVERIFY(!failed.answer);
            QCOMPARE(failed.recorder->steps.last(), 93405);
            QVERIFY(failed.recorder->results.isEmpty());
        }
        QVERIFY(!QFile::exists(work + u"/id8.listItems"_s));

        // A file of 3 MiB is read in three chunks; bytes that hold no list
        // end the read quietly.
        writeFile(work + u"/id9.listItems"_s, QByteArray(3 * 1048576, 'x'));
        const Outcome read = readList(readTask(work, u"id9.listItems"_s, true));
        QVERIFY(read.answer);
        QVERIFY(read.recorder->results.isEmpty());
        QCOMPARE(read.recorder->steps, (QList<int>{93201, 93202, 93202, 93202, 93202, 93203}));
        QList<double> rounded;
        for (const double count : std::as_const(read.recorder->counts))
            rounded.append(std::round(count * 1000) / 1000);
        QCOMPARE(rounded, (QList<double>{0, 0, 33.333, 66.667, 100, 100}));
        QCOMPARE(read.recorder->messages, QStringList(6, u"Reading"_s));
        QVERIFY(!readList(readTask(work, u"id10.listItems"_s, true)).answer);
    }

    void hostileNamesStayInside()
    {
        QTemporaryDir dir;
        const QString work = dir.filePath(u"a/work"_s);
        QVERIFY(QDir().mkpath(work));
        writeFile(dir.filePath(u"a/outside.listItems"_s), "outside");
        QVERIFY(QFile::link(dir.filePath(u"a/outside.listItems"_s), work + u"/linked.listItems"_s));

        for (const QString &name : {u"../outside.listItems"_s, u"sub/x.listItems"_s, u".."_s, u"."_s,
                                    u"a\\b"_s, u"line\nbreak"_s, u"tab\t"_s}) {
            const Outcome written = writeList(writeTask(work, name, makeList(1)));
            QVERIFY2(!written.answer, qPrintable(name));
            QCOMPARE(written.recorder->steps.last(), 93405);
            QVERIFY2(!readList(readTask(work, name, true)).answer, qPrintable(name));
        }
        // A link in the working folder is not followed by the reader.
        QVERIFY(!readList(readTask(work, u"linked.listItems"_s, true)).answer);
        QFile outside(dir.filePath(u"a/outside.listItems"_s));
        QVERIFY(outside.open(QIODevice::ReadOnly));
        QCOMPARE(outside.readAll(), QByteArray("outside"));
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"linked.listItems"_s});
    }

    void panelRules()
    {
        TaskRunner runner;
        StorageWorkers::registerAll(runner);
        for (const int code : {101, 202, 242, 243})
            QVERIFY(runner.hasWorker(code));

        QTemporaryDir dir;
        const QString package = dir.filePath(u"Big.pgcd"_s);
        QVERIFY(QDir().mkpath(package));
        writeFile(package + u"/a"_s, QByteArray(1048575, 'a'));
        writeFile(package + u"/b"_s, "b");
        QVERIFY(!runner.showsPanel(101, loadTask(dir.path(), package)));
        writeFile(package + u"/c"_s, "c");
        QVERIFY(runner.showsPanel(101, loadTask(dir.path(), package)));

        struct Hint final : ArchivableSnapshot
        {
            explicit Hint(qsizetype n) : rows(n) {}
            bool writeArchive(KeyedArchiver &, QStringView) const override { return false; }
            qsizetype rowCountHint() const override { return rows; }
            qsizetype rows;
        };
        QVERIFY(!runner.showsPanel(202, saveTask(dir.path(), package, std::make_shared<Hint>(1000))));
        QVERIFY(runner.showsPanel(202, saveTask(dir.path(), package, std::make_shared<Hint>(1001))));
        QVERIFY(!runner.showsPanel(242, writeTask(dir.path(), u"id1.listItems"_s, makeList(1000))));
        QVERIFY(runner.showsPanel(242, writeTask(dir.path(), u"id1.listItems"_s, makeList(1001))));

        QFile big(dir.filePath(u"id1.listItems"_s));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(10485761));
        big.close();
        QVERIFY(runner.showsPanel(243, readTask(dir.path(), u"id1.listItems"_s, true)));
        QVERIFY(!runner.showsPanel(243, readTask(dir.path(), u"id1.listItems"_s, false)));
        QVERIFY(big.resize(10485760));
        QVERIFY(!runner.showsPanel(243, readTask(dir.path(), u"id1.listItems"_s, true)));
    }
};

QTEST_GUILESS_MAIN(tst_StorageWorkers)
#include "tst_StorageWorkers.moc"
