#pragma once

#include "DocumentHandle.h"
#include "MyDocumentWindow.h"

#include "OptionRun.h"
#include "list/CellEdit.h"
#include "platform/NotificationCenter.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include "platform/RequestKey.h"

class DocumentSource;
class FileAttribute;
class GeneralObject;
class ListItem;
class MyDocumentController;
class PrivatePasswordObject;
class RootCachesFolder;

// One open document: its root, its working folder in the caches tree and
// where its package lives. It restores a stored root, tracks unsaved
// changes, runs the save flow, asks about unsaved changes on close and quit,
// keeps the work logs and takes over what background workers deliver.
//
// Worker results arrive queued on the document's (main) thread. Option
// scripts run on a worker over a snapshot of the list (OptionRun), whose own
// responder answers their requests there.
class MyDocument : public QObject, public DocumentHandle
{
    Q_OBJECT
public:
    // Runs a background request; the default hands it to the shared progress
    // controller. The CLI runs workers in place instead.
    using TaskHandler = std::function<bool(const QVariantMap &task)>;

    static inline const QString kDocumentType = QStringLiteral("DocumentType");
    static inline const QString kRootFileName = QStringLiteral("documentSource.pagestyle");
    static inline const QString kRootKey = QStringLiteral("documentSource");
    static inline const QString kProtectionFileName = QStringLiteral("conditionOfTheFile.pagestyle");
    static inline const QString kProtectionKey = QStringLiteral("protectFileByPassword");

    // displayName names a document without a package ("Untitled"); a
    // document opened from a package is named by its path instead.
    MyDocument(MyDocumentController *controller, const QString &displayName,
               MyDocumentWindow *window = nullptr, NotificationCenter *center = nullptr,
               QObject *parent = nullptr);
    ~MyDocument() override;

    void setWindow(MyDocumentWindow *window);
    void setTaskHandler(TaskHandler handler) { m_taskHandler = std::move(handler); }
    // One-shot timer delays: before a save starts and before the save-time
    // password confirmation.
    void registerTimerIntervals(int saveMs, int passwordMs);

    DocumentSource *documentSource();
    RootCachesFolder *rootCachesFolder();
    FileAttribute *fileAttribute();
    ListItem *listItem();
    int cachesFolderID();
    QString documentFileName() const;
    QString workingFolder();

    // DocumentHandle
    QString filePath() const override { return m_filePath; }
    QString lastComponentOfFileName() const override { return documentFileName(); }
    bool isDocumentEdited() const override { return m_updateDocument; }
    void registerSaveSituationWithState(bool state) override { m_saveSituation = state; }
    void importListItemsFilePath() override;
    void exportListItemsFile() override;
    void setingToolWihtState(int state) override;

    // Opening.
    bool makingFileCachesFolderPath();
    bool loadFileWrapperRepresentation(const QString &packagePath, const QString &type);
    void awakeFromNib();
    void windowControllerDidLoadNib();
    bool readCachesFolderForListObject();
    bool inspectUpdateSituationDic(const QVariantMap &stored) const;
    // Reads the current list back from its file in the working folder.
    bool readCurrentListItemFile(bool state);

    // Stores the current list under the title in the working folder, as the
    // list items view's store button does.
    // A list of the same title is replaced after alert 202201, or at once
    // when askBeforeReplacing is false.
    bool storeCurrentListItem(const QString &title, bool askBeforeReplacing = true);
    // Makes the stored list with the title current by reading its file.
    bool openStoredListItem(const QString &title);

    // Changes and logs.
    void updateChangeCountAs(bool changed);
    bool workLogWithState(int state);
    bool register_searchTitle(const QString &title);
    const QString &searchTitle() const { return m_searchTitle; }
    void indicatorAtStep(int step, double count, const QString &message);
    bool selfIndicator(const QVariantMap &request);
    void openOptionPanelCommand(const QVariantMap &dictionary);

    // Saving.
    void saveDocument();
    void saveDocumentAs();
    void selectedSaveFileWork(bool askForPath);
    void saveWorkFilePath(const QString &path);
    // Records the protection for a save to path and starts it, or first asks
    // for the password confirmation when that is wanted and allowed.
    void privatePasswordWithState(const QString &path, bool confirmAllowed);
    bool writeProtectionFile(bool protect);
    void startSaveAtPath(const QString &path);
    // The save request as handed to the save worker.
    QVariantMap saveRequestForPath(const QString &path);

    // Closing and quitting; true means go ahead now.
    bool shouldCloseWindow();
    bool terminate();
    bool terminateSaveOption(bool quitting);

    bool saveSituation() const { return m_saveSituation; }
    bool terminateState() const { return m_terminateState; }
    bool closeWindowState() const { return m_closeWindowState; }

    // Handlers, public so that they can be driven directly.
    void answerPasswordWithFilePathNotification(const Notification &notification);
    void saveWrapperDirectoryOfTheNotification(const Notification &notification);
    void deliverConversionFileOfTheNotification(const Notification &notification);
    void finishWriteListItemOfTheNotification(const Notification &notification);
    void developUnfoldOfTheNotification(const Notification &notification);
    void developItemsSearchOfTheNotification(const Notification &notification);
    void developOptionObjectSourceOfTheNotification(const Notification &notification);
    void showItemsPreTableViewOfTheNotification(const Notification &notification);
    void outputConverterOfTheNotification(const Notification &notification);
    // An option run over a snapshot of the current list, on a worker; not
    // yet started. When it finishes, its writes are applied to the list as
    // one change (applyOptionRun) before any other listener hears of it.
    OptionRun *makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings = {});
    // Answers the edits that undo the run's writes.
    CellEditList applyOptionRun(const OptionRun::Outcome &outcome);
    void threadShowItemsAllAtState(bool state);

private:
    void registerNotificationHandlers();
    MyDocumentWindow *window() const;
    GeneralObject *generalObject() const;
    PrivatePasswordObject *securityObject() const;
    QString nickname() const;
    bool nicknameIsCreator();
    bool protectionWanted() const;
    void rebuildProtection(bool protect);
    bool isForThisDocument(const QVariant &cachesFolderID);

    MyDocumentController *m_controller = nullptr;
    MyDocumentWindow *m_window = nullptr;
    NotificationCenter *m_center = nullptr;
    TaskHandler m_taskHandler;
    QString m_filePath;
    QString m_displayName;
    mutable std::unique_ptr<DocumentSource> m_documentSource;
    mutable std::unique_ptr<RootCachesFolder> m_rootCachesFolder;
    mutable std::unique_ptr<FileAttribute> m_fileAttribute;
    bool m_updateDocument = false;
    bool m_saveSituation = true;
    bool m_terminateState = false;
    bool m_closeWindowState = false;
    QString m_searchTitle;
    bool m_observing = false;
    bool m_numberHeld = false;
    int m_saveDelayMs = 1000;
    int m_passwordDelayMs = 2000;
};
