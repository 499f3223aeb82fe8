// The preview table over a million rows: attaching the model, memory the
// model adds over the list, repaint after page-downs and random jumps, and a
// header-click sort off the GUI thread while the table keeps repainting.

#include "BenchList.h"

#include "PreviewPane.h"
#include "PreviewTableModel.h"

#include "app/MyDocument.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <ctime>
#include <random>
#include <vector>

namespace {

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    return 0;
}

void report(const char *what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    const QByteArray median = QByteArray(what) + " median";
    const QByteArray worst = QByteArray(what) + " worst";
    BenchList::line(median.constData(), times.at(times.size() / 2), "ms");
    BenchList::line(worst.constData(), times.back(), "ms");
}

// Wall time suffers when other processes share the cores; the thread's own
// CPU time shows what the repaint costs.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Timed
{
    std::vector<double> wall;
    std::vector<double> cpu;

    template<typename Step>
    void measure(Step step)
    {
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        step();
        wall.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(threadCpuMs() - cpuStart);
    }
    void report(const char *what) const
    {
        ::report(what, wall);
        ::report((QByteArray(what) + " (cpu)").constData(), cpu);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const qsizetype rows = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    constexpr int kSteps = 200;

    const double before = residentMegabytes();
    MyDocument document(nullptr, QStringLiteral("Bench"));
    *document.listItem() = *BenchList::make(rows);
    const double withList = residentMegabytes();

    QElapsedTimer timer;
    timer.start();
    PreviewPane pane(&document);
    pane.resize(1200, 800);
    pane.makeTableColumns();
    pane.show();
    // Painting counts only once the window is on screen.
    while (!pane.windowHandle() || !pane.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    QTableView *table = pane.tableView();
    table->viewport()->repaint();
    BenchList::line("attach + first paint", double(timer.nsecsElapsed()) / 1e6, "ms");
    const double withModel = residentMegabytes();
    BenchList::line("list memory", withList - before, "MB");
    BenchList::line("pane + model memory", withModel - withList, "MB",
                    "(includes the widgets; the model keeps no per-row data)");

    Timed pageDowns;
    for (int i = 0; i < kSteps; ++i) {
        pageDowns.measure([table] {
            table->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
            table->viewport()->repaint();
        });
    }
    pageDowns.report("page-down repaint");

    std::mt19937 random(7u);
    std::uniform_int_distribution<int> anyRow(0, int(rows - 1));
    Timed jumps;
    for (int i = 0; i < kSteps; ++i) {
        const QModelIndex target = pane.model()->index(anyRow(random), 1 + int(random() % 9));
        jumps.measure([table, target] {
            table->scrollTo(target);
            table->viewport()->repaint();
        });
    }
    jumps.report("random-jump repaint");

    // The table repaints on a 16 ms timer while the sort runs.
    std::vector<double> frames;
    QElapsedTimer sortTimer;
    QElapsedTimer sinceFrame;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        frames.push_back(double(sinceFrame.nsecsElapsed()) / 1e6);
        sinceFrame.restart();
        table->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        table->viewport()->repaint();
    });
    QObject::connect(pane.model(), &PreviewTableModel::sortFinished, [&](bool applied) {
        BenchList::line("header sort (off thread)", double(sortTimer.nsecsElapsed()) / 1e6, "ms",
                        applied ? "" : "(dropped)");
        ticker.stop();
        app.quit();
    });
    sortTimer.start();
    sinceFrame.start();
    const int nameColumn = 2 + 2; // mark, option, ID, then Name
    if (!pane.model()->sortByColumn(nameColumn, Qt::AscendingOrder))
        return 1;
    ticker.start(16);
    app.exec();
    BenchList::line("frames while sorting", double(frames.size()), "");
    if (!frames.empty()) {
        // The last frame includes applying the order on the GUI thread.
        report("frame gap while sorting", frames);
    }
    return 0;
}
