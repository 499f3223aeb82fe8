#include "FileAttribute.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

bool FileAttribute::registerWrapperFilePath(const QString &value)
{
    return ModelText::registerString(m_wrapperFilePath, value);
}

bool FileAttribute::registerWrapperFileName(const QString &value)
{
    return ModelText::registerString(m_wrapperFileName, value);
}

bool FileAttribute::registerFileAttributesOfDictionary(const QVariantMap &dictionary)
{
    if (dictionary.isEmpty())
        return false;
    m_fileAttributesOfDictionary = dictionary;
    return true;
}

bool FileAttribute::registerFileCachesFolderPath(const QString &value)
{
    return ModelText::registerString(m_fileCachesFolderPath, value);
}

bool FileAttribute::setTheEnvironmentalAtDecoder(const FileAttribute *other)
{
    if (!other)
        return false;
    m_targeted = other->m_targeted;
    m_wrapperFilePath = other->m_wrapperFilePath;
    m_wrapperFileName = other->m_wrapperFileName;
    m_fileAttributesOfDictionary = other->m_fileAttributesOfDictionary;
    m_fileCachesFolderPath = other->m_fileCachesFolderPath;
    return true;
}

QString FileAttribute::logText() const
{
    return u"** FileAttribute logText START **\n"_s
        + u"wrapperFilePath:%1\n"_s.arg(m_wrapperFilePath)
        + u"wrapperFileName:%1\n"_s.arg(m_wrapperFileName)
        + u"fileCachesFolderPath:%1\n"_s.arg(m_fileCachesFolderPath)
        + u"** FileAttribute logText END **\n"_s;
}

double FileAttribute::fileSizeAtPath(const QString &path)
{
    if (path.isEmpty())
        return 0.0;
    const QFileInfo info(path);
    return info.exists() ? double(info.size()) : 0.0;
}

double FileAttribute::fileSizeAtWrapper(const QString &directoryPath)
{
    const QDir dir(directoryPath);
    if (directoryPath.isEmpty() || !dir.exists()) {
        ErrorLog::numbered(lcDocument, 924, u"file size at wrapper");
        return 0.0;
    }
    double total = 0.0;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (name == ".typeAttributes.dict"_L1 || name == ".DS_Store"_L1)
            continue;
        if (!entry.isFile()) {
            ErrorLog::numbered(lcDocument, 924, u"file size at wrapper:wrapper size");
            continue;
        }
        total += double(entry.size());
    }
    return total;
}

QVariantMap FileAttribute::fileAttributesAtPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return {
        {u"fileSize"_s, info.size()},
        {u"posixPermissions"_s, int(info.permissions())},
        {u"modificationDate"_s, info.lastModified()},
    };
}
