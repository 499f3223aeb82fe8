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
#include "platform/PasswordVerifier.h"
#include "prefs/DomainObject.h"
#include "prefs/PasswordController.h"
#include "prefs/PreferencesSource.h"
#include "prefs/PrivatePasswordObject.h"
#include "prefs/SecurityObject.h"
#include "platform/AtomicFileWriter.h"
#include "storage/PackageLock.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"
#include "tasks/TaskWorker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <unistd.h>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

namespace {
constexpr int kFlowTimeoutMs = 30 * 60 * 1000;
constexpr int kStartTimeoutMs = 2000;
constexpr int kSaveDone = 93304;
constexpr int kSaveFailed = 93305;
constexpr int kLoadFailed = 10105;
// A home without its instance lock may be one being made right now.
constexpr qint64 kUnlockedHomeAgeSecs = 3600;

QString failureMessage(const Notification &n)
{
    return n.object.toMap().value(u"message"_s).toString();
}
} // namespace

QString DocumentSession::homePrefix()
{
    return QDir::tempPath() + u"/rowsmith-cli-"_s;
}

void DocumentSession::removeAbandonedHomes(const QString &ownHome)
{
    const QString prefix = QFileInfo(homePrefix()).fileName();
    QDir temporary(QDir::tempPath());
    const QFileInfoList homes = temporary.entryInfoList({prefix + u"??????"_s}, QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &home : homes) {
        if (home.absoluteFilePath() == QFileInfo(ownHome).absoluteFilePath() || home.ownerId() != ::getuid())
            continue;
        const QString lockPath = QDir(home.absoluteFilePath()).filePath(u"caches/rowsmith.lock"_s);
        // A lock file killed before it held its holder's pid says nothing:
        // such a home is judged by its age, like one without a lock.
        if (QFileInfo(lockPath).size() > 0) {
            // QLockFile knows its holder's pid: a lock it can take is abandoned.
            QLockFile lock(lockPath);
            lock.setStaleLockTime(0);
            if (!lock.tryLock(0))
                continue;
            lock.unlock();
        } else if (home.lastModified().secsTo(QDateTime::currentDateTime()) < kUnlockedHomeAgeSecs) {
            continue;
        }
        QDir(home.absoluteFilePath()).removeRecursively();
    }
}

DocumentSession::DocumentSession()
{
    if (!m_home.isValid()) {
        m_error = u"cannot make a temporary folder: %1"_s.arg(m_home.errorString());
        return;
    }
    removeAbandonedHomes(m_home.path());
    // A full disk would otherwise surface as a first-start welcome and a
    // lock "held by another copy"; the write itself says what is wrong.
    QString writeError;
    if (!AtomicFileWriter::writeFile(m_home.filePath(u"probe"_s), QByteArray("probe"), &writeError, false)) {
        m_error = u"cannot write the temporary folder: %1"_s.arg(writeError);
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
    const int code = task.value(RequestKey::targeted).toInt();
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

bool DocumentSession::lockForWriting(const QString &path)
{
    auto lock = std::make_unique<PackageLock>(path);
    if (!lock->tryLock()) {
        m_error = lock->errorString();
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

MyDocument *DocumentSession::openList(const QString &path, const QString &title, bool forWriting)
{
    if (forWriting && !lockForWriting(packagePath(path)))
        return nullptr;
    MyDocument *document = openPackage(packagePath(path));
    if (!document)
        return nullptr;
    ListItemsSource *lists = document->documentSource()->listItemsSource();
    if (!lists->titlelist().contains(title)) {
        m_error = u"the document holds no list titled \"%1\""_s.arg(title);
        return nullptr;
    }
    // Only a list read from its own file counts: a failed read leaves the
    // previous list in the document, which must never pass for this one.
    const bool current = lists->titleOfTheObjectDic().value(u"listItemTitle"_s).toString() == title
                         && document->listItem()->rowCount() > 0;
    bool delivered = current;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(NotificationName::developExistingFileUnfoldNotif, nullptr, [&](const Notification &n) {
        delivered = delivered || n.object.toMap().value(u"ListItem"_s).isValid();
    });
    const bool opened = document->openStoredListItem(title);
    center.removeObserver(token);
    if (!opened || !delivered || document->listItem()->columnTitlesArray().isEmpty()) {
        m_error = u"the list \"%1\" cannot be read: its file (%2) is missing or damaged"_s.arg(
            title, ListItemsSource::listItemsFileName(lists->listItemIDString()));
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
    QString reason;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(NotificationName::notifIndicatorStepOfLoading, nullptr, [&](const Notification &n) {
        if (n.object.toMap().value(u"step"_s).toInt() == kLoadFailed) {
            failed = true;
            reason = failureMessage(n);
        }
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
        // An unknown title costs what a wrong password costs, so that the
        // time taken does not tell whether the title exists.
        if (!panel.isPanelOpen() || !panel.workPasswordSource().confirmPasswordTitle())
            PasswordVerifier::spendOneVerification(credentials.password);
        else
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
        m_error = reason.isEmpty() || reason == u"Loading"_s ? u"%1 could not be loaded"_s.arg(path)
                                                              : u"%1 cannot be opened: %2"_s.arg(path, reason);
        return nullptr;
    }
    m_openPackagePath = PackageLock::resolvedPackagePath(info.absoluteFilePath());
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
    QString reason;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto token = center.addObserver(NotificationName::notifIndicatorStepOfSave, nullptr, [&](const Notification &n) {
        const int step = n.object.toMap().value(u"step"_s).toInt();
        if (step == kSaveDone || step == kSaveFailed)
            result = step;
        if (step == kSaveFailed)
            reason = failureMessage(n);
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
        m_error = reason.isEmpty() ? u"the document could not be saved"_s
                                   : u"the document could not be saved: %1"_s.arg(reason);
        return false;
    }
    return true;
}
