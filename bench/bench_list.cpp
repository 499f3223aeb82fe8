// List figures on a generated list: memory per cell, a search, a two-column
// retitling and the archive round trip of the whole list item.
//
//   bench_list [rows]        (default 1,000,000; ten text columns each)

#include "list/ChangeTitleOfListItems.h"
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

constexpr int kColumns = 10;

const QStringList &columnTitles()
{
    static const QStringList titles = {
        u"ID"_s,   u"Name"_s,    u"Kana"_s,    u"Postcode"_s, u"Address"_s,
        u"Phone"_s, u"Mail"_s,   u"Company"_s, u"Section"_s,  u"Note"_s,
    };
    return titles;
}

// Resident bytes of this process.
qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Rows of short lower-case ASCII cells, 8 to 12 characters, from a fixed seed.
std::shared_ptr<ListItem> makeList(qsizetype rowCount)
{
    const QStringList &titles = columnTitles();
    const RowSchema::Ptr schema = RowSchema::make(QStringList{Row::kOptionKey} + titles);
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> length(8, 12);
    std::uniform_int_distribution<int> letter(0, 25);

    // One reused buffer, so the measurement holds only what the rows keep.
    QList<char16_t> buffer(kColumns * 12);
    QList<QStringView> cells(kColumns + 1);
    RowList rows;
    rows.reserve(rowCount);
    for (qsizetype r = 0; r < rowCount; ++r) {
        qsizetype used = 0;
        cells[0] = QStringView();
        for (int c = 0; c < kColumns; ++c) {
            const int n = length(random);
            for (int i = 0; i < n; ++i)
                buffer[used + i] = char16_t(u'a' + letter(random));
            cells[c + 1] = QStringView(buffer.constData() + used, n);
            used += n;
        }
        rows.append(Row::fromTexts(schema, cells));
    }

    auto list = std::make_shared<ListItem>();
    list->registerColumnTitlesArray(QStringList{Row::kIndicationKey, Row::kOptionKey} + titles);
    list->makingColumnTitlesDic();
    for (const QString &title : titles)
        list->setColumnTitlesWidth(120.0f, title);
    list->registerTableItemObjectArray(std::move(rows));
    return list;
}

void line(const char *figure, double value, const char *unit, const char *note = "")
{
    std::printf("%-28s %12.3f %-6s %s\n", figure, value, unit, note);
    std::fflush(stdout);
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
    const double cellCount = double(rowCount) * kColumns;
    std::printf("rows %lld, columns %d\n", static_cast<long long>(rowCount), kColumns);

    QElapsedTimer timer;
    const qint64 before = residentBytes();
    timer.start();
    std::shared_ptr<ListItem> list = makeList(rowCount);
    const double buildSeconds = timer.nsecsElapsed() / 1e9;
    const qint64 after = residentBytes();
    line("build list", buildSeconds, "s");
    line("memory per cell", double(after - before) / cellCount, "B", "(target < 48)");

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
        line("search 2 keywords", seconds, "s", note);
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
        line("retitle 2 columns", seconds, "s", "(target < 1)");
        line("retitle extra memory/row", double(residentBytes() - rssBefore) / double(rowCount), "B");
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
        line("archive write", writeSeconds, "s");
        line("archive size", double(bytes.size()) / 1e6, "MB");
        line("archive bytes per cell", double(bytes.size()) / cellCount, "B");

        timer.restart();
        const std::unique_ptr<ListItem> read = KeyedUnarchiver::unarchivedObject<ListItem>(bytes, u"ListItem", &error);
        const double readSeconds = timer.nsecsElapsed() / 1e9;
        if (!read) {
            std::fprintf(stderr, "archive read failed: %s\n", qPrintable(error));
            return 1;
        }
        line("archive read", readSeconds, "s");
        if (read->tableItemObjectArray().size() != rowCount
            || read->tableItemObjectArray().last() != list->tableItemObjectArray().last()) {
            std::fprintf(stderr, "archive read back different rows\n");
            return 1;
        }
    }
    return 0;
}
