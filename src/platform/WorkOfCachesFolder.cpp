#include "WorkOfCachesFolder.h"

#include "AtomicFileWriter.h"
#include "FileNames.h"
#include "ImportFilePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

static QString filePathIn(const QString &folderPath, const QString &fileName)
{
    return QDir::cleanPath(folderPath + QLatin1Char('/') + fileName);
}

// A refused name is logged with the operation that met it; an empty one is
// an ordinary miss.
static bool acceptName(const QString &name, QStringView operation)
{
    if (WorkOfCachesFolder::isAcceptableFileName(name))
        return true;
    if (!name.isEmpty())
        ErrorLog::err(lcDocument(), u"WorkOfCachesFolder", operation, u"refused file name");
    return false;
}

bool WorkOfCachesFolder::isAcceptableFileName(const QString &name)
{
    return FileNames::isSafeName(name);
}

bool WorkOfCachesFolder::writeCachesFolderForString(const QString &string, const QString &folderPath,
                                                    const QString &fileName)
{
    return ErrorLog::guarded(lcDocument(), kClassWords, u"writeCachesFolderForString", false, [&] {
        if (string.isEmpty())
            return false;
        return writeCachesFolderForData(string.toUtf8(), folderPath, fileName);
    });
}

bool WorkOfCachesFolder::writeCachesFolderForData(const QByteArray &data, const QString &folderPath,
                                                  const QString &fileName)
{
    static constexpr QStringView operation = u"writeCachesFolderForData";
    return ErrorLog::guarded(lcDocument(), kClassWords, operation, false, [&] {
        if (data.isNull() || folderPath.isEmpty() || !acceptName(fileName, operation))
            return false;
        // The caches are working copies: atomic, but not worth an fsync.
        QString error;
        if (AtomicFileWriter::writeFile(filePathIn(folderPath, fileName), data, &error, false))
            return true;
        ErrorLog::err(lcDocument(), kClassWords, operation, error);
        return false;
    });
}

QByteArray WorkOfCachesFolder::readDataForCachesFolderPath(const QString &folderPath, const QString &fileName)
{
    static constexpr QStringView operation = u"readDataForCachesFolderPath";
    return ErrorLog::guarded(lcDocument(), kClassWords, operation, QByteArray(), [&] {
        if (folderPath.isEmpty() || !acceptName(fileName, operation))
            return QByteArray();
        return ImportFilePath::getSourceDataAtFilePath(filePathIn(folderPath, fileName));
    });
}

bool WorkOfCachesFolder::moveDifferentCashFolderAtName(const QString &name, const QString &cachesFolderName,
                                                       const QString &transferFolder)
{
    static constexpr QStringView operation = u"moveDifferentCashFolderAtName";
    return ErrorLog::guarded(lcDocument(), kClassWords, operation, false, [&] {
        if (cachesFolderName.isEmpty() || transferFolder.isEmpty() || !acceptName(name, operation))
            return false;
        const QString source = filePathIn(cachesFolderName, name);
        const QString target = filePathIn(transferFolder, name);
        const QFileInfo sourceInfo(source);
        if (!sourceInfo.exists() && !sourceInfo.isSymLink())
            return false;
        const QFileInfo targetInfo(target);
        if (targetInfo.exists() || targetInfo.isSymLink())
            return false;
        return QDir().rename(source, target);
    });
}

bool WorkOfCachesFolder::removeCachesFolderForFolderPath(const QString &folderPath, const QString &fileName)
{
    static constexpr QStringView operation = u"removeCachesFolderForFolderPath";
    return ErrorLog::guarded(lcDocument(), kClassWords, operation, false, [&] {
        if (folderPath.isEmpty() || !acceptName(fileName, operation))
            return false;
        const QString path = filePathIn(folderPath, fileName);
        const QFileInfo info(path);
        if (info.isSymLink() || (info.exists() && !info.isDir()))
            return QFile::remove(path);
        if (info.isDir())
            return QDir(path).removeRecursively();
        return false;
    });
}
