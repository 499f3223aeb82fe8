#include "AppController.h"

#include "AppPlatform.h"
#include "MyDocumentController.h"
#include "TaskWorkers.h"

#include "document/RootCachesFolder.h"
#include "platform/AlertSheetModal.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "prefs/AdvancedObject.h"
#include "prefs/DomainObject.h"
#include "prefs/GeneralObject.h"
#include "prefs/PreferencesSource.h"
#include "platform/Paths.h"
#include "tasks/IndicatorController.h"

#include <QDir>
#include <QLockFile>

static const QString kClassWords = QStringLiteral("App Controller");

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
            m_center->addObserver(QStringLiteral("requestOpenFileEvent"), this,
                                  [this](const Notification &n) { answerPasswordWithOpenFileNotification(n); });
            m_center->addObserver(QStringLiteral("notifLoadingWrapperDirectory"), this,
                                  [this](const Notification &n) { loadingOfTheNotification(n); });
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
                      u"another running copy holds the caches folder tree");
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

void AppController::answerPasswordWithOpenFileNotification(const Notification &)
{
    // Continues the open flow after an accepted password; arrives with the open flow.
}

void AppController::loadingOfTheNotification(const Notification &)
{
    // Opens the loaded package as a document; arrives with the open flow.
}
