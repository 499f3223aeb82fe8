#pragma once

#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Single files in the caches folders: plain text, raw bytes, or one object as
// a keyed archive. Writes are atomic; reads answer null for anything missing.
//
// File names often come from stored documents, so a name that could reach
// outside its folder (a separator, ".", "..", a control character) is refused
// (FileNames::isSafeName).
class WorkOfCachesFolder
{
public:
    WorkOfCachesFolder() = delete;

    static bool isAcceptableFileName(const QString &name);

    static bool writeCachesFolderForString(const QString &string, const QString &folderPath,
                                           const QString &fileName);
    // Null data is refused; empty data writes an empty file.
    static bool writeCachesFolderForData(const QByteArray &data, const QString &folderPath,
                                         const QString &fileName);
    static QByteArray readDataForCachesFolderPath(const QString &folderPath, const QString &fileName);

    static bool moveDifferentCashFolderAtName(const QString &name, const QString &cachesFolderName,
                                              const QString &transferFolder);
    // Removes a file, or a folder with everything in it; a symbolic link is
    // removed itself, never followed.
    static bool removeCachesFolderForFolderPath(const QString &folderPath, const QString &fileName);

    template<class T>
    static QByteArray dataEncodWithObject(const T &object, const QString &key)
    {
        return ErrorLog::guarded(lcDocument(), kClassWords, u"dataEncodWithObject", QByteArray(), [&] {
            if (key.isEmpty())
                return QByteArray();
            QString error;
            QByteArray data = KeyedArchiver::archivedData(object, key, &error);
            if (data.isEmpty())
                ErrorLog::err(lcDocument(), kClassWords, u"dataEncodWithObject", error);
            return data;
        });
    }

    template<class T>
    static bool writeCachesFolderForEncodObject(const T &object, const QString &key,
                                                const QString &folderPath, const QString &fileName)
    {
        return ErrorLog::guarded(lcDocument(), kClassWords, u"writeCachesFolderForEncodObject", false, [&] {
            const QByteArray data = dataEncodWithObject(object, key);
            if (data.isEmpty())
                return false;
            return writeCachesFolderForData(data, folderPath, fileName);
        });
    }

    template<class T>
    static std::unique_ptr<T> objectWithDataEncod(const QByteArray &data, const QString &key)
    {
        return ErrorLog::guarded(lcDocument(), kClassWords, u"objectWithDataEncod", std::unique_ptr<T>(), [&] {
            if (data.isEmpty() || key.isEmpty())
                return std::unique_ptr<T>();
            return KeyedUnarchiver::unarchivedObject<T>(data, key);
        });
    }

    template<class T>
    static std::unique_ptr<T> readObjectForCachesFolderPath(const QString &folderPath, const QString &fileName,
                                                            const QString &key)
    {
        return ErrorLog::guarded(lcDocument(), kClassWords, u"readObjectForCachesFolderPath", std::unique_ptr<T>(), [&] {
            if (folderPath.isEmpty() || fileName.isEmpty() || key.isEmpty())
                return std::unique_ptr<T>();
            return objectWithDataEncod<T>(readDataForCachesFolderPath(folderPath, fileName), key);
        });
    }

private:
    static inline const QString kClassWords = QStringLiteral("WorkOfCachesFolder");
};
