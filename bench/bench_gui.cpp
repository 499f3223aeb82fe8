// The desktop window over a million rows: opening a package to the first
// painted table, the memory the window adds, repaints while scrolling, and
// a sort by header click. With --screenshots DIR it instead walks through
// the application's main views and saves a PNG of each (run it under a
// real X server, as scripts/screenshots.sh does).

#include "BenchList.h"

#include "DesktopApplication.h"
#include "DocumentToolBar.h"
#include "DocumentWindow.h"
#include "ExportPanel.h"
#include "InfoOutlineView.h"
#include "ListItemsView.h"
#include "PasswordPanelDialog.h"
#include "PreviewPane.h"
#include "PreviewTableModel.h"
#include "SearchCriteriaModel.h"
#include "SearchView.h"

#include "app/AppController.h"
#include "app/MyDocument.h"
#include "list/ListItem.h"
#include "platform/NotificationCenter.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <functional>
#include <random>

using namespace Qt::StringLiterals;

namespace {

qsizetype kRows = 1'000'000;

// Runs the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 120000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

double residentMegabytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// A package holding one stored list, saved through a document window.
bool savePackage(DesktopApplication &app, const std::shared_ptr<ListItem> &list, const QString &path)
{
    DocumentWindow *window = app.newDocumentWindow();
    MyDocument *document = window->document();
    document->listItem()->setTheEnvironmentalAtDecoder(list.get());
    // Stored as a user stores it, so that it is the list the package opens with.
    window->listItemsView()->listTitles()->setEditText(u"Bench"_s);
    bool written = false;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(u"finishWriteListItemNotif"_s, nullptr,
                                          [&](const Notification &) { written = true; });
    const bool stored = window->listItemsView()->storeCurrentList();
    // The list file is written on a worker; the save must find it there.
    if (stored)
        waitFor([&] { return written; });
    center.removeObserver(token);
    if (!stored || !written)
        return false;
    document->updateChangeCountAs(true);
    document->saveWorkFilePath(path);
    const bool saved = waitFor([&] { return document->filePath() == path && !document->isDocumentEdited(); });
    window->closeApproved();
    waitFor([&] { return app.windows().isEmpty(); });
    return saved;
}

int runBenchmark()
{
    QTemporaryDir dir;
    DesktopApplication app;
    app.setTimerIntervals(0, 0, 0);
    // Stored preferences: a fresh profile would first say none were found.
    app.controller()->makingUserDefaultsDictionary();
    app.start({});
    for (DocumentWindow *window : app.windows())
        window->closeApproved();

    const double before = residentMegabytes();
    std::shared_ptr<ListItem> list = BenchList::make(kRows);
    const double listMegabytes = residentMegabytes() - before;
    const QString package = QDir(dir.path()).filePath(u"Million.pgcd"_s);
    if (!savePackage(app, list, package)) {
        std::fprintf(stderr, "the package could not be saved\n");
        return 1;
    }
    list.reset();
    const double baseline = residentMegabytes();

    QElapsedTimer clock;
    clock.start();
    app.openPath(package);
    DocumentWindow *window = nullptr;
    QTableView *table = nullptr;
    const bool opened = waitFor([&] {
        window = app.windowForPackage(package);
        if (!window || !window->isVisible() || window->previewPane()->model()->rowCount() < kRows)
            return false;
        table = window->previewPane()->tableView();
        table->viewport()->repaint();
        return true;
    });
    if (!opened) {
        std::fprintf(stderr, "the package did not open (window %d, list rows %lld, table rows %d)\n",
                     window != nullptr, window ? qlonglong(window->document()->listItem()->tableItemObjectArray().size()) : -1LL,
                     window ? window->previewPane()->model()->rowCount() : -1);
        return 1;
    }
    BenchList::line("open to first painted table", double(clock.elapsed()), "ms", "(limit 3000)");
    const double withWindow = residentMegabytes() - baseline;
    BenchList::line("list alone (RSS growth)", listMegabytes, "MB");
    BenchList::line("open document (RSS growth)", withWindow, "MB");
    BenchList::line("window over list", 100.0 * (withWindow - listMegabytes) / listMegabytes, "%",
                    "(limit 10; includes the loaded document beside the list)");

    window->resize(1200, 800);
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 2));
    QCoreApplication::processEvents();
    QList<double> pageDowns;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer step;
        step.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QCoreApplication::sendEvent(table, &press);
        table->viewport()->repaint();
        pageDowns.append(double(step.nsecsElapsed()) / 1e6);
    }
    BenchList::line("page down + repaint median", median(pageDowns), "ms", "(limit 8)");
    BenchList::line("page down + repaint worst", *std::max_element(pageDowns.cbegin(), pageDowns.cend()), "ms",
                    "(limit 16)");

    std::mt19937 random(7u);
    std::uniform_int_distribution<int> anyRow(0, int(kRows - 1));
    QList<double> jumps;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer step;
        step.start();
        table->scrollTo(table->model()->index(anyRow(random), 2), QAbstractItemView::PositionAtTop);
        table->viewport()->repaint();
        jumps.append(double(step.nsecsElapsed()) / 1e6);
    }
    BenchList::line("random jump + repaint median", median(jumps), "ms", "(limit 8)");
    BenchList::line("random jump + repaint worst", *std::max_element(jumps.cbegin(), jumps.cend()), "ms",
                    "(limit 16)");

    // A header click sorts off the GUI thread; count the repaints meanwhile.
    PreviewTableModel *model = window->previewPane()->model();
    int repaints = 0;
    QTimer painter;
    QObject::connect(&painter, &QTimer::timeout, table, [&] {
        table->viewport()->repaint();
        ++repaints;
    });
    painter.start(16);
    clock.restart();
    table->horizontalHeader()->sectionClicked(3);
    const bool sorted = waitFor([&] { return !model->isSorting(); });
    const double sortMs = double(clock.elapsed());
    painter.stop();
    BenchList::line("sort by header click", sortMs, "ms", sorted ? "" : "(did not finish)");
    BenchList::line("repaints during the sort", double(repaints), "", "(one asked every 16 ms)");
    window->closeApproved();
    waitFor([&] { return app.windows().isEmpty(); });
    return 0;
}

