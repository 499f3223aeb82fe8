#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class AppPlatform;
class DirectoryWrapper;
class QLockFile;
class DomainObject;
class MyDocumentController;
class PreferencesSource;
class RootCachesFolder;

// The application's controller for the whole run: loads the preferences and
// builds the caches folder tree at start-up, carries the application-wide
// commands, and clears the temporary folders at the end. The windowing layer
// is reached only through AppPlatform.
class AppController : public QObject
{
    Q_OBJECT
public:
    // Without a centre the default one is used. The platform must outlive
    // the controller.
    explicit AppController(AppPlatform *platform, NotificationCenter *center = nullptr,
                           QObject *parent = nullptr);
    ~AppController() override;

    DomainObject *domainObject();
    const DomainObject *domainObject() const;
    RootCachesFolder *rootCachesFolder();
    const RootCachesFolder *rootCachesFolder() const;
    PreferencesSource *preferencesSource();
    const PreferencesSource *preferencesSource() const;
    // The shared document controller; owned here.
    MyDocumentController *documentController() const { return m_documentController.get(); }

    bool registerUserDocumentFilePath(const QString &value);
    bool confirmUserDocumentFilePath() const { return !m_userDocumentFilePath.isEmpty(); }
    QString userDocumentFilePath() const { return m_userDocumentFilePath; }
    // Refuses an empty dictionary and keeps the old one.
    bool registerUpdateSituationDic(const QVariantMap &dictionary);
    QVariantMap updateSituationDic() const { return m_updateSituationDic; }

    // The open flow: protection check, password, load on a worker behind the
    // progress panel, then the document on the main thread. Only one package
    // loads at a time; a second request meanwhile is refused (alert 101).
    void openDocument();
    bool applicationOpenFile(const QString &path);
    bool openDocumentWithFilePath(const QString &path, bool display);
    void openPasswordPanel() {}
    bool registerDocumentWrapperAtPath(const QString &path);
    std::shared_ptr<const DirectoryWrapper> documentWrapper() const { return m_documentWrapper; }
    bool loadFileConfirmAtPath(const QString &path);
    bool openPanelForUpdateSituationDic(const QVariantMap &record);
    void indicatorTimerAction();
    bool openFileWorkIndicatorPanel();
    QString fileCachesFolderPath();
    void indicatorAtStep(int step, double count, const QString &message);
    // Set while a package is being loaded; empty otherwise.
    QString loadingDocumentFilePath() const { return m_loadingPath; }
    // The one-shot delay before a load starts (1 s in the application).
    void registerOpenTimerInterval(int msecs) { m_openDelayMs = qMax(0, msecs); }

    // Start-up, run once when the main interface is loaded.
    void awakeFromNib();
    // Loads the stored preferences; false when none are stored.
    bool developUserDefaults();
    // Stores the current preferences.
    bool makingUserDefaultsDictionary();

    // Commands.
    void newDocument();
    void importListItemsFilePath();
    void exportListItemsFile();
    void setingToolShow_info();
    void setingToolShow_edit();
    void setingToolShow_search();
    void setingToolWihtState(int state);
    void showFontPanel();
    void showFontColorPanel();
    void openPreferences();
    void showSharedHelp();

    // Application delegate answers.
    bool applicationShouldOpenUntitledFile() const;
    void applicationWillFinishLaunching() {}
    void applicationDidFinishLaunching() {}
    void applicationWillTerminate();
    void cachesFolderInitialization();

    // Another running copy of the application shares the caches folder tree:
    // its working folders must not be cleared, and its document numbers
    // would collide with ours. Only the copy holding this lock clears and
    // uses the tree; the others must not open documents (the GUI quits).
    bool holdsInstanceLock() const { return m_instanceLock != nullptr; }

private Q_SLOTS:
    // The open flow's handlers; their work arrives with the open flow.
    void answerPasswordWithOpenFileNotification(const Notification &notification);
    void loadingOfTheNotification(const Notification &notification);
    void loadingStepOfTheNotification(const Notification &notification);

private:
    bool acquireInstanceLock();

    AppPlatform *m_platform = nullptr;
    NotificationCenter *m_center = nullptr;
    mutable std::unique_ptr<DomainObject> m_domainObject;
    mutable std::unique_ptr<RootCachesFolder> m_rootCachesFolder;
    mutable std::unique_ptr<PreferencesSource> m_preferencesSource;
    QString m_userDocumentFilePath;
    QVariantMap m_updateSituationDic;
    std::shared_ptr<const DirectoryWrapper> m_documentWrapper;
    QString m_loadingPath;
    int m_loadingNumber = 0;
    int m_openDelayMs = 1000;
    std::unique_ptr<MyDocumentController> m_documentController;
    bool m_observing = false;
    std::unique_ptr<QLockFile> m_instanceLock;
};
