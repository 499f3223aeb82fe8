#include "DesktopApplication.h"

#include "DocumentWindow.h"
#include "FilePanels.h"
#include "MessageBoxAlertPresenter.h"
#include "PasswordPanelDialog.h"
#include "ProgressPanelDialog.h"
#include "SingleInstance.h"
#include "WidgetsAppPlatform.h"

#include "app/AppController.h"
#include "app/MyDocument.h"
#include "platform/AlertSheetModal.h"
#include "platform/Localization.h"
#include "platform/Paths.h"
#include "prefs/DomainObject.h"
#include "prefs/PasswordController.h"
#include "prefs/SaveController.h"
#include "tasks/IndicatorController.h"
#include "tasks/IndicatorSource.h"
#include "tasks/TaskRunner.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

using namespace Qt::StringLiterals;

DesktopApplication::DesktopApplication(QObject *parent)
    : QObject(parent)
    , m_platform(std::make_unique<WidgetsAppPlatform>(this))
    , m_controller(std::make_unique<AppController>(m_platform.get()))
    , m_alerts(std::make_unique<MessageBoxAlertPresenter>())
{
    AlertSheetModal::setPresenter(m_alerts.get());

    IndicatorController &indicator = IndicatorController::sharedController();
    m_progress = new ProgressPanelDialog(
        [&indicator] { return indicator.indicatorSource().indicatorTargeted() == IndicatorController::kImportTask; },
        [&indicator] { indicator.cancelButtonAction(); });
    indicator.setProgressPanel(m_progress);

    PasswordController &unlock = PasswordController::sharedController();
    m_unlock = new PasswordPanelDialog({
        [&unlock](const QString &text) { unlock.accountTextFieldAction(text); },
        [&unlock](const QString &text) { unlock.passwordSecreTextFieldAction(text); },
        [&unlock](int segment) { unlock.answerSegmentedControlAction(segment); },
        {},
    });
    unlock.setPanelView(m_unlock);

    SaveController &confirm = SaveController::sharedController();
    m_saveConfirmation = new PasswordPanelDialog({
        [&confirm](const QString &text) { confirm.accountTextFieldAction(text); },
        [&confirm](const QString &text) { confirm.passwordSecreTextFieldAction(text); },
        [&confirm](int segment) { confirm.answerSegmentedControlAction(segment); },
        [&confirm] { confirm.notPrivatePasswordButtonAction(); },
    });
    confirm.setPanelView(m_saveConfirmation);
}

DesktopApplication::~DesktopApplication()
{
    // Documents hand their numbers back to the controller, so they go first.
    for (const QPointer<DocumentWindow> &window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
    // Workers still running write into the caches tree that is cleared next.
    IndicatorController::sharedController().taskRunner().waitForAll(5000);
    m_controller->applicationWillTerminate();
    IndicatorController::sharedController().setProgressPanel(nullptr);
    PasswordController::sharedController().setPanelView(nullptr);
    SaveController::sharedController().setPanelView(nullptr);
    delete m_progress;
    delete m_unlock;
    delete m_saveConfirmation;
    AlertSheetModal::setPresenter(nullptr);
}

QString DesktopApplication::serverName() const
{
    const QString domain = Paths::expandTilde(m_controller->domainObject()->rootDomainPath());
    return QDir(domain).filePath(u"rowsmith.socket"_s);
}

DesktopApplication::Start DesktopApplication::start(const QStringList &files)
{
    QStringList absolute;
    for (const QString &file : files)
        absolute.append(QFileInfo(file).absoluteFilePath());

    m_controller->awakeFromNib();
    if (!m_controller->holdsInstanceLock()) {
        const SingleInstance other(serverName());
        return other.handOver(absolute) ? Start::HandedOver : Start::Refused;
    }
    m_instance = new SingleInstance(serverName(), this);
    connect(m_instance, &SingleInstance::pathsReceived, this, [this](const QStringList &paths) {
        if (paths.isEmpty() && m_windows.isEmpty())
            newDocument();
        openPaths(paths);
        if (DocumentWindow *front = frontWindow()) {
            front->raise();
            front->activateWindow();
        }
    });
    m_instance->listen();

    if (!absolute.isEmpty())
        openPaths(absolute);
    else if (m_controller->applicationShouldOpenUntitledFile())
        newDocument();
    return Start::Running;
}

void DesktopApplication::setTimerIntervals(int openMs, int saveMs, int passwordMs)
{
    m_controller->registerOpenTimerInterval(openMs);
    m_saveDelayMs = saveMs;
    m_passwordDelayMs = passwordMs;
}

void DesktopApplication::openPaths(const QStringList &paths)
{
    for (const QString &path : paths)
        openPath(path);
}

void DesktopApplication::openPath(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    switch (FilePanels::kindOf(absolute)) {
    case FilePanels::Kind::Package:
        if (DocumentWindow *open = windowForPackage(absolute)) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
        if (!lockPackage(absolute))
            return;
        if (!m_controller->openDocumentWithFilePath(absolute, true))
            releasePackage(absolute);
        return;
    case FilePanels::Kind::Importable:
        if (DocumentWindow *window = newDocumentWindow())
            window->importFile(absolute);
        return;
    case FilePanels::Kind::Other:
        QMessageBox::warning(frontWindow(), QApplication::applicationName(),
                             tr("%1 is neither a document nor a CSV or list file.").arg(absolute));
        return;
    }
}

QString DesktopApplication::untitledName()
{
    const QString base = Localization::textOrKey(Localization::kMainTable, u"0001Title"_s);
    ++m_untitledCount;
    return m_untitledCount == 1 ? base : u"%1 %2"_s.arg(base).arg(m_untitledCount);
}

DocumentWindow *DesktopApplication::makeWindow(const QString &displayName)
{
    auto *window = new DocumentWindow(this, m_controller->documentController(), displayName);
    window->document()->registerTimerIntervals(m_saveDelayMs, m_passwordDelayMs);
    m_windows.prepend(window);
    return window;
}

DocumentWindow *DesktopApplication::newDocumentWindow()
{
    DocumentWindow *window = makeWindow(untitledName());
    window->document()->awakeFromNib();
    window->document()->windowControllerDidLoadNib();
    window->show();
    Q_EMIT windowOpened(window);
    return window;
}

DocumentWindow *DesktopApplication::openPackageWindow(const QString &path, bool display)
{
    DocumentWindow *window = makeWindow(QString());
    MyDocument *document = window->document();
    if (!document->loadFileWrapperRepresentation(path, MyDocument::kDocumentType)) {
        delete window;
        releasePackage(path);
        return nullptr;
    }
    document->awakeFromNib();
    document->windowControllerDidLoadNib();
    m_openingPackages.remove(QDir::cleanPath(path));
    if (display)
        window->show();
    Q_EMIT windowOpened(window);
    return window;
}

DocumentWindow *DesktopApplication::windowForPackage(const QString &path) const
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (DocumentWindow *window : windows())
        if (!window->document()->filePath().isEmpty() && QDir::cleanPath(window->document()->filePath()) == clean)
            return window;
    return nullptr;
}

