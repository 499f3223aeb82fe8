#include "DocumentSession.h"

#include "PasswordPrompt.h"
#include "TerminalProgress.h"

#include "app/AppController.h"
#include "app/MyDocument.h"
#include "app/MyDocumentController.h"
#include "document/DocumentSource.h"
#include "list/ListItem.h"
#include "list/ListItemsSource.h"
#include "platform/ModelText.h"
#include "platform/NotificationCenter.h"
#include "prefs/DomainObject.h"
#include "prefs/PasswordController.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"
#include "tasks/TaskWorker.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
constexpr int kFlowTimeoutMs = 30 * 60 * 1000;
constexpr int kStartTimeoutMs = 2000;
constexpr int kSaveDone = 93304;
constexpr int kSaveFailed = 93305;
constexpr int kLoadFailed = 10105;
} // namespace

DocumentSession::DocumentSession()
{
    if (!m_home.isValid()) {
        m_error = u"cannot make a temporary folder: %1"_s.arg(m_home.errorString());
        return;
    }
    m_app = std::make_unique<AppController>(&m_platform);
    m_platform.setDocumentController(m_app->documentController());
    m_platform.setDocumentSetup([this](MyDocument *document) {
        document->registerTimerIntervals(0, 0);
        document->setTaskHandler([this](const QVariantMap &task) { return runInPlace(task); });
    });
    m_app->registerOpenTimerInterval(0);
    DomainObject *domain = m_app->domainObject();
    domain->registerSettingsFilePath(m_home.filePath(u"settings.ini"_s));
    domain->registerRootDomainPath(m_home.filePath(u"caches"_s));
    // Written first, so that start-up finds preferences and asks nothing.
    m_app->makingUserDefaultsDictionary();
    m_app->awakeFromNib();
    m_ready = m_app->holdsInstanceLock();
    if (!m_ready)
        m_error = u"cannot set up the working folders"_s;
}

DocumentSession::~DocumentSession()
{
    if (m_app) {
        while (m_platform.documentCount() > 0)
            m_platform.closeDocument(m_platform.currentDocument());
        IndicatorController::sharedController().taskRunner().waitForAll();
        m_app->applicationWillTerminate();
    }
}

bool DocumentSession::runInPlace(const QVariantMap &task)
{
    const int code = task.value(u"targeted"_s).toInt();
    std::unique_ptr<TaskWorker> worker = IndicatorController::sharedController().taskRunner().makeWorker(code);
    if (!worker)
        return false;
    worker->run(task);
    return true;
}

bool DocumentSession::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

MyDocument *DocumentSession::newDocument()
{
    return static_cast<MyDocument *>(m_app->documentController()->newDocument());
}

QString DocumentSession::packagePath(const QString &path)
{
    return path.endsWith(u".pgcd"_s, Qt::CaseInsensitive) ? path : path + u".pgcd"_s;
}

MyDocument *DocumentSession::openList(const QString &path, const QString &title)
{
    MyDocument *document = openPackage(packagePath(path));
    if (!document)
        return nullptr;
    if (!document->documentSource()->listItemsSource()->titlelist().contains(title)) {
        m_error = u"the document holds no list titled \"%1\""_s.arg(title);
        return nullptr;
    }
    if (!document->openStoredListItem(title) || document->listItem()->columnTitlesArray().isEmpty()) {
        m_error = u"the list \"%1\" cannot be read"_s.arg(title);
        return nullptr;
    }
    // Opening and reading leave the document clean, so a change from here
    // on is the caller's.
    document->updateChangeCountAs(false);
    return document;
}

MyDocument *DocumentSession::openPackage(const QString &path)
{
    if (!m_ready)
        return nullptr;
    const QFileInfo info(path);
    if (!info.isDir()) {
        m_error = u"%1: not a document package"_s.arg(path);
        return nullptr;
    }
    bool failed = false;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(u"notifIndicatorStepOfLoading"_s, nullptr, [&](const Notification &n) {
        if (n.object.toMap().value(u"step"_s).toInt() == kLoadFailed)
            failed = true;
    });
    TerminalProgress progress(u"opening"_s);
    const qsizetype before = m_platform.documentCount();
    if (!m_app->openDocumentWithFilePath(info.absoluteFilePath(), true)) {
        center.removeObserver(token);
        m_error = u"%1 cannot be opened"_s.arg(path);
        return nullptr;
    }
    PasswordController &panel = PasswordController::sharedController();
    if (panel.isPanelOpen()) {
        PasswordPrompt::Credentials credentials;
        QString error;
        if (!PasswordPrompt::read(info.fileName(), &credentials, &error)) {
            panel.answerSegmentedControlAction(0);
            center.removeObserver(token);
            m_error = error;
            return nullptr;
        }
        panel.accountTextFieldAction(credentials.title);
        if (panel.isPanelOpen())
            panel.passwordSecreTextFieldAction(credentials.password);
        if (!panel.isPanelOpen() || !panel.workPasswordSource().stateOfTheKey()) {
            if (panel.isPanelOpen())
                panel.answerSegmentedControlAction(0);
            center.removeObserver(token);
            m_error = u"%1: wrong password title or password"_s.arg(info.fileName());
            return nullptr;
        }
        panel.answerSegmentedControlAction(1);
    }
    const bool ended = waitFor([&] { return failed || m_platform.documentCount() > before; }, kFlowTimeoutMs);
    center.removeObserver(token);
    progress.finish();
    if (!ended || failed || m_platform.documentCount() <= before) {
        m_error = u"%1 could not be loaded"_s.arg(path);
        return nullptr;
    }
    return m_platform.document(0);
}

bool DocumentSession::protectWith(const QString &title, const QString &password)
{
    PrivatePasswordObject *security = m_app->preferencesSource()->securityObject()->privatePasswordObject();
    security->registerPrivatePasswordWithState(true);
    security->registerProtectFileByPasswordWithState(true);
    security->registerSaveItNewlyConfirmWithState(false);
    return security->addPrivatePasswordListAtTitle(title, password)
        && security->workPrivatePasswordTitleAtString(title);
}

bool DocumentSession::save(MyDocument *document, const QString &path)
{
    if (path.isEmpty() && document->saveSituation()) {
        m_error = u"the document has no package yet"_s;
        return false;
    }
    int result = 0;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(u"notifIndicatorStepOfSave"_s, nullptr, [&](const Notification &n) {
        const int step = n.object.toMap().value(u"step"_s).toInt();
        if (step == kSaveDone || step == kSaveFailed)
            result = step;
    });
    TerminalProgress progress(u"saving"_s);
    if (path.isEmpty())
        document->saveDocument();
    else
        document->saveWorkFilePath(QFileInfo(path).absoluteFilePath());
    // The save runs in place from a zero-delay timer: once the events have
    // been handled it has ended, or it never started.
    QDeadlineTimer quiet(kStartTimeoutMs);
    const bool ended = waitFor([&] { return result != 0 || quiet.hasExpired(); }, kFlowTimeoutMs);
    center.removeObserver(token);
    progress.finish();
    if (!ended || result != kSaveDone) {
        m_error = u"the document could not be saved"_s;
        return false;
    }
    return true;
}