// --- The screenshot tour ------------------------------------------------------

class Tour
{
public:
    explicit Tour(const QString &folder) : m_folder(folder) {}

    void shoot(const QString &name)
    {
        waitFor([] { return false; }, 400);
        QScreen *screen = QGuiApplication::primaryScreen();
        const QPixmap shot = screen->grabWindow(0);
        const QString path = QDir(m_folder).filePath(name + u".png"_s);
        if (!shot.save(path))
            std::fprintf(stderr, "could not save %s\n", qPrintable(path));
        else
            std::printf("saved %s\n", qPrintable(path));
    }

private:
    QString m_folder;
};

void placeWindow(DocumentWindow *window)
{
    window->setGeometry(QRect(QPoint(20, 20), QSize(1240, 760)));
    window->raise();
    window->activateWindow();
}

// Selects the first list in the info outline, so its log shows beside it.
void showFirstLog(DocumentWindow *window)
{
    QTreeView *outline = window->infoOutlineView()->outline();
    const QModelIndex first = outline->model()->index(0, 0);
    outline->setCurrentIndex(first);
    Q_EMIT outline->clicked(first);
}

int runScreenshots(const QString &folder, const QString &samples)
{
    QDir().mkpath(folder);
    QTemporaryDir dir;
    Tour tour(folder);
    DesktopApplication app;
    app.setTimerIntervals(0, 0, 0);
    // Stored preferences: a fresh profile would first say none were found.
    app.controller()->makingUserDefaultsDictionary();
    app.start({});
    for (DocumentWindow *window : app.windows())
        window->closeApproved();
    waitFor([&] { return app.windows().isEmpty(); });

    DocumentWindow *window = app.newDocumentWindow();
    placeWindow(window);
    MyDocument *document = window->document();
    window->listItemsView()->importFile(QDir(samples).filePath(u"products-sjis.csv"_s));
    waitFor([&] { return document->isDocumentEdited() && !document->listItem()->tableItemObjectArray().isEmpty(); });
    waitFor([&] { return !QApplication::activeModalWidget(); });
    window->showTab(u"id_edit"_s);
    PreviewTableModel *model = window->previewPane()->model();
    for (int row : {1, 4})
        model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    window->previewPane()->tableView()->selectRow(2);
    tour.shoot(u"window-imported"_s);

    window->showTab(u"id_search"_s);
    SearchCriteriaModel *criteria = window->searchView()->model();
    criteria->setData(criteria->index(0, SearchCriteriaModel::CategoryColumn), u"商品名"_s);
    criteria->setData(criteria->index(0, SearchCriteriaModel::KeywordColumn), u"茶"_s);
    window->searchView()->runButton()->click();
    waitFor([&] { return model->rowCount() == 2; }, 20000);
    window->searchView()->titleEdit()->setText(u"お茶"_s);
    window->searchView()->storeButton()->click();
    tour.shoot(u"search-results"_s);

    window->searchView()->showAllButton()->click();
    window->listItemsView()->storeButton()->click();
    window->showTab(u"id_info"_s);
    window->infoOutlineView()->reloadToolView();
    showFirstLog(window);
    tour.shoot(u"info-outline"_s);

    window->toolBar()->item(u"id_export"_s)->trigger();
    tour.shoot(u"export-panel"_s);
    if (auto *panel = window->findChild<ExportPanel *>())
        panel->reject();
    waitFor([] { return !QApplication::activeModalWidget(); }, 5000);

    // A protected package and its unlock panel.
    PrivatePasswordObject *security =
        app.controller()->preferencesSource()->securityObject()->privatePasswordObject();
    security->registerPrivatePasswordWithState(true);
    security->registerProtectFileByPasswordWithState(true);
    security->registerSaveItNewlyConfirmWithState(false);
    security->addPrivatePasswordListAtTitle(u"shop"_s, u"tour password"_s);
    security->workPrivatePasswordTitleAtString(u"shop"_s);
    const QString locked = QDir(dir.path()).filePath(u"shop.pgcd"_s);
    document->saveWorkFilePath(locked);
    waitFor([&] { return document->filePath() == locked && !document->isDocumentEdited(); }, 20000);
    window->closeApproved();
    waitFor([&] { return app.windows().isEmpty(); });
    security->registerPrivatePasswordWithState(false);
    app.openPath(locked);
    waitFor([&] { return app.unlockPanel()->isVisible(); }, 20000);
    app.unlockPanel()->accountField()->setText(u"shop"_s);
    app.unlockPanel()->accountField()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(app.unlockPanel()->accountField(), &enter);
    tour.shoot(u"unlock-panel"_s);
    app.unlockPanel()->findChild<QPushButton *>(u"cancelButton"_s)->click();
    waitFor([&] { return !app.unlockPanel()->isVisible(); }, 5000);

    // A million rows.
    std::shared_ptr<ListItem> list = BenchList::make(kRows);
    const QString million = QDir(dir.path()).filePath(u"Million.pgcd"_s);
    if (savePackage(app, list, million)) {
        list.reset();
        app.openPath(million);
        DocumentWindow *big = nullptr;
        waitFor([&] {
            big = app.windowForPackage(million);
            return big && big->previewPane()->model()->rowCount() == kRows;
        });
        if (big) {
            placeWindow(big);
            showFirstLog(big);
            big->previewPane()->tableView()->scrollTo(big->previewPane()->model()->index(654321, 2),
                                                       QAbstractItemView::PositionAtCenter);
            big->previewPane()->tableView()->selectRow(654321);
            tour.shoot(u"million-rows"_s);
            big->closeApproved();
        }
    }
    waitFor([&] { return app.windows().isEmpty(); }, 5000);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Rowsmith"_s);
    const QStringList arguments = QCoreApplication::arguments();
    // Everything the run keeps goes into a throw-away profile.
    QTemporaryDir profile;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(profile.filePath(u"cache"_s)));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profile.filePath(u"config"_s)));
    // --rows N: a smaller list, to compare how the figures grow.
    const qsizetype rows = arguments.indexOf(u"--rows"_s);
    if (rows > 0 && rows + 1 < arguments.size() && arguments.at(rows + 1).toLongLong() > 0)
        kRows = arguments.at(rows + 1).toLongLong();
    const qsizetype shots = arguments.indexOf(u"--screenshots"_s);
    if (shots > 0 && shots + 1 < arguments.size())
        return runScreenshots(arguments.at(shots + 1), arguments.value(shots + 2, QStringLiteral(ROWSMITH_SAMPLES)));
    return runBenchmark();
}
