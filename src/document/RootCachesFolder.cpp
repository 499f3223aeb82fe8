#include "RootCachesFolder.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/Paths.h"
#include "platform/ModelText.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

static const QString kClassWords = QStringLiteral("RootCachesFolder");

// The register-setters' refusal value: empty but not null.
static QString emptyString()
{
    return QStringLiteral("");
}

static QString joinPath(const QString &folder, const QString &name)
{
    return QDir::cleanPath(folder + QLatin1Char('/') + name);
}

RootCachesFolder::RootCachesFolder()
{
    initializationUserObject();
}

void RootCachesFolder::initializationUserObject()
{
    m_userFileCachesFolderWithState = false;
    m_userFileCachesFolderPath = emptyString();
    m_rootDomainPath = emptyString();
    m_rootCachesFolderPath = emptyString();
    m_libraryCachesFolderPath = emptyString();
    m_objectCachesFolderPath = emptyString();
    m_workCachesFolderPath = emptyString();
    m_makingFolderPath = emptyString();
    m_rootCachesFolderTitle = QStringLiteral("PagecraftCSV");
    m_libraryCachesFolderTitle = QStringLiteral("FabrikLibrary");
    m_objectCachesFolderTitle = QStringLiteral("FabrikObject");
    m_workCachesFolderTitle = QStringLiteral("FabrikWork");
    m_cachesFolderID = 0;
    m_fileCachesFolderPath = emptyString();
    m_fileCachesFolderPathOfWork = emptyString();
    m_fileCachesFolderTitle = emptyString();
    m_fileCachesFolderTitleOfWork = emptyString();
}

bool RootCachesFolder::setTheEnvironmentalAtDecoder(const RootCachesFolder *other)
{
    if (!other)
        return false;
    registerUserFileCachesFolderWithState(other->userFileCachesFolderWithState());
    registerUserFileCachesFolderPath(other->userFileCachesFolderPath());
    registerRootDomainPath(other->rootDomainPath());
    registerRootCachesFolderPath(other->rootCachesFolderPath());
    registerLibraryCachesFolderPath(other->libraryCachesFolderPath());
    registerObjectCachesFolderPath(other->objectCachesFolderPath());
    registerWorkCachesFolderPath(other->workCachesFolderPath());
    register_makingFolderPath(other->makingFolderPath());
    registerRootCachesFolderTitle(other->rootCachesFolderTitle());
    registerLibraryCachesFolderTitle(other->libraryCachesFolderTitle());
    registerObjectCachesFolderTitle(other->objectCachesFolderTitle());
    registerWorkCachesFolderTitle(other->workCachesFolderTitle());
    registerCachesFolderID(other->cachesFolderID());
    registerFileCachesFolderPath(other->fileCachesFolderPath());
    registerFileCachesFolderPathOfWork(other->fileCachesFolderPathOfWork());
    registerFileCachesFolderTitle(other->fileCachesFolderTitle());
    registerFileCachesFolderTitleOfWork(other->fileCachesFolderTitleOfWork());
    return true;
}

QString RootCachesFolder::archiveClassName()
{
    return QStringLiteral("RootCachesFolder");
}

void RootCachesFolder::encodeWithCoder(ArchiveEncoder &) const
{
}

bool RootCachesFolder::initWithCoder(const ArchiveDecoder &)
{
    return true;
}

bool RootCachesFolder::makingRootCachesFolder()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingRootCachesFolder", false, [&] {
        return m_userFileCachesFolderWithState ? makingUserCachesFolderPath()
                                               : makingRootCachesFolderPath();
    });
}

