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

class DocumentLists;
class DocumentResultRouter;
class DocumentSaveFlow;
class DocumentSource;
class DocumentWorkLog;
class FileAttribute;
class GeneralObject;
class ListItem;
class MyDocumentController;
class PrivatePasswordObject;
class RootCachesFolder;

// One open document: its root, its working folder in the caches tree and
// where its package lives. It restores a stored root and tracks unsaved
// changes; the lists, the work log, the save and close flow and the taking
// over of worker results are its collaborators' jobs, reached through it.
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
    void registerSaveSituationWithState(bool state) override;
    void importListItemsFilePath() override;
    void exportListItemsFile() override;
    void setingToolWihtState(int state) override;

    // Opening.
    bool loadFileWrapperRepresentation(const QString &packagePath, const QString &type);
    void awakeFromNib();
    void windowControllerDidLoadNib();

    // Lists: see DocumentLists.
    bool readCurrentListItemFile(bool state);
    bool storeCurrentListItem(const QString &title, bool askBeforeReplacing = true);
    bool openStoredListItem(const QString &title);
    OptionRun *makeOptionRun(const OptionObjectSource &options, OptionRunDriver::Options settings = {});
    CellEditList applyOptionRun(const OptionRun::Outcome &outcome);

    // Changes.
    void updateChangeCountAs(bool changed);
    bool register_searchTitle(const QString &title);
    const QString &searchTitle() const { return m_searchTitle; }
    void indicatorAtStep(int step, double count, const QString &message);
    bool selfIndicator(const QVariantMap &request);

    // Saving, closing and quitting: see DocumentSaveFlow.
    void saveDocument();
    void saveDocumentAs();
    void saveWorkFilePath(const QString &path);
    bool shouldCloseWindow();
    bool terminate();
    bool saveSituation() const;
    bool terminateState() const;

private:
    friend class DocumentLists;
    friend class DocumentResultRouter;
    friend class DocumentSaveFlow;
    friend class DocumentWorkLog;

    static inline const QString kClassWords = QStringLiteral("Document");

    bool makingFileCachesFolderPath();
    bool readCachesFolderForListObject();
    bool inspectUpdateSituationDic(const QVariantMap &stored) const;
    // The package now lives at path: the document keeps its number and is
    // named by the new path.
    void registerSavedFilePath(const QString &path);

    MyDocumentWindow *window() const;
    MyDocumentController *controller() const { return m_controller; }
    NotificationCenter *center() const { return m_center; }
    GeneralObject *generalObject() const;
    PrivatePasswordObject *securityObject() const;
    bool runTask(const QVariantMap &task) { return m_taskHandler(task); }
    DocumentLists &lists() { return *m_lists; }
    DocumentSaveFlow &saveFlow() { return *m_saveFlow; }
    const DocumentSaveFlow &saveFlow() const { return *m_saveFlow; }
    DocumentWorkLog &workLog() { return *m_workLog; }

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
    QString m_searchTitle;
    bool m_numberHeld = false;
    // Declared last so that they go first: the router stops observing before
    // anything it would touch is gone.
    std::unique_ptr<DocumentWorkLog> m_workLog;
    std::unique_ptr<DocumentLists> m_lists;
    std::unique_ptr<DocumentSaveFlow> m_saveFlow;
    std::unique_ptr<DocumentResultRouter> m_router;
};
