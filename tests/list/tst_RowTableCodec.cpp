#include "support/CsvFiles.h"
#include "support/RichList.h"
#include "convert/CSVtoLMSConversion.h"
#include "convert/OutputConverterFile.h"
#include "list/DeferredRows.h"
#include "list/ListItem.h"
#include "list/RowTableCodec.h"
#include "platform/AlertSheetModal.h"
#include "platform/ArchiveArray.h"
#include "platform/ArchiveCompression.h"
#include "platform/ArchiveRowSegment.h"
#include "platform/ArchiveRowSegmentWriter.h"
#include "platform/ArchiveRowTable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MappedFile.h"
#include "platform/FileDescriptor.h"
#include "platform/NotificationCenter.h"
#include "platform/PolicyAlertPresenter.h"

#include "TestSupport.h"

#include <QCborValue>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<ListItem> roundTrip(const ListItem &list, QString *error)
{
    const QByteArray bytes = ArchiveCompression::compress(KeyedArchiver::archivedData(list, u"listItem", error));
    return KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem", error);
}

// The row table as stored, read without the codec.
struct StoredRows
{
    static QString archiveClassName() { return u"ListItem"_s; }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        table = coder.decodeRowTable(u"tableItemObjectArray");
        plain = coder.decodeArray(u"tableItemObjectArray");
        return true;
    }
    ArchiveRowTable table;
    ArchiveArray plain;
};

// The bytes as the list reader gets them: a mapped file that only the
// archive goes on to hold.
std::shared_ptr<const MappedFile> mappedCopy(const QByteArray &bytes, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"mapped.listItems"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return nullptr;
    file.close();
    qint64 size = 0;
    QString error;
    const FileDescriptor descriptor = FileDescriptor::openRegularFile(path, &size, &error);
    return MappedFile::map(descriptor, size, &error);
}

// The rows as the list reader gets them: empty slots and their builder.
struct DeferredList
{
    static QString archiveClassName() { return u"ListItem"_s; }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        return RowTableCodec::decode(coder, u"tableItemObjectArray", &rows, &deferred);
    }
    RowList rows;
    std::unique_ptr<DeferredRows> deferred;
};