bool RootCachesFolder::makingRootCachesFolderPath()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingRootCachesFolderPath", false, [&] {
        if (m_rootDomainPath.isEmpty() && m_rootCachesFolderTitle.isEmpty())
            return false;
        if (!makeCachesFolderAtDirectoryPath(m_rootDomainPath, m_rootCachesFolderTitle))
            return false;
        registerRootCachesFolderPath(m_makingFolderPath);
        const QString root = m_rootCachesFolderPath;
        makeSubFolder(root, m_objectCachesFolderTitle, &RootCachesFolder::registerObjectCachesFolderPath);
        makeSubFolder(root, m_libraryCachesFolderTitle, &RootCachesFolder::registerLibraryCachesFolderPath);
        makeSubFolder(root, m_workCachesFolderTitle, &RootCachesFolder::registerWorkCachesFolderPath);
        return true;
    });
}

bool RootCachesFolder::makingUserCachesFolderPath()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingUserCachesFolderPath", false, [&] {
        if (m_rootDomainPath.isEmpty() && m_rootCachesFolderTitle.isEmpty()
            && m_userFileCachesFolderPath.isEmpty())
            return false;
        if (!makeCachesFolderAtDirectoryPath(m_rootDomainPath, m_rootCachesFolderTitle))
            return false;
        registerRootCachesFolderPath(m_makingFolderPath);
        const QString root = m_rootCachesFolderPath;
        makeSubFolder(root, m_libraryCachesFolderTitle, &RootCachesFolder::registerLibraryCachesFolderPath);
        makeSubFolder(root, m_workCachesFolderTitle, &RootCachesFolder::registerWorkCachesFolderPath);

        if (!makeCachesFolderAtDirectoryPath(m_userFileCachesFolderPath, m_rootCachesFolderTitle))
            return false;
        registerRootCachesFolderPath(m_makingFolderPath);
        if (!makeCachesFolderAtDirectoryPath(m_rootCachesFolderPath, m_objectCachesFolderTitle))
            return false;
        registerObjectCachesFolderPath(m_makingFolderPath);
        return true;
    });
}

bool RootCachesFolder::makeSubFolder(const QString &root, const QString &title,
                                     bool (RootCachesFolder::*record)(const QString &))
{
    if (!makeCachesFolderAtDirectoryPath(root, title))
        return false;
    return (this->*record)(m_makingFolderPath);
}

bool RootCachesFolder::makeCachesFolderAtDirectoryPath(const QString &directory, const QString &title)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makeCachesFolderAtDirectoryPath", false, [&] {
        const QString expanded = Paths::expandTilde(directory);
        if (expanded.isEmpty())
            return false;
        const QFileInfo directoryInfo(expanded);
        if (!directoryInfo.isDir())
            return false;
        register_makingFolderPath(joinPath(directoryInfo.absoluteFilePath(), title));
        return ensureFolder(m_makingFolderPath);
    });
}

bool RootCachesFolder::ensureFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    // A file standing where a folder belongs would only make every later
    // write into the folder fail; refuse it here where the cause is known.
    if (info.exists() || info.isSymLink())
        return false;
    return QDir().mkdir(path);
}

QString RootCachesFolder::fileCachesFolderName(const QString &title, int folderID)
{
    return title + QString::number(folderID);
}

bool RootCachesFolder::makingFileCachesFolderTitle(const QString &title, int folderID)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingFileCachesFolderTitle", false, [&] {
        if (title.isEmpty())
            return false;
        const QString name = fileCachesFolderName(title, folderID);

        registerFileCachesFolderTitle(title);
        registerCachesFolderID(folderID);
        // Without a built tree there is no folder to put the document's
        // folders in; a relative path would land in the current directory.
        if (registerFileCachesFolderPath(m_objectCachesFolderPath.isEmpty()
                                             ? QString() : joinPath(m_objectCachesFolderPath, name)))
            ensureFolder(m_fileCachesFolderPath);

        registerFileCachesFolderTitleOfWork(title);
        if (registerFileCachesFolderPathOfWork(m_workCachesFolderPath.isEmpty()
                                                   ? QString() : joinPath(m_workCachesFolderPath, name)))
            ensureFolder(m_fileCachesFolderPathOfWork);
        return true;
    });
}

