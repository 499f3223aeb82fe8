#include "AppController.h"

#include "AppPlatform.h"
#include "DocumentHandle.h"
#include "MyDocumentController.h"
#include "TaskWorkers.h"

#include "document/RootCachesFolder.h"
#include "platform/AlertSheetModal.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/ModelText.h"
#include "prefs/PasswordController.h"
#include "storage/AtomicPackageWriter.h"
#include "storage/DirectoryWrapper.h"
#include "storage/PackageProtection.h"
#include "tasks/ProgressReport.h"
#include "platform/LogCategories.h"
#include "prefs/AdvancedObject.h"
#include "prefs/DomainObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"
#include "platform/Paths.h"
#include "tasks/IndicatorController.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTimer>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = QStringLiteral("App Controller");
static constexpr int kLoadFailedStep = 10105;

AppController::AppController(AppPlatform *platform, NotificationCenter *center, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_center(center ? center : &NotificationCenter::defaultCenter())
    , m_documentController(std::make_unique<MyDocumentController>(platform, this))
{
    TaskWorkers::registerAll(IndicatorController::sharedController().taskRunner());
}

AppController::~AppController()
{
    if (m_observing)
        m_center->removeObserver(this);
}

DomainObject *AppController::domainObject()
{
    return const_cast<DomainObject *>(std::as_const(*this).domainObject());
}

const DomainObject *AppController::domainObject() const
{
    if (!m_domainObject) {
        m_domainObject = std::make_unique<DomainObject>();
        m_domainObject->initializationUserObject();
    }
    return m_domainObject.get();
}

RootCachesFolder *AppController::rootCachesFolder()
{
    return const_cast<RootCachesFolder *>(std::as_const(*this).rootCachesFolder());
}

const RootCachesFolder *AppController::rootCachesFolder() const
{
    if (!m_rootCachesFolder) {
        m_rootCachesFolder = std::make_unique<RootCachesFolder>();
        m_rootCachesFolder->initializationUserObject();
    }
    return m_rootCachesFolder.get();
}

PreferencesSource *AppController::preferencesSource()
{
    return const_cast<PreferencesSource *>(std::as_const(*this).preferencesSource());
}

const PreferencesSource *AppController::preferencesSource() const
{
    if (!m_preferencesSource) {
        m_preferencesSource = std::make_unique<PreferencesSource>();
        m_preferencesSource->initializationUserObject();
    }
    return m_preferencesSource.get();
}

bool AppController::registerUserDocumentFilePath(const QString &value)
{
    if (value.isEmpty())
        return false;
    m_userDocumentFilePath = value;
    return true;
}

bool AppController::registerUpdateSituationDic(const QVariantMap &dictionary)
{
    if (dictionary.isEmpty())
        return false;
    m_updateSituationDic = dictionary;
    return true;
}

void AppController::awakeFromNib()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"awakeFromNib", [&] {
        if (!m_observing) {
            m_center->addObserver(NotificationName::requestOpenFileEvent, this,
                                  [this](const Notification &n) { answerPasswordWithOpenFileNotification(n); });
            m_center->addObserver(NotificationName::notifLoadingWrapperDirectory, this,
                                  [this](const Notification &n) { loadingOfTheNotification(n); });
            m_center->addObserver(NotificationName::notifIndicatorStepOfLoading, this,
                                  [this](const Notification &n) { loadingStepOfTheNotification(n); });
            m_observing = true;
        }

        if (!developUserDefaults()) {
            AlertSheetModal::openAlert(100, QStringLiteral("App"));
            makingUserDefaultsDictionary();
            openPreferences();
        }

        RootCachesFolder *tree = rootCachesFolder();
        tree->registerRootDomainPath(domainObject()->rootDomainPath());
        const AdvancedObject *advanced = preferencesSource()->advancedObject();
        tree->registerUserFileCachesFolderWithState(
            advanced->userFileCachesFolderWithState()
            && tree->registerUserFileCachesFolderPath(advanced->userFileCachesFolderPathString()));

        if (acquireInstanceLock())
            cachesFolderInitialization();
        tree->makingRootCachesFolder();
    });
}

bool AppController::acquireInstanceLock()
{
    if (m_instanceLock)
        return true;
    const QString domain = Paths::expandTilde(domainObject()->rootDomainPath());
    if (domain.isEmpty() || !QDir().mkpath(domain))
        return false;
    auto lock = std::make_unique<QLockFile>(QDir(domain).filePath(QStringLiteral("rowsmith.lock")));
    // A lock left by a crashed run is stale and taken over (QLockFile checks the pid).
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        ErrorLog::err(lcApp(), kClassWords, u"acquireInstanceLock",
                      lock->error() == QLockFile::LockFailedError
                          ? u"another running copy holds the caches folder tree"_s
                          : u"the caches folder tree cannot be written (the disk may be full): %1"_s.arg(domain));
        return false;
    }
    m_instanceLock = std::move(lock);
    return true;
}