// Little-endian numbers of a block, byte by byte.
quint32 numberAt(const QByteArray &bytes, qsizetype at)
{
    quint32 value = 0;
    for (qsizetype i = 3; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

void setNumberAt(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (qsizetype i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

qint64 peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class tst_RowTableCodec : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        enableIsolatedTestEnvironment();
        AlertSheetModal::setPresenter(&m_alerts);
    }
    void cleanupTestCase() { AlertSheetModal::setPresenter(nullptr); }

    void rowsReadBackAsWritten()
    {
        // Mixed titles fall back to one dictionary a row.
        QString error;
        const ListItem rich = richList();
        auto back = roundTrip(rich, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->tableItemObjectArray(), rich.tableItemObjectArray());

        // One set of titles: a row table, marks, options and runs included.
        ListItem uniform = rich;
        RowList rows = uniform.tableItemObjectArray();
        rows.removeLast();
        uniform.registerTableItemObjectArray(rows);
        const QByteArray bytes = KeyedArchiver::archivedData(uniform, u"listItem");
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredRows>(bytes, u"listItem");
        QVERIFY(stored && stored->table.isValid());
        QCOMPARE(stored->table.rowCount(), rows.size());
        QCOMPARE(stored->table.markTitle(), Row::kIndicationKey);
        QCOMPARE(stored->table.segmentCount(), 1);
        QByteArray scratch;
        ArchiveRowSegment segment;
        QVERIFY(stored->table.segment(0, &scratch, &segment, &error));
        QCOMPARE(segment.cellAt(3, 3), QByteArrayView("𠮷野家"));
        // Generic readers still see an array of dictionaries.
        QCOMPARE(stored->plain.size(), rows.size());
        QCOMPARE(stored->plain.kindAt(1), ArchiveKind::Dictionary);
        QCOMPARE(stored->plain.dictionaryAt(1).decodeAttributedText(u"Note"), rows.at(1).cell(u"Note"));
        QCOMPARE(stored->plain.dictionaryAt(2).decodeInt32(u"NSRIndication"), 2);

        back = roundTrip(uniform, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->tableItemObjectArray(), rows);
        QVERIFY(!back->tableItemObjectArray().at(1).cell(u"Note").hasOnlyDefaultAttributes());
        QCOMPARE(back->tableItemObjectArray().at(0).schema().data(),
                 back->tableItemObjectArray().at(5).schema().data());

        // Rows without marks, and rows with no cells at all.
        ListItem unmarked;
        const RowSchema::Ptr schema = RowSchema::make({u"A"_s});
        unmarked.registerTableItemObjectArray({Row::fromTexts(schema, {u"x"}, 0, false),
                                               Row::fromTexts(schema, {u""}, 0, false)});
        back = roundTrip(unmarked, &error);
        QVERIFY(back && back->tableItemObjectArray() == unmarked.tableItemObjectArray());
        QVERIFY(!back->tableItemObjectArray().at(0).hasIndication());
        ListItem empty;
        empty.registerTableItemObjectArray({Row::fromTexts(RowSchema::empty(), {}, 4, true)});
        back = roundTrip(empty, &error);
        QVERIFY(back && back->tableItemObjectArray() == empty.tableItemObjectArray());
    }

    void filesOfTheEarlierFormatStillOpen()
    {
        const QByteArray bytes = readFile(QStringLiteral(ROWSMITH_SOURCE_DIR "/tests/data/archive/rich-list-per-row.listItems"));
        QVERIFY(!bytes.isEmpty());
        QString error;
        const auto list = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem", &error);
        QVERIFY2(list, qPrintable(error));
        const ListItem expected = richList();
        QCOMPARE(list->tableItemObjectArray(), expected.tableItemObjectArray());
        QCOMPARE(list->columnTitlesArray(), expected.columnTitlesArray());
        QCOMPARE(list->columnTitlesDic(), expected.columnTitlesDic());
    }

    void rowsSpanningSegmentsReadBack()
    {
        // Two segments, the second nearly empty; marks vary, a cell starts
        // with U+FEFF (text, not a byte order mark), surrogates, empty cells
        // and a styled cell beyond the first segment.
        const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"A"_s, u"B"_s});
        const qsizetype count = ArchiveRowTable::kSegmentRows + 3;
        RowList rows;
        rows.reserve(count);
        for (qsizetype r = 0; r < count; ++r) {
            const QString a = r % 7 == 0 ? u"\uFEFFzw"_s : QString::number(r);
            const QString b = r % 5 == 0 ? QString() : u"東京😀"_s + QString::number(r % 11);
            rows.append(Row::fromTexts(schema, {u"", a, b}, quint32(r % 3), true));
        }
        AttributedText styled(u"bold"_s);
        TextAttributes bold;
        bold.weight = 75;
        styled.setAttributes(1, 2, TextAttributes::make(bold));
        rows[count - 2].setCell(u"B"_s, styled);
        ListItem list;
        list.registerTableItemObjectArray(rows);

        const QByteArray bytes = KeyedArchiver::packedData(list, u"listItem");
        QVERIFY(!ArchiveCompression::isCompressed(bytes)); // its rows are packed already
        const auto stored = KeyedUnarchiver::unarchivedObject<StoredRows>(bytes, u"listItem");
        QVERIFY(stored && stored->table.isValid());
        QCOMPARE(stored->table.segmentCount(), 2);
        QCOMPARE(stored->table.segmentFirstRow(1), qsizetype(ArchiveRowTable::kSegmentRows));
        // Generic readers see every segment as ordinary rows.
        QCOMPARE(stored->plain.size(), count);
        QCOMPARE(stored->plain.dictionaryAt(count - 2).decodeAttributedText(u"B"), styled);
        QCOMPARE(stored->plain.dictionaryAt(count - 1).decodeInt32(u"NSRIndication"), int((count - 1) % 3));
        QCOMPARE(stored->plain.dictionaryAt(7).decodeAttributedText(u"A").string(), u"\uFEFFzw"_s);

        QString error;
        const auto back = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem", &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->tableItemObjectArray(), rows);
        QCOMPARE(back->tableItemObjectArray().at(0).cellText(u"A"), u"\uFEFFzw");
        QVERIFY(!back->tableItemObjectArray().at(count - 2).cell(u"B").hasOnlyDefaultAttributes());

        // The block goes to the device beside the stream writer: the same
        // bytes reach a file as an array, and they are well-formed CBOR.
        const QByteArray plainArchive = KeyedArchiver::archivedData(list, u"listItem");
        QTemporaryDir dir;
        QFile file(dir.filePath(u"list"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        {
            KeyedArchiver archiver(&file);
            archiver.encoder().encodeObject(list, u"listItem");
            QVERIFY(archiver.finish());
        }
        file.close();
        QCOMPARE(readFile(file.fileName()), plainArchive);
        QCborParserError cborError;
        QCborValue::fromCbor(plainArchive, &cborError);
        QCOMPARE(cborError.error, QCborError::NoError);

        // An archive that alone holds its mapped file gives each segment's
        // memory back once read: the rows are whole, and a second read of
        // the same table is refused rather than decoding emptied memory.
        // Shared bytes (above) stay readable any number of times.
        const QTemporaryDir mappedDir;
        auto mapped = mappedCopy(bytes, mappedDir);
        QVERIFY(mapped);
        KeyedUnarchiver owner(std::move(mapped));
        const auto once = owner.decodeTopLevelObject<ListItem>(u"listItem");
        QVERIFY2(once, qPrintable(owner.errorString()));
        QCOMPARE(once->tableItemObjectArray(), rows);
        QVERIFY(!owner.decodeTopLevelObject<ListItem>(u"listItem"));
        QVERIFY2(owner.errorString().startsWith(u"archive: ") && owner.errorString().contains(u"read once already"),
                 qPrintable(owner.errorString()));
    }

    void rowsAreBuiltWhenFirstAskedFor()
    {
        // Three segments; a styled cell in the last one.
        const RowSchema::Ptr schema = RowSchema::make({u"ID"_s, u"Name"_s});
        const qsizetype count = 2 * qsizetype(ArchiveRowTable::kSegmentRows) + 10;
        RowList rows;
        rows.reserve(count);
        for (qsizetype r = 0; r < count; ++r)
            rows.append(Row::fromTexts(schema, {QString::number(r), u"名前"_s + QString::number(r % 13)}, quint32(r % 4)));
        AttributedText styled(u"STYLEDCELL"_s);
        TextAttributes bold;
        bold.weight = 75;
        styled.setAttributes(0, 6, TextAttributes::make(bold));
        rows[count - 1].setCell(u"Name"_s, styled);
        const RowList original = rows;
        ListItem list;
        list.registerTableItemObjectArray(rows);
        const QByteArray bytes = KeyedArchiver::packedData(list, u"listItem");

        auto stored = KeyedUnarchiver::unarchivedObject<DeferredList>(bytes, u"listItem");
        QVERIFY(stored && stored->deferred);
        const DeferredRows *deferred = stored->deferred.get();
        QCOMPARE(deferred->segmentCount(), 3);
        QCOMPARE(deferred->builtSegmentCount(), 0);
        ListRowStore store;
        store.setRows(std::move(stored->rows), std::move(stored->deferred));
        QCOMPARE(store.rowCount(), count);
        QCOMPARE(store.rowAt(count - 1), rows.at(count - 1));
        QVERIFY(!store.rowAt(count - 1).cell(u"Name").hasOnlyDefaultAttributes());
        QCOMPARE(deferred->builtSegmentCount(), 1);
        // An edit of a row not built yet changes the stored row.
        QCOMPARE(store.setIndication(5, 9), quint32(1));
        rows[5].setIndication(9);
        QCOMPARE(deferred->builtSegmentCount(), 2);

        // Readers on several threads at once: one builds, all see whole rows.
        std::atomic_int wrong{0};
        std::vector<std::thread> readers;
        for (int t = 0; t < 4; ++t) {
            readers.emplace_back([&, t] {
                for (qsizetype r = ArchiveRowTable::kSegmentRows + t; r < 2 * ArchiveRowTable::kSegmentRows; r += 97) {
                    if (store.rowAt(r) != rows.at(r))
                        ++wrong;
                }
            });
        }
        for (std::thread &reader : readers)
            reader.join();
        QCOMPARE(wrong.load(), 0);
        QVERIFY(deferred->isComplete());
        QCOMPARE(store.rows(), rows);
        const ListRowStore copy = store;
        QCOMPARE(copy.rows(), rows);

        // A copy taken before anything is built shares what either builds;
        // an edit of one leaves the other as it was.
        stored = KeyedUnarchiver::unarchivedObject<DeferredList>(bytes, u"listItem");
        QVERIFY(stored);
        deferred = stored->deferred.get();
        ListRowStore fresh;
        fresh.setRows(std::move(stored->rows), std::move(stored->deferred));
        const ListRowStore snapshot = fresh;
        QCOMPARE(snapshot.rowAt(5).indication(), quint32(1));
        QCOMPARE(deferred->builtSegmentCount(), 1);
        QCOMPARE(fresh.rowAt(6), original.at(6));
        QCOMPARE(fresh.setIndication(count - 1, 7), quint32((count - 1) % 4));
        QVERIFY(deferred->isComplete());
        QCOMPARE(snapshot.rows(), original);
        QCOMPARE(fresh.rowAt(count - 1).indication(), quint32(7));
        ListItem shared;
        shared.registerTableItemObjectArray(snapshot);
        QCOMPARE(shared.rowStore().rows(), original);

        // Removal from a list whose rows are not built keeps every row.
        stored = KeyedUnarchiver::unarchivedObject<DeferredList>(bytes, u"listItem");
        QVERIFY(stored);
        fresh.setRows(std::move(stored->rows), std::move(stored->deferred));
        const RowList removed = fresh.removeRows(1, 2);
        QCOMPARE(removed.size(), 2);
        QCOMPARE(removed.at(1).cellText(u"ID"), u"2");
        QCOMPARE(fresh.rowAt(1).cellText(u"ID"), u"3");
        QCOMPARE(fresh.rowAt(count - 3), original.at(count - 1));

        // Where the archive alone holds its mapped file, a second reader is
        // refused even before the first has built anything, so that it
        // cannot find segments released under it.
        const QTemporaryDir mappedDir;
        auto mapped = mappedCopy(bytes, mappedDir);
        QVERIFY(mapped);
        KeyedUnarchiver owner(std::move(mapped));
        const auto first = owner.decodeTopLevelObject<ListItem>(u"listItem");
        QVERIFY2(first, qPrintable(owner.errorString()));
        QVERIFY(!owner.decodeTopLevelObject<ListItem>(u"listItem"));
        QVERIFY2(owner.errorString().contains(u"read once already"), qPrintable(owner.errorString()));
        QCOMPARE(first->rowStore().rows(), original);

        // A styled cell that does not match its stored cell fails the read,
        // though no row is built.
        QByteArray forged = bytes;
        const qsizetype at = forged.lastIndexOf("STYLEDCELL"); // the pair after the block
        QVERIFY(at > 0);
        forged[at] = 'X';
        QString error;
        QVERIFY(!KeyedUnarchiver::unarchivedObject<ListItem>(forged, u"listItem", &error));
        QVERIFY2(error.contains(u"does not match its cell"), qPrintable(error));
    }

    void tableFilesOfTheEarlierWriterStillOpen()
    {
        // Written by the writer before segments: the list file of a package
        // (one compressed frame) and an exported list file (plain), both of
        // the CSV beside them, with quotes, line breaks and Japanese.
        CSVtoLMSConversion reader;
        reader.setNotificationCenter(&m_center);
        QString error;
        const auto imported = reader.importFile(QStringLiteral(ROWSMITH_SOURCE_DIR "/tests/data/archive/table-source.csv"),
                                                true, &error);
        QVERIFY2(imported, qPrintable(error));
        QCOMPARE(imported->tableItemObjectArray().size(), 300);
        // And by the writer that kept each segment's text in one frame with
        // its offsets.
        const std::pair<const char *, QString> files[] = {{"imported-table.listItems", u"listItem"_s},
                                                          {"exported-table.pgcl", u"ListItem"_s},
                                                          {"segmented-table.listItems", u"listItem"_s}};
        for (const auto &[name, key] : files) {
            const QByteArray bytes = readFile(QStringLiteral(ROWSMITH_SOURCE_DIR "/tests/data/archive/") + QLatin1StringView(name));
            QVERIFY2(!bytes.isEmpty(), name);
            const auto list = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, key, &error);
            QVERIFY2(list, qPrintable(error));
            QCOMPARE(list->tableItemObjectArray(), imported->tableItemObjectArray());
            QCOMPARE(list->columnTitlesArray(), imported->columnTitlesArray());
            // Written again, it takes the new layout and reads back the same.
            const auto again = KeyedUnarchiver::unarchivedObject<ListItem>(KeyedArchiver::packedData(*list, u"listItem"),
                                                                           u"listItem", &error);
            QVERIFY2(again, qPrintable(error));
            QCOMPARE(again->tableItemObjectArray(), list->tableItemObjectArray());
        }
    }

    void damagedSegmentsFailCleanly()
    {
        ListItem list;
        const RowSchema::Ptr schema = RowSchema::make({u"A"_s, u"B"_s});
        list.registerTableItemObjectArray({Row::fromTexts(schema, {u"one", u"東京"}, 1, true),
                                           Row::fromTexts(schema, {u"two", u""}, 0, true),
                                           Row::fromTexts(schema, {u"three", u"x"}, 2, true)});
        const QByteArray good = KeyedArchiver::archivedData(list, u"listItem");
        // The directory (rows, unpacked and packed length of the marks and
        // offsets, the same of the text, the text's checksum) sits just
        // before the first of the two frames.
        const qsizetype frame = good.indexOf(QByteArrayView("\x28\xb5\x2f\xfd", 4));
        QVERIFY(frame > 28);
        const qsizetype directory = frame - 24;
        QCOMPARE(numberAt(good, directory), 3u);
        const quint32 headPlain = numberAt(good, directory + 4);
        const quint32 headPacked = numberAt(good, directory + 8);
        const quint32 textPlain = numberAt(good, directory + 12);
        const quint32 textPacked = numberAt(good, directory + 16);
        QCOMPARE(headPlain, 4u * 3 + 4u * 7);
        QCOMPARE(textPlain, quint32(QByteArrayView("one東京twothreex").size()));
        const auto withNumber = [&](qsizetype at, quint32 value) {
            QByteArray bytes = good;
            setNumberAt(bytes, at, value);
            return bytes;
        };
        const auto flippedAt = [&](qsizetype at) {
            QByteArray bytes = good;
            bytes[at] = char(bytes[at] ^ 0x5a);
            return bytes;
        };
        const qsizetype text = frame + qsizetype(headPacked);
        const struct
        {
            QByteArray bytes;
            QString error;
        } cases[] = {
            {withNumber(directory - 4, 2), u"segment"_s},
            {withNumber(directory, 0), u"does not fit"_s},
            {withNumber(directory, 4), u"does not fit"_s},
            {withNumber(directory + 4, 8), u"too short"_s},
            {withNumber(directory + 4, headPlain + 4), u"where %1 are due"_s.arg(headPlain)},
            {withNumber(directory + 8, headPacked - 1), u"remain"_s},
            {withNumber(directory + 12, textPlain + 1), u"is not one frame of %1 bytes"_s.arg(textPlain + 1)},
            {withNumber(directory + 12, 0xf0000000u), u"budget"_s},
            {withNumber(directory + 16, textPacked + 1), u"remain"_s},
            {withNumber(directory + 20, numberAt(good, directory + 20) ^ 1), u"checksum"_s},
            {flippedAt(text + qsizetype(textPacked) - 6), u"checksum"_s},
            {flippedAt(text - 6), u"damaged"_s},
        };
        for (const auto &c : cases) {
            QString error;
            QVERIFY(!KeyedUnarchiver::unarchivedObject<ListItem>(c.bytes, u"listItem", &error));
            QVERIFY2(error.startsWith(u"archive: ") && error.contains(c.error), qPrintable(c.error + u" / "_s + error));
        }

        // A segment's own bytes: offsets and characters are checked as in
        // a plain table.
        ArchiveRowSegmentWriter writer(2, false);
        writer.start(1);
        const QStringView cells[] = {u"ab", u"日"};
        writer.addRow(0, cells);
        QVERIFY(writer.fits());
        const QByteArray segmentBytes = writer.bytes().toByteArray();
        ArchiveRowSegment segment;
        QString error;
        QVERIFY(ArchiveRowSegment::read(segmentBytes, 1, 2, false, 0, &segment, &error));
        QCOMPARE(segment.cellAt(0, 1), QByteArrayView("日"));
        QByteArray split = segmentBytes;
        setNumberAt(split, 4, 3);
        QVERIFY(!ArchiveRowSegment::read(split, 1, 2, false, 0, &segment, &error));
        QVERIFY(error.contains(u"inside a character"));
        QVERIFY(!ArchiveRowSegment::read(segmentBytes, 1, 2, true, 0, &segment, &error));
        QVERIFY(!ArchiveRowSegment::read(segmentBytes.chopped(1), 1, 2, false, 0, &segment, &error));
        QVERIFY(!ArchiveRowSegment::read(segmentBytes, 0x10000, 0x10000, false, 0, &segment, &error));
        QVERIFY(error.contains(u"claims"));

        // Frames: exactly the declared size, one frame and nothing after it.
        QByteArray frameBytes;
        QVERIFY(ArchiveCompression::packFrame(segmentBytes, &frameBytes));
        QByteArray out(segmentBytes.size(), Qt::Uninitialized);
        QVERIFY(ArchiveCompression::unpackFrame(frameBytes, &out, &error));
        QCOMPARE(out, segmentBytes);
        QByteArray shorter(segmentBytes.size() - 1, Qt::Uninitialized);
        QVERIFY(!ArchiveCompression::unpackFrame(frameBytes, &shorter, &error));
        QVERIFY(!ArchiveCompression::unpackFrame(frameBytes + frameBytes, &out, &error));
        QVERIFY(!ArchiveCompression::unpackFrame(frameBytes.chopped(2), &out, &error));
    }

    void hostileFilesFailCleanly()
    {
        const QString manifest = QStringLiteral(ROWSMITH_SOURCE_DIR "/tests/data/hostile/archive/cases.json");
        QVERIFY(!manifest.isEmpty());
        const QJsonArray cases = QJsonDocument::fromJson(readFile(manifest)).array();
        QVERIFY(cases.size() >= 10);
        for (const QJsonValue &entry : cases) {
            const QString name = entry[u"file"].toString();
            const QByteArray bytes = readFile(QFileInfo(manifest).dir().filePath(name));
            QVERIFY2(!bytes.isEmpty(), qPrintable(name));
            // Generous bounds: they catch a reader that builds what the file
            // claims (minutes, gigabytes), not a slow machine.
            const qint64 peakBefore = peakResidentKiB();
            QElapsedTimer timer;
            timer.start();
            QString error;
            const auto list = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem", &error);
            QVERIFY2(!list, qPrintable(name));
            QVERIFY2(error.startsWith(u"archive: ") && error.contains(entry[u"error"].toString()),
                     qPrintable(name + u": "_s + error));
            QVERIFY2(timer.elapsed() < 60000, qPrintable(name));
            QVERIFY2(peakResidentKiB() - peakBefore < 1024 * 1024, qPrintable(name));
        }
    }

    void expansionBudgetFollowsSizeAndMemory()
    {
        const qint64 MiB = qint64(1) << 20;
        // Small files get the floor, larger ones a multiple, memory caps both.
        QCOMPARE(KeyedUnarchiver::expansionBudget(1000, 64 * 1024 * MiB), 256 * MiB);
        QCOMPARE(KeyedUnarchiver::expansionBudget(100 * MiB, 64 * 1024 * MiB), 6400 * MiB);
        QCOMPARE(KeyedUnarchiver::expansionBudget(100 * MiB, 1024 * MiB), 512 * MiB);
        QCOMPARE(KeyedUnarchiver::expansionBudget(qint64(1) << 50, qint64(1) << 62), qint64(1) << 46);

        // Row tables count against the budget too.
        ListItem list;
        const RowSchema::Ptr schema = RowSchema::make({u"A"_s, u"B"_s});
        RowList rows(20000, Row::fromTexts(schema, {u"same", u"x"}, 0, true));
        list.registerTableItemObjectArray(rows);
        KeyedUnarchiver::Limits tight;
        tight.maxExpansion = MiB / 2;
        const QByteArray bytes = KeyedArchiver::archivedData(list, u"listItem");
        QVERIFY(KeyedUnarchiver(bytes).isValid());
        KeyedUnarchiver refused(bytes, tight);
        QVERIFY(!refused.isValid());
        QVERIFY(refused.errorString().contains(u"budget"));
    }

    void csvSurvivesPackageByteForByte()
    {
        // Quotes, empty cells, line breaks, Japanese, then marks, runs and a
        // retitled column: the stored list exports as the list did.
        QTemporaryDir dir;
        const QByteArray csv = "id,name,note\n1,,\"say \"\"hi\"\", then go\"\n2,\"two\nlines\",\xe6\x97\xa5\n3,x,";
        CSVtoLMSConversion reader;
        reader.setNotificationCenter(&m_center);
        QString error;
        const auto imported = importCsvBytes(reader, dir.filePath(u"in.csv"_s), csv, &error);
        QVERIFY2(imported, qPrintable(error));
        QCOMPARE(exportAll(*imported, dir.filePath(u"direct.csv"_s)), csv);

        auto stored = roundTrip(*imported, &error);
        QVERIFY2(stored, qPrintable(error));
        QCOMPARE(exportAll(*stored, dir.filePath(u"stored.csv"_s)), csv);

        ListItem edited = *imported;
        RowList rows = edited.tableItemObjectArray();
        Row::RenameMemo memo;
        for (Row &row : rows) {
            row.renameKey(u"note", u"remark"_s, &memo);
            row.setIndication(2);
        }
        AttributedText styled(u"x"_s);
        TextAttributes italic;
        italic.italic = true;
        styled.setAttributes(0, 1, TextAttributes::make(italic));
        rows[2].setCell(u"name"_s, styled);
        edited.registerTableItemObjectArray(rows);
        QStringList titles = edited.columnTitlesArray();
        titles.replace(titles.indexOf(u"note"_s), u"remark"_s);
        edited.registerColumnTitlesArray(titles);
        stored = roundTrip(edited, &error);
        QVERIFY2(stored, qPrintable(error));
        QCOMPARE(stored->tableItemObjectArray(), rows);
        QCOMPARE(exportAll(*stored, dir.filePath(u"edited.csv"_s)),
                 exportAll(edited, dir.filePath(u"edited-direct.csv"_s)));
    }

    void samplesSurviveTheCommandLine()
    {
        const QString tool = QCoreApplication::applicationDirPath() + u"/../src/cli/rowsmith-cli"_s;
        if (!QFile::exists(tool))
            QSKIP("rowsmith-cli is not built beside the tests");
        QTemporaryDir dir;
        const auto run = [&](const QStringList &arguments) {
            QProcess process;
            process.start(tool, arguments);
            return process.waitForFinished(60000) && process.exitCode() == 0;
        };
        const QStringList samples = {u"shop.csv"_s, u"products-sjis.csv"_s};
        for (const QString &name : samples) {
            const QString sample = QStringLiteral(ROWSMITH_SOURCE_DIR "/samples/") + name;
            QVERIFY(!sample.isEmpty());
            const QString title = QFileInfo(name).completeBaseName();
            const QString package = dir.filePath(title + u".pgcd"_s);
            const QStringList encoding = name.contains(u"sjis") ? QStringList{u"--encoding"_s, u"shift-jis"_s, u"--crlf"_s}
                                                                : QStringList();
            QVERIFY(run({u"new"_s, package, u"--import"_s, sample}));
            QVERIFY(run(QStringList{u"export"_s, package, u"--list"_s, title, u"-o"_s, dir.filePath(u"a.csv"_s),
                                    u"--all"_s} + encoding));
            QVERIFY(run(QStringList{u"convert"_s, sample, u"-o"_s, dir.filePath(u"b.csv"_s), u"--all"_s}
                        + encoding));
            const QByteArray viaPackage = readFile(dir.filePath(u"a.csv"_s));
            QVERIFY(!viaPackage.isEmpty());
            QCOMPARE(viaPackage, readFile(dir.filePath(u"b.csv"_s)));
        }
    }

private:
    QByteArray exportAll(const ListItem &list, const QString &path)
    {
        ListItem marked = list;
        marked.setAllIndications(1);
        OutputConverterFile writer;
        writer.setNotificationCenter(&m_center);
        writer.initializationUserObject();
        const QVariantMap request = {{u"filePath"_s, path},
                                     {u"fileType"_s, 0},
                                     {u"encoding"_s, 0},
                                     {u"lineFeedCode"_s, false},
                                     {u"columnTitles"_s, marked.columnTitlesArray()},
                                     {u"columnTitlesWidthDic"_s, marked.columnTitlesWidthDic()},
                                     {u"itemObject"_s, QVariant::fromValue(marked.tableItemObjectArray())}};
        return writer.exportWorkDictionary(request).success ? readFile(path) : QByteArray();
    }

    PolicyAlertPresenter m_alerts;
    NotificationCenter m_center;
};

QTEST_GUILESS_MAIN(tst_RowTableCodec)
#include "tst_RowTableCodec.moc"