QList<DocumentWindow *> DesktopApplication::windows() const
{
    QList<DocumentWindow *> list;
    for (const QPointer<DocumentWindow> &window : m_windows)
        if (window)
            list.append(window.data());
    return list;
}

DocumentWindow *DesktopApplication::frontWindow() const
{
    if (auto *active = qobject_cast<DocumentWindow *>(QApplication::activeWindow()))
        return active;
    const QList<DocumentWindow *> list = windows();
    return list.isEmpty() ? nullptr : list.constFirst();
}

bool DesktopApplication::lockPackage(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (m_packageLocks.count(clean))
        return true;
    auto lock = std::make_unique<PackageLock>(clean);
    if (!lock->tryLock()) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), lock->errorString(),
                        QMessageBox::Ok, frontWindow());
        box.setObjectName(u"packageLockedAlert"_s);
        box.exec();
        return false;
    }
    m_packageLocks.emplace(clean, std::move(lock));
    m_openingPackages.insert(clean);
    return true;
}

void DesktopApplication::releasePackage(const QString &path)
{
    m_openingPackages.remove(QDir::cleanPath(path));
    m_packageLocks.erase(QDir::cleanPath(path));
}

void DesktopApplication::forget(DocumentWindow *window)
{
    m_windows.removeIf([window](const QPointer<DocumentWindow> &entry) { return entry.isNull() || entry.data() == window; });
    // The window is being destroyed: keep only the locks of packages that a
    // remaining window shows, or that are still being opened.
    for (auto it = m_packageLocks.begin(); it != m_packageLocks.end();) {
        if (m_openingPackages.contains(it->first) || windowForPackage(it->first))
            ++it;
        else
            it = m_packageLocks.erase(it);
    }
    if (m_quitting)
        continueQuit();
}

void DesktopApplication::newDocument()
{
    m_controller->newDocument();
}

void DesktopApplication::openDocument()
{
    QString path;
    if (!FilePanels::runOpenPanel(frontWindow(), {u"pgcd"_s, u"csv"_s, u"pgcl"_s}, &path))
        return;
    openPath(path);
}

void DesktopApplication::quit()
{
    m_quitting = true;
    continueQuit();
}

void DesktopApplication::continueQuit()
{
    if (!m_quitting)
        return;
    for (DocumentWindow *window : windows()) {
        if (window->quitting())
            continue;
        MyDocument *document = window->document();
        if (!document->terminate()) {
            // Saving on the way out calls back here when done; Cancel stops
            // the whole quit.
            if (!document->terminateState())
                m_quitting = false;
            return;
        }
        window->setQuitting(true);
        window->close();
        return;
    }
    if (windows().isEmpty()) {
        m_quitting = false;
        Q_EMIT quitReady();
    }
}

void DesktopApplication::about()
{
    m_controller->showSharedHelp();
}

void DesktopApplication::showFontPanel()
{
    m_platform->fontPanel();
    m_controller->showFontPanel();
}

void DesktopApplication::showColorPanel()
{
    m_platform->colorPanel();
    m_controller->showFontColorPanel();
}
