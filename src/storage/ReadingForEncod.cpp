#include "ReadingForEncod.h"

#include "platform/FileDescriptor.h"
#include "PackageEntries.h"
#include "list/ListItem.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"
#include "platform/MappedFile.h"
#include "platform/NotificationCenter.h"

#include <QByteArray>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Reading For Encod"_s;
static const QString kReading = u"Reading"_s;
static const QString kListItemKey = u"listItem"_s;

enum : int { kStepStart = 93201, kStepChunk = 93202, kStepRead = 93203 };

ReadingForEncod::ReadingForEncod()
    : StorageTaskWorker(kClassWords, NotificationName::notifIndicatorStepOfReading)
{
}

void ReadingForEncod::run(const QVariantMap &task)
{
    openWorkReadingFileObject(task);
}

bool ReadingForEncod::openWorkReadingFileObject(const QVariantMap &task)
{
    static constexpr QStringView operation = u"openWorkReadingFileObject";
    return ErrorLog::guarded(lcStorage(), kClassWords, operation, false, [&] {
        indicatorAtStep(kStepStart, 0.0, kReading);
        if (task.isEmpty())
            return false;
        registerCachesFolderID(task);
        registerWorkingFolder(task.value(u"folderPath"_s).toString());
        m_readingFileTitle = task.value(RequestKey::filePass).toString();
        m_documentFileName = task.value(u"documentFileName"_s).toString();
        m_documentState = task.value(u"state"_s).toBool();
        if (workingFolder().isEmpty() || m_readingFileTitle.isEmpty() || m_documentFileName.isEmpty())
            return false;
        // The name comes from stored data: it must stay inside the folder.
        if (!PackageEntries::isSafeName(m_readingFileTitle)) {
            ErrorLog::err(lcStorage(), kClassWords, operation, u"refused file name"_s);
            return false;
        }
        m_readingFilePath = workingFolder() + u'/' + m_readingFileTitle;

        const FileDescriptor folder = FileDescriptor::openDirectory(workingFolder());
        qint64 size = 0;
        FileDescriptor file = folder.isValid()
            ? FileDescriptor::openRegularFileAt(folder.get(), m_readingFileTitle, &size)
            : FileDescriptor();
        m_fileDataSize = double(size);
        if (!file.isValid())
            return false;

        // The unarchiver refuses anything larger, so reading more is pointless.
        const qint64 limit = KeyedUnarchiver::Limits().maxBytes;
        if (size > limit) {
            ErrorLog::err(lcStorage(), kClassWords, operation, u"the list file is too large"_s);
            return false;
        }

        // The working copy is this process's own file, replaced only by
        // rename: it is read in place rather than copied into fresh memory,
        // and stays mapped while rows still to be built read from it.
        indicatorAtStep(kStepChunk, 0.0, kReading);
        QString error;
        std::shared_ptr<const MappedFile> mapped = MappedFile::map(file, size, &error);
        file.close();
        if (!mapped) {
            ErrorLog::err(lcStorage(), kClassWords, operation, error);
            return false;
        }
        for (qint64 at = 0; at < mapped->size(); at += PackageEntries::kChunkSize) {
            mapped->populate(at, PackageEntries::kChunkSize);
            const qint64 done = std::min(at + PackageEntries::kChunkSize, mapped->size());
            indicatorAtStep(kStepChunk, double(done) / double(mapped->size()) * 100.0, kReading);
        }
        indicatorAtStep(kStepRead, 100.0, kReading);

        KeyedUnarchiver unarchiver(std::move(mapped));
        std::unique_ptr<ListItem> decoded = unarchiver.decodeTopLevelObject<ListItem>(kListItemKey);
        if (!decoded) {
            ErrorLog::err(lcStorage(), kClassWords, operation,
                          unarchiver.isValid() ? u"the list file holds no list"_s : unarchiver.errorString());
            return true;
        }
        const QVariantMap result = {
            {RequestKey::cachesFolderID, cachesFolderID()},
            {u"documentFileName"_s, m_documentFileName},
            {u"ListItem"_s, QVariant::fromValue(ListItemPtr(std::move(decoded)))},
            {u"state"_s, m_documentState},
        };
        center().post(NotificationName::developExistingFileUnfoldNotif, result);
        return true;
    });
}