void RootCachesFolder::cachesFolderInitialization()
{
    ErrorLog::guardedVoid(lcDocument(), kClassWords, u"cachesFolderInitialization", [&] {
        const QString root = QDir::cleanPath(m_rootCachesFolderPath);
        const QString library = QDir::cleanPath(m_libraryCachesFolderPath);
        for (const QString &path : {m_objectCachesFolderPath, m_workCachesFolderPath}) {
            // An empty path would name the current directory; never let a
            // mis-built tree point the removal at what must stay.
            if (path.isEmpty() || !QFileInfo(path).isAbsolute())
                continue;
            const QString cleaned = QDir::cleanPath(path);
            if (cleaned == root || cleaned == library || cleaned == QDir::rootPath())
                continue;
            const QFileInfo info(cleaned);
            if (info.isDir() && !info.isSymLink())
                QDir(cleaned).removeRecursively();
        }
    });
}

bool RootCachesFolder::makingFileCachesFolderIDTitle()
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"makingFileCachesFolderIDTitle", false, [&] {
        if (m_cachesFolderID != 0)
            return false;
        if (m_objectCachesFolderPath.isEmpty() || m_fileCachesFolderTitle.isEmpty())
            return false;
        int number = 0;
        QString objectFolder;
        do {
            if (number == std::numeric_limits<int>::max())
                return false;
            ++number;
            objectFolder = joinPath(m_objectCachesFolderPath, fileCachesFolderName(m_fileCachesFolderTitle, number));
        } while (QFileInfo::exists(objectFolder) || QFileInfo(objectFolder).isSymLink());
        if (!QDir().mkdir(objectFolder))
            return false;
        registerCachesFolderID(number);
        if (!registerFileCachesFolderPath(objectFolder))
            return false;

        if (m_workCachesFolderPath.isEmpty() || m_fileCachesFolderTitleOfWork.isEmpty())
            return false;
        const QString workFolder = joinPath(m_workCachesFolderPath,
                                            fileCachesFolderName(m_fileCachesFolderTitleOfWork, number));
        if (!registerFileCachesFolderPathOfWork(workFolder))
            return false;
        ensureFolder(workFolder);
        return true;
    });
}

bool RootCachesFolder::registerUserFileCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_userFileCachesFolderPath, value);
}

bool RootCachesFolder::registerRootDomainPath(const QString &value)
{
    return ModelText::registerString(m_rootDomainPath, value);
}

bool RootCachesFolder::registerRootCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_rootCachesFolderPath, value);
}

bool RootCachesFolder::registerLibraryCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_libraryCachesFolderPath, value);
}

bool RootCachesFolder::registerObjectCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_objectCachesFolderPath, value);
}

bool RootCachesFolder::registerWorkCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_workCachesFolderPath, value);
}

bool RootCachesFolder::register_makingFolderPath(const QString &value)
{
    return ModelText::registerString(m_makingFolderPath, value);
}

bool RootCachesFolder::registerRootCachesFolderTitle(const QString &value)
{
    return ModelText::registerString(m_rootCachesFolderTitle, value);
}

bool RootCachesFolder::registerLibraryCachesFolderTitle(const QString &value)
{
    return ModelText::registerString(m_libraryCachesFolderTitle, value);
}

bool RootCachesFolder::registerObjectCachesFolderTitle(const QString &value)
{
    return ModelText::registerString(m_objectCachesFolderTitle, value);
}

bool RootCachesFolder::registerWorkCachesFolderTitle(const QString &value)
{
    return ModelText::registerString(m_workCachesFolderTitle, value);
}

bool RootCachesFolder::registerFileCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_fileCachesFolderPath, value);
}

bool RootCachesFolder::registerFileCachesFolderPathOfWork(const QString &value)
{
    return ModelText::registerString(m_fileCachesFolderPathOfWork, value);
}

bool RootCachesFolder::registerFileCachesFolderTitle(const QString &value)
{
    return ModelText::registerString(m_fileCachesFolderTitle, value);
}

bool RootCachesFolder::registerFileCachesFolderTitleOfWork(const QString &value)
{
    return ModelText::registerString(m_fileCachesFolderTitleOfWork, value);
}
