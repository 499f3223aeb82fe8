// Figures of the live list on a generated list: one cell written, one shown
// search result marked, a sort by one text column, an option script that
// writes one cell in every row, and what change notices cost.
//
//   bench_live [rows]        (default 1,000,000; ten text columns each)

#include "BenchList.h"
#include "app/OptionRun.h"
#include "list/ListItem.h"
#include "list/ListNotifier.h"
#include "script/OptionObjectSource.h"
#include "script/OptionSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>
#include <random>

using namespace Qt::StringLiterals;

namespace {

OptionSource source(const QString &title, const QString &code)
{
    OptionSource result;
    result.registerSourceTitle(title);
    result.registerCodeText(code);
    result.registerPracticeState(true);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const qsizetype rowCount = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    if (rowCount <= 0) {
        std::fprintf(stderr, "usage: bench_live [rows]\n");
        return 2;
    }
    std::printf("rows %lld, columns %d\n", static_cast<long long>(rowCount), BenchList::kColumns);
    std::shared_ptr<ListItem> list = BenchList::make(rowCount);
    std::mt19937 random(7u);
    std::uniform_int_distribution<qsizetype> anyRow(0, rowCount - 1);
    QElapsedTimer timer;
    qsizetype notices = 0;
    QObject::connect(list->notifier(), &ListNotifier::changed, [&notices](const ListChange &) { ++notices; });

    {
        constexpr int kWrites = 200000;
        // The first write detaches the rows from the snapshot taken above; it is not typical.
        list->setCellAt(0, 4, AttributedText(u"first"_s));
        timer.start();
        for (int i = 0; i < kWrites; ++i)
            list->setCellAt(anyRow(random), 4, AttributedText(u"written"_s));
        BenchList::line("cell write", double(timer.nsecsElapsed()) / kWrites / 1000.0, "us", "(target <= 1)");
    }

    {
        QList<qsizetype> shown;
        for (qsizetype r = 0; r < rowCount; r += 3)
            shown.append(r);
        list->registerSearchResultRows(shown);
        list->registerIndicationMode(true);
        constexpr int kMarks = 200000;
        std::uniform_int_distribution<qsizetype> anyShown(0, shown.size() - 1);
        list->registerIndication(1, 0);
        timer.restart();
        for (int i = 0; i < kMarks; ++i)
            list->registerIndication(quint32(i & 1), anyShown(random));
        BenchList::line("mark in search mode", double(timer.nsecsElapsed()) / kMarks / 1000.0, "us", "(target <= 1)");
        list->registerIndicationMode(false);
    }

    {
        timer.restart();
        const QList<qsizetype> order = list->sortPreview({u"Name"_s, true});
        BenchList::line("sort by one text column", timer.nsecsElapsed() / 1e9, "s", "(target <= 0.3)");
        timer.restart();
        list->sortPreview({u"Name"_s, false, Qt::CaseInsensitive});
        BenchList::line("sort, descending, any case", timer.nsecsElapsed() / 1e9, "s");
        if (order.size() != rowCount)
            return 1;
    }

    {
        OptionObjectSource options;
        options.registerOptionSourceArray(
            {source(u"loop"_s, u"[Command:for:0 count:%1 step:1]"_s.arg(rowCount - 1)),
             source(u"write"_s, u"[Command:write:row:[Command:for:count:] title:[ColumnTitle:Note] object:[User:v]]"_s),
             source(u"end"_s, u"[Command:for:end:]"_s)});
        options.registerReferenceUserDictionary(
            {{u"v"_s, QVariantMap{{u"answerType"_s, 4}, {u"answerObject"_s, u"scripted"_s}}}});
        timer.restart();
        OptionRun run(*list, options, {});
        QEventLoop loop;
        QObject::connect(&run, &OptionRun::finished, &loop, &QEventLoop::quit);
        run.start();
        loop.exec();
        const double runSeconds = timer.nsecsElapsed() / 1e9;
        if (!run.outcome().result.success) {
            std::fprintf(stderr, "script failed: %s\n", qPrintable(run.outcome().result.errorText));
            return 1;
        }
        timer.restart();
        list->applyCellEdits(run.outcome().writes);
        const double applySeconds = timer.nsecsElapsed() / 1e9;
        BenchList::line("script writing every row", runSeconds + applySeconds, "s", "(target <= 3)");
        BenchList::line("  of which applying", applySeconds, "s");
    }

    {
        // A delivered import replaces the rows wholesale: one notice, with or
        // without a view listening.
        const RowList rows = list->tableItemObjectArray();
        ListItem silent;
        timer.restart();
        silent.registerTableItemObjectArray(rows);
        const double quiet = timer.nsecsElapsed() / 1e6;
        const qsizetype before = notices;
        timer.restart();
        list->registerTableItemObjectArray(rows);
        const double heard = timer.nsecsElapsed() / 1e6;
        BenchList::line("deliver list, no listener", quiet, "ms");
        BenchList::line("deliver list, listener", heard, "ms", notices - before == 1 ? "(1 notice)" : "(notices?)");
    }
    return 0;
}