bool AppController::developUserDefaults()
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"developUserDefaults", false, [&] {
        DomainObject *domain = domainObject();
        if (!domain->readUserDefaultsDictionary())
            return false;
        PreferencesSource *source = preferencesSource();
        source->initializationUserObject();
        const std::unique_ptr<PreferencesSource> stored = domain->developUserDefaultsSource();
        source->setTheEnvironmentalAtDecoder(stored.get());
        return true;
    });
}

bool AppController::makingUserDefaultsDictionary()
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"makingUserDefaultsDictionary", false, [&] {
        DomainObject *domain = domainObject();
        return domain->makingUserDefaultsEncodeDataAtSource(preferencesSource())
            && domain->writeUserDefaultsDictionary();
    });
}

void AppController::newDocument()
{
    m_documentController->newDocument();
}

void AppController::importListItemsFilePath()
{
    m_documentController->importListItemsFilePath();
}

void AppController::exportListItemsFile()
{
    m_documentController->exportListItemsFile();
}

void AppController::setingToolShow_info()
{
    setingToolWihtState(0);
}

void AppController::setingToolShow_edit()
{
    setingToolWihtState(1);
}

void AppController::setingToolShow_search()
{
    setingToolWihtState(2);
}

void AppController::setingToolWihtState(int state)
{
    m_documentController->setingToolWihtState(state);
}

void AppController::showFontPanel()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"showFontPanel", [&] {
        if (!m_platform || !m_platform->fontPanelExists())
            return;
        if (m_platform->fontPanelVisible())
            m_platform->closeFontPanel();
        else
            m_platform->bringFontPanelToFront();
    });
}

void AppController::showFontColorPanel()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"showFontColorPanel", [&] {
        if (!m_platform || !m_platform->colorPanelExists())
            return;
        if (m_platform->colorPanelVisible())
            m_platform->closeColorPanel();
        else
            m_platform->bringColorPanelToFront();
    });
}

void AppController::openPreferences()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"openPreferences", [&] {
        if (m_platform)
            m_platform->openPreferencesPanel();
    });
}

void AppController::showSharedHelp()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"showSharedHelp", [&] {
        if (m_platform)
            m_platform->showHelp();
    });
}

bool AppController::applicationShouldOpenUntitledFile() const
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"applicationShouldOpenUntitledFile", false, [&] {
        return preferencesSource()->generalObject()->openTheNewWindowWithState();
    });
}

void AppController::applicationWillTerminate()
{
    if (holdsInstanceLock())
        cachesFolderInitialization();
    m_instanceLock.reset();
}

void AppController::cachesFolderInitialization()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"cachesFolderInitialization", [&] {
        rootCachesFolder()->cachesFolderInitialization();
    });
}

// --- Opening a stored package ------------------------------------------------

void AppController::openDocument()
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"openDocument", [&] {
        QString path;
        if (m_platform && m_platform->runOpenPanel({QStringLiteral("pgcd"), QStringLiteral("PGCD")}, &path))
            openDocumentWithFilePath(path, true);
    });
}

bool AppController::applicationOpenFile(const QString &path)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"application:openFile:", false, [&] {
        openDocumentWithFilePath(path, true);
        return true;
    });
}

bool AppController::openDocumentWithFilePath(const QString &path, bool display)
{
    Q_UNUSED(display);
    return ErrorLog::guarded(lcApp(), kClassWords, u"openDocumentWithFilePath", false, [&] {
        if (path.isEmpty())
            return false;
        // The flow keeps one request's state; a second one would take over
        // the first one's working folder and path before its load ends.
        if (!m_loadingPath.isEmpty()) {
            AlertSheetModal::openAlert(101, ModelText::lastPathComponent(m_loadingPath));
            return false;
        }
        const QString absolute = QFileInfo(Paths::expandTilde(path)).absoluteFilePath();
        // An open copy of the package is closed (or kept, if the user says
        // so) before its working folder is refilled.
        if (m_platform) {
            for (DocumentHandle *document : m_platform->openDocuments()) {
                if (!document || document->filePath().isEmpty()
                    || QDir::cleanPath(document->filePath()) != QDir::cleanPath(absolute))
                    continue;
                if (!m_documentController->inspectionOpenUserDocumentFileName(absolute))
                    return false;
            }
        }
        registerUserDocumentFilePath(absolute);
        // Each request starts unprotected; an earlier package's record must
        // not decide about this one.
        m_updateSituationDic = {{QStringLiteral("protectFileByPasswordWithState"), false},
                                {QStringLiteral("passwordTitle"), QString()},
                                {QStringLiteral("password"), QString()}};
        // A save cut off between its two renames leaves only "NAME.bak".
        AtomicPackageWriter::restoreLoneBackup(absolute);
        if (!registerDocumentWrapperAtPath(absolute) || !m_documentWrapper->isDirectory()
            || !m_documentWrapper->isReadable()) {
            ErrorLog::err(lcApp(), kClassWords, u"openDocumentWithFilePath", u"not a readable package");
            return false;
        }
        if (loadFileConfirmAtPath(absolute))
            return openPanelForUpdateSituationDic(m_updateSituationDic);
        indicatorTimerAction();
        return true;
    });
}

bool AppController::registerDocumentWrapperAtPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    m_documentWrapper = DirectoryWrapper::wrapperAtPath(path);
    return true;
}

bool AppController::loadFileConfirmAtPath(const QString &path)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"loadFileConfirmAtPath", false, [&] {
        const QVariantMap record = PackageProtection::recordOfPackage(path);
        registerUpdateSituationDic(record);
        return PackageProtection::isProtected(record);
    });
}

bool AppController::openPanelForUpdateSituationDic(const QVariantMap &record)
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"openPanelForUpdateSituationDic", false, [&] {
        if (record.isEmpty())
            return false;
        PasswordController &panel = PasswordController::sharedController();
        if (!panel.requestPrivatePasswordWithTitle(record.value(QStringLiteral("passwordTitle")).toString(),
                                                   record.value(QStringLiteral("password")).toString(),
                                                   m_userDocumentFilePath))
            return false;
        panel.passwordSource().registerProtectedState(101);
        panel.openPanel(nullptr);
        return true;
    });
}

void AppController::indicatorTimerAction()
{
    QTimer::singleShot(m_openDelayMs, this, [this] { openFileWorkIndicatorPanel(); });
}

bool AppController::openFileWorkIndicatorPanel()
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"openFileWorkIndicatorPanel", false, [&] {
        if (!m_documentWrapper || !m_loadingPath.isEmpty())
            return false;
        const QString folder = fileCachesFolderPath();
        if (folder.isEmpty())
            return false;
        // Files a previous opening left must not travel into the next save.
        QDir working(folder);
        for (const QString &name : working.entryList(QDir::Files | QDir::Hidden | QDir::System))
            working.remove(name);
        // The number travels with the request, so that the end of this load
        // can be told from any other.
        const QVariantMap task{
            {QStringLiteral("folderPath"), folder},
            {RequestKey::targeted, TaskCode::openPackage},
            {RequestKey::wrapper, QVariant::fromValue(m_documentWrapper)},
            {RequestKey::cachesFolderID, m_loadingNumber},
        };
        IndicatorController &indicator = IndicatorController::sharedController();
        m_loadingPath = m_userDocumentFilePath;
        // The answer tells whether the load is worth the panel; it runs either way.
        if (indicator.selfIndicator(task))
            indicator.openPanel(nullptr);
        return true;
    });
}

QString AppController::fileCachesFolderPath()
{
    return ErrorLog::guarded(lcApp(), kClassWords, u"fileCachesFolderPath", QString(), [&] {
        const int number = m_documentController->acquireNumberForDocumentPath(m_userDocumentFilePath);
        RootCachesFolder *tree = rootCachesFolder();
        tree->registerCachesFolderID(number);
        if (!tree->makingFileCachesFolderTitle(QStringLiteral("cachesID"), number))
            return QString();
        m_loadingNumber = number;
        return tree->fileCachesFolderPath();
    });
}

void AppController::indicatorAtStep(int step, double count, const QString &message)
{
    IndicatorController::sharedController().indicatorStep(ProgressReport::payload(step, count, message));
}

void AppController::answerPasswordWithOpenFileNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"answerPasswordWithOpenFileNotification", [&] {
        if (notification.object.isValid() && !notification.object.isNull())
            indicatorTimerAction();
    });
}

void AppController::loadingOfTheNotification(const Notification &notification)
{
    ErrorLog::guardedVoid(lcApp(), kClassWords, u"loadingOfTheNotification", [&] {
        if (m_loadingPath.isEmpty() || notification.object.toInt() != m_loadingNumber)
            return;
        const QString path = m_loadingPath;
        m_loadingPath.clear();
        m_documentController->openDocumentWithContentsOfFile(path, true);
    });
}

void AppController::loadingStepOfTheNotification(const Notification &notification)
{
    // A failed load posts no end notification; its failure step frees the flow.
    if (notification.object.toMap().value(QStringLiteral("step")).toInt() == kLoadFailedStep)
        m_loadingPath.clear();
}
