#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QVariantMap>

class AppController;
class AppPlatform;
class DocumentHandle;
class PreferencesSource;
class RootCachesFolder;

// The application's document controller: numbers each document file name for
// the run (the number names the document's caches folders) and forwards the
// application's commands to the current document.
//
// A number is never handed out while a document or an entry holds it, and
// two open documents never share one: documents take their number through
// acquireNumberForDocumentPath(), which gives a second document whose file
// name is already held by another path a number of its own.
class MyDocumentController
{
public:
    MyDocumentController(AppPlatform *platform, AppController *appController);
    ~MyDocumentController();
    MyDocumentController(const MyDocumentController &) = delete;
    MyDocumentController &operator=(const MyDocumentController &) = delete;

    // The live instance (the application controller's), or null.
    static MyDocumentController *sharedDocumentController();

    AppController *connectAppController() const { return m_connectAppController; }

    // A new untitled document, marked as never saved.
    DocumentHandle *newDocument();
    bool openDocumentWithContentsOfFile(const QString &path, bool display);
    // Closes the open document with this path, asking first (alert 211) when
    // it has unsaved changes. True when a document was closed.
    bool inspectionOpenUserDocumentFileName(const QString &path);

    // The file-name table.
    bool inspectionDocumentFileName(const QString &name) const;
    bool addDocumentFileName(const QString &name);
    bool setFileName(const QString &name, int idNumber);
    bool addFileName(const QString &oldName, int oldIdNumber, const QString &newName, int newIdNumber);
    bool removeFileName(const QString &name);
    int answerDocumentFileName(const QString &name) const;
    // Replaces the table (file name to int); empty input empties it.
    bool registerFileListDictionary(const QVariantMap &dictionary);
    QVariantMap fileListDictionary() const;

    // The number an open document uses, tracked by its full path. The first
    // document of a file name takes (or makes) that name's entry; another path
    // with the same file name gets a fresh number. Asking again for the same
    // path answers the same number. 0 for an empty path.
    int acquireNumberForDocumentPath(const QString &fullPath);
    // The document is gone. Its name's entry stays for the run; a fresh number
    // is never handed out again, as its folders may still hold files.
    void releaseNumberForDocumentPath(const QString &fullPath);
    // After a save under a new path: the document keeps its number, and the
    // table follows the rename as addFileName() does.
    int transferNumberForDocumentPath(const QString &oldFullPath, const QString &newFullPath);

    // Forwarded to the current document.
    void importListItemsFilePath();
    void exportListItemsFile();
    void setingToolWihtState(int state);

    // Forwarded to the application controller.
    void showFontPanel();
    void showFontColorPanel();
    RootCachesFolder *rootCachesFolder() const;
    PreferencesSource *preferencesSource() const;
    QVariantMap updateSituationDic() const;
    QString userDocumentFilePath() const;

private:
    static QString fileNameOfPath(const QString &fullPath);
    bool isNumberHeld(int number) const;
    int nextFreeNumber(qsizetype start) const;

    AppPlatform *m_platform = nullptr;
    AppController *m_connectAppController = nullptr;
    QMap<QString, int> m_fileListDictionary;
    // Which document path holds a name's entry.
    QHash<QString, QString> m_nameHolders;
    QHash<QString, int> m_pathNumbers;
    QSet<int> m_retiredNumbers;
};
