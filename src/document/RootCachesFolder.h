#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The caches folder tree: root and library folders that outlive the run, and
// the object and work folders that hold every open document's working files,
// one pair of "cachesID<n>" folders per document number.
//
// Folders are made by absolute path; the process's current directory is never
// touched, so building the tree is safe while workers use relative paths.
class RootCachesFolder
{
public:
    RootCachesFolder();

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const RootCachesFolder *other);

    // The tree is rebuilt at every start-up, so nothing of it is archived.
    static QString archiveClassName();
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Builds the standard tree, or the one with the user's own object folder.
    bool makingRootCachesFolder();
    bool makingRootCachesFolderPath();
    bool makingUserCachesFolderPath();
    // Makes sure directory/title exists as a folder; the result is recorded
    // as makingFolderPath().
    bool makeCachesFolderAtDirectoryPath(const QString &directory, const QString &title);
    // Selects the document folders "<title><number>" and creates them.
    bool makingFileCachesFolderTitle(const QString &title, int folderID);
    // Removes the object and the work folder with their contents; the root and
    // the library stay.
    void cachesFolderInitialization();
    // Picks the first number whose object folder does not exist yet.
    bool makingFileCachesFolderIDTitle();

    static QString fileCachesFolderName(const QString &title, int folderID);

    void registerUserFileCachesFolderWithState(bool state) { m_userFileCachesFolderWithState = state; }
    bool userFileCachesFolderWithState() const { return m_userFileCachesFolderWithState; }

    bool registerUserFileCachesFolderPath(const QString &value);
    bool confirmUserFileCachesFolderPath() const { return !m_userFileCachesFolderPath.isEmpty(); }
    QString userFileCachesFolderPath() const { return m_userFileCachesFolderPath; }

    bool registerRootDomainPath(const QString &value);
    bool confirmRootDomainPath() const { return !m_rootDomainPath.isEmpty(); }
    QString rootDomainPath() const { return m_rootDomainPath; }

    bool registerRootCachesFolderPath(const QString &value);
    bool confirmRootCachesFolderPath() const { return !m_rootCachesFolderPath.isEmpty(); }
    QString rootCachesFolderPath() const { return m_rootCachesFolderPath; }

    bool registerLibraryCachesFolderPath(const QString &value);
    bool confirmLibraryCachesFolderPath() const { return !m_libraryCachesFolderPath.isEmpty(); }
    QString libraryCachesFolderPath() const { return m_libraryCachesFolderPath; }

    bool registerObjectCachesFolderPath(const QString &value);
    bool confirmObjectCachesFolderPath() const { return !m_objectCachesFolderPath.isEmpty(); }
    QString objectCachesFolderPath() const { return m_objectCachesFolderPath; }

    bool registerWorkCachesFolderPath(const QString &value);
    bool confirmWorkCachesFolderPath() const { return !m_workCachesFolderPath.isEmpty(); }
    QString workCachesFolderPath() const { return m_workCachesFolderPath; }

    bool register_makingFolderPath(const QString &value);
    bool confirm_makingFolderPath() const { return !m_makingFolderPath.isEmpty(); }
    QString makingFolderPath() const { return m_makingFolderPath; }

    bool registerRootCachesFolderTitle(const QString &value);
    bool confirmRootCachesFolderTitle() const { return !m_rootCachesFolderTitle.isEmpty(); }
    QString rootCachesFolderTitle() const { return m_rootCachesFolderTitle; }

    bool registerLibraryCachesFolderTitle(const QString &value);
    bool confirmLibraryCachesFolderTitle() const { return !m_libraryCachesFolderTitle.isEmpty(); }
    QString libraryCachesFolderTitle() const { return m_libraryCachesFolderTitle; }

    bool registerObjectCachesFolderTitle(const QString &value);
    bool confirmObjectCachesFolderTitle() const { return !m_objectCachesFolderTitle.isEmpty(); }
    QString objectCachesFolderTitle() const { return m_objectCachesFolderTitle; }

    bool registerWorkCachesFolderTitle(const QString &value);
    bool confirmWorkCachesFolderTitle() const { return !m_workCachesFolderTitle.isEmpty(); }
    QString workCachesFolderTitle() const { return m_workCachesFolderTitle; }

    void registerCachesFolderID(int value) { m_cachesFolderID = value; }
    int cachesFolderID() const { return m_cachesFolderID; }

    bool registerFileCachesFolderPath(const QString &value);
    bool confirmFileCachesFolderPath() const { return !m_fileCachesFolderPath.isEmpty(); }
    QString fileCachesFolderPath() const { return m_fileCachesFolderPath; }

    bool registerFileCachesFolderPathOfWork(const QString &value);
    bool confirmFileCachesFolderPathOfWork() const { return !m_fileCachesFolderPathOfWork.isEmpty(); }
    QString fileCachesFolderPathOfWork() const { return m_fileCachesFolderPathOfWork; }

    bool registerFileCachesFolderTitle(const QString &value);
    bool confirmFileCachesFolderTitle() const { return !m_fileCachesFolderTitle.isEmpty(); }
    QString fileCachesFolderTitle() const { return m_fileCachesFolderTitle; }

    bool registerFileCachesFolderTitleOfWork(const QString &value);
    bool confirmFileCachesFolderTitleOfWork() const { return !m_fileCachesFolderTitleOfWork.isEmpty(); }
    QString fileCachesFolderTitleOfWork() const { return m_fileCachesFolderTitleOfWork; }

private:
    // The root and its sub-folders; a sub-folder that cannot be made keeps
    // its old path.
    bool makeSubFolder(const QString &root, const QString &title, bool (RootCachesFolder::*record)(const QString &));
    static bool ensureFolder(const QString &path);

    bool m_userFileCachesFolderWithState = false;
    QString m_userFileCachesFolderPath;
    QString m_rootDomainPath;
    QString m_rootCachesFolderPath;
    QString m_libraryCachesFolderPath;
    QString m_objectCachesFolderPath;
    QString m_workCachesFolderPath;
    QString m_makingFolderPath;
    QString m_rootCachesFolderTitle;
    QString m_libraryCachesFolderTitle;
    QString m_objectCachesFolderTitle;
    QString m_workCachesFolderTitle;
    int m_cachesFolderID = 0;
    QString m_fileCachesFolderPath;
    QString m_fileCachesFolderPathOfWork;
    QString m_fileCachesFolderTitle;
    QString m_fileCachesFolderTitleOfWork;
};
