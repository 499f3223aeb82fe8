// List figures on a generated list: memory per cell, a search, a two-column
// retitling and the archive round trip of the whole list item.
//
//   bench_list [rows]        (default 1,000,000; ten text columns each)

#include "list/ChangeTitleOfListItems.h"
#include "BenchList.h"
#include "list/ListItem.h"
#include "list/WritingForSearchObject.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/NotificationCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <random>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Resident bytes of this process.
qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype rowCount = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (rowCount <= 0) {
        std::fprintf(stderr, "usage: bench_list [rows]\n");
        return 2;
    }
    const double cellCount = double(rowCount) * BenchList::kColumns;
    std::printf("rows %lld, columns %d\n", static_cast<long long>(rowCount), BenchList::kColumns);

    QElapsedTimer timer;
    const qint64 before = residentBytes();
    timer.start();
    std::shared_ptr<ListItem> list = BenchList::make(rowCount);
    const double buildSeconds = timer.nsecsElapsed() / 1e9;
    const qint64 after = residentBytes();
    BenchList::line("build list", buildSeconds, "s");
    BenchList::line("memory per cell", double(after - before) / cellCount, "B", "(target < 48)");

    // Workers post to a centre nobody observes, so only their own work counts.
    NotificationCenter quiet;

    {
        ItemsSearch criterion;
        criterion.registerBeginningSwitch(true);
        criterion.registerCategoryString(u"Name"_s);
        criterion.registerKeywordString(u"ab c"_s);
        SearchEditingSource search;
        search.registerSearchObjectTitle(u"bench"_s);
        search.registerItemsSearchArray({criterion});
        const QVariantMap task = {{u"targeted"_s, 244},
                                  {u"searchEditingSource"_s, QVariant::fromValue(search)},
                                  {u"listItemSource"_s, QVariant::fromValue(ListItemPtr(list))},
                                  {u"cachesFolderID"_s, 1}};
        WritingForSearchObject worker;
        worker.setNotificationCenter(&quiet);
        timer.restart();
        worker.registerForSearchObject(task);
        const double seconds = timer.nsecsElapsed() / 1e9;
        char note[64];
        std::snprintf(note, sizeof note, "(target < 1; %lld rows found)",
                      static_cast<long long>(worker.objectArray().size()));
        BenchList::line("search 2 keywords", seconds, "s", note);
    }

    {
        const QVariantMap task = {
            {u"targeted"_s, 264},
            {u"editCellTitlesDic"_s, QVariantMap{{u"Name"_s, u"Full name"_s}, {u"Phone"_s, u"Tel"_s}}},
            {u"tableItemObjectArray"_s, QVariant::fromValue(list->tableItemObjectArray())},
            {u"columnTitlesWidthDic"_s, list->columnTitlesWidthDic()}};
        const qint64 rssBefore = residentBytes();
        ChangeTitleOfListItems worker;
        worker.setNotificationCenter(&quiet);
        timer.restart();
        worker.cangeTitleOfListItemsObject(task);
        const double seconds = timer.nsecsElapsed() / 1e9;
        BenchList::line("retitle 2 columns", seconds, "s", "(target < 1)");
        BenchList::line("retitle extra memory/row", double(residentBytes() - rssBefore) / double(rowCount), "B");
    }

    {
        timer.restart();
        QString error;
        const QByteArray bytes = KeyedArchiver::archivedData(*list, u"ListItem", &error);
        const double writeSeconds = timer.nsecsElapsed() / 1e9;
        if (bytes.isEmpty()) {
            std::fprintf(stderr, "archive write failed: %s\n", qPrintable(error));
            return 1;
        }
        BenchList::line("archive write", writeSeconds, "s");
        BenchList::line("archive size", double(bytes.size()) / 1e6, "MB");
        BenchList::line("archive bytes per cell", double(bytes.size()) / cellCount, "B");

        timer.restart();
        const std::unique_ptr<ListItem> read = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem", &error);
        const double readSeconds = timer.nsecsElapsed() / 1e9;
        if (!read) {
            std::fprintf(stderr, "archive read failed: %s\n", qPrintable(error));
            return 1;
        }
        BenchList::line("archive read", readSeconds, "s");
        if (read->tableItemObjectArray().size() != rowCount
            || read->tableItemObjectArray().last() != list->tableItemObjectArray().last()) {
            std::fprintf(stderr, "archive read back different rows\n");
            return 1;
        }
    }
    return 0;
}
