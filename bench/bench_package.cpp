// Package figures on a generated list: writing the list file, saving the
// working folder into a package, reopening it (copy back and decode), and
// the list file's size against the same rows as CSV.
//
//   bench_package [rows]     (default 1,000,000; ten text columns each)

#include "document/DocumentSource.h"
#include "BenchList.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"
#include "storage/DirectoryWrapper.h"
#include "storage/LoadingForEncod.h"
#include "storage/ReadingForEncod.h"
#include "storage/SaveForEncod.h"
#include "storage/WritingForEncod.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// The rows as plain CSV (UTF-8, LF); the generated cells need no quoting.
qint64 writeCsv(const ListItem &list, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    const QStringList &titles = BenchList::columnTitles();
    QString text = titles.join(u',') + u'\n';
    const RowList rows = list.tableItemObjectArray();
    for (const Row &row : rows) {
        for (int c = 0; c < BenchList::kColumns; ++c) {
            if (c > 0)
                text += u',';
            text += row.cellText(titles.at(c));
        }
        text += u'\n';
        if (text.size() > 1 << 20) {
            file.write(text.toUtf8());
            text.clear();
        }
    }
    file.write(text.toUtf8());
    return file.size();
}

qint64 folderBytes(const QString &path)
{
    qint64 total = 0;
    for (const QFileInfo &info : QDir(path).entryInfoList(QDir::Files | QDir::Hidden))
        total += info.size();
    return total;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype rowCount = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (rowCount <= 0) {
        std::fprintf(stderr, "usage: bench_package [rows]\n");
        return 2;
    }
    std::printf("rows %lld, columns %d\n", static_cast<long long>(rowCount), BenchList::kColumns);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString work = dir.filePath(u"cachesID1"_s);
    const QString package = dir.filePath(u"Bench.pgcd"_s);
    const QString opened = dir.filePath(u"cachesID2"_s);
    QDir().mkpath(work);
    QDir().mkpath(opened);

    QElapsedTimer timer;
    timer.start();
    const ListItemPtr list = BenchList::make(rowCount);
    BenchList::line("build list", timer.nsecsElapsed() / 1e9, "s");

    // Workers post to a centre nobody observes, so only their own work counts.
    NotificationCenter quiet;

    {
        // The encoding alone, which the list write and the save both include,
        // and the decoding alone, which every open of the list includes.
        timer.restart();
        const QByteArray bytes = KeyedArchiver::archivedData(*list, u"listItem");
        BenchList::line("encode list (no disk)", timer.nsecsElapsed() / 1e9, "s");
        timer.restart();
        const auto decoded = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"listItem");
        BenchList::line("decode list (no disk)", timer.nsecsElapsed() / 1e9, "s");
        if (!decoded || decoded->rowCount() != rowCount) {
            std::fprintf(stderr, "decode failed\n");
            return 1;
        }
        // Rows are built when first asked for: this is what the first sort
        // or full search after opening pays.
        timer.restart();
        const bool built = decoded->rowStore().rows().constLast() == list->rowStore().rows().constLast();
        BenchList::line("then build every row", timer.nsecsElapsed() / 1e9, "s");
        if (!built) {
            std::fprintf(stderr, "decode read back different rows\n");
            return 1;
        }
    }

    {
        WritingForEncod writer;
        writer.setNotificationCenter(&quiet);
        timer.restart();
        const bool written = writer.writEncodDataAtObject(
            {{u"cachesFolderID"_s, 1}, {u"targeted"_s, 242}, {u"folderPath"_s, work},
             {u"fileName"_s, u"id1.listItems"_s}, {u"listItemSource"_s, QVariant::fromValue(list)},
             {u"documentFileName"_s, u"Bench"_s}});
        if (!written) {
            std::fprintf(stderr, "list write failed\n");
            return 1;
        }
        BenchList::line("write list file (242)", timer.nsecsElapsed() / 1e9, "s");
    }

    {
        // Task 243 on its own: the list file just written, read and decoded.
        ReadingForEncod reader;
        reader.setNotificationCenter(&quiet);
        ListItemPtr decoded;
        const auto token = quiet.addObserver(u"developExistingFileUnfoldNotif"_s, nullptr, [&](const Notification &n) {
            decoded = n.object.toMap().value(u"ListItem"_s).value<ListItemPtr>();
        });
        timer.restart();
        const bool read = reader.openWorkReadingFileObject(
            {{u"cachesFolderID"_s, 1}, {u"targeted"_s, 243}, {u"folderPath"_s, work},
             {u"filePass"_s, u"id1.listItems"_s}, {u"documentFileName"_s, u"Bench"_s}, {u"state"_s, true}});
        const double seconds = timer.nsecsElapsed() / 1e9;
        quiet.removeObserver(token);
        if (!read || !decoded || decoded->rowCount() != rowCount) {
            std::fprintf(stderr, "list read failed\n");
            return 1;
        }
        BenchList::line("read list file (243)", seconds, "s");
        timer.restart();
        decoded->rowStore().rows();
        BenchList::line("read list file (243), then build every row", seconds + timer.nsecsElapsed() / 1e9, "s");
    }

    // The document's root as a save takes it: the list is the open one and is
    // stored under a title, so the root refers to its file.
    DocumentSource document;
    document.initializationUserObject();
    *document.listItemsSource()->listItem() = *list;
    document.listItemsSource()->registerListItemTitle(u"Bench"_s);
    document.listItemsSource()->addListItemTitle();
    timer.restart();
    const ArchivableSnapshotPtr root =
        std::make_shared<ArchivableSnapshotOf<DocumentSource>>(document.snapshot(), rowCount);
    BenchList::line("snapshot of the root", timer.nsecsElapsed() / 1e9, "s");
    const QVariantMap saveTask = {{u"cachesFolderID"_s, 1}, {u"targeted"_s, 202}, {u"folderPath"_s, work},
                                  {u"filePath"_s, package}, {u"documentSource"_s, QVariant::fromValue(root)}};
    for (const char *figure : {"save new package (202)", "save over package (202)"}) {
        SaveForEncod saver;
        saver.setNotificationCenter(&quiet);
        timer.restart();
        if (!saver.saveWorkWrapperFileObject(saveTask)) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        BenchList::line(figure, timer.nsecsElapsed() / 1e9, "s");
    }

    {
        LoadingForEncod loader;
        loader.setNotificationCenter(&quiet);
        ReadingForEncod reader;
        reader.setNotificationCenter(&quiet);
        ListItemPtr decoded;
        quiet.addObserver(u"developExistingFileUnfoldNotif"_s, nullptr, [&](const Notification &n) {
            decoded = n.object.toMap().value(u"ListItem"_s).value<ListItemPtr>();
        });

        timer.restart();
        const bool loaded = loader.openWorkWrapperFileObject(
            {{u"folderPath"_s, opened}, {u"targeted"_s, 101},
             {u"wrapper"_s, QVariant::fromValue(DirectoryWrapper::wrapperAtPath(package))}});
        const double loadSeconds = timer.nsecsElapsed() / 1e9;
        QFile rootFile(opened + u"/documentSource.pagestyle"_s);
        const bool rootRead = rootFile.open(QIODevice::ReadOnly)
            && KeyedUnarchiver::unarchivedObject<DocumentSource>(rootFile.readAll(), u"documentSource") != nullptr;
        const double rootSeconds = timer.nsecsElapsed() / 1e9;
        const bool read = loaded && rootRead
            && reader.openWorkReadingFileObject({{u"cachesFolderID"_s, 1}, {u"targeted"_s, 243},
                                                 {u"folderPath"_s, opened}, {u"filePass"_s, u"id1.listItems"_s},
                                                 {u"documentFileName"_s, u"Bench"_s}, {u"state"_s, true}});
        const double reopenSeconds = timer.nsecsElapsed() / 1e9;
        if (!read || !decoded || decoded->tableItemObjectArray().size() != rowCount
            || decoded->tableItemObjectArray().last() != list->tableItemObjectArray().last()) {
            std::fprintf(stderr, "reopen failed or read back different rows\n");
            return 1;
        }
        BenchList::line("reopen: copy (101)", loadSeconds, "s");
        BenchList::line("reopen: copy + root", rootSeconds, "s");
        BenchList::line("reopen: copy + root + list (243)", reopenSeconds, "s");
    }

    const qint64 listBytes = QFileInfo(work + u"/id1.listItems"_s).size();
    const qint64 rootBytes = QFileInfo(work + u"/documentSource.pagestyle"_s).size();
    const qint64 packageBytes = folderBytes(package);
    const qint64 csvBytes = writeCsv(*list, dir.filePath(u"bench.csv"_s));
    BenchList::line("list file size", double(listBytes) / 1e6, "MB");
    BenchList::line("root file size", double(rootBytes) / 1e6, "MB");
    BenchList::line("package size", double(packageBytes) / 1e6, "MB");
    BenchList::line("same rows as CSV", double(csvBytes) / 1e6, "MB");
    BenchList::line("list file / CSV", double(listBytes) / double(csvBytes), "x");
    BenchList::line("package / CSV", double(packageBytes) / double(csvBytes), "x");
    return 0;
}
