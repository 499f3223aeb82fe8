#include "ReadingForEncod.h"

#include "platform/FileDescriptor.h"
#include "PackageEntries.h"
#include "list/ListItem.h"
#include "platform/ErrorLog.h"
#include "platform/HugePageMemory.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LogCategories.h"
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

        indicatorAtStep(kStepChunk, 0.0, kReading);
        QByteArray bytes;
        // Room for the last, empty read too: growing past the file's size
        // would copy everything read so far.
        bytes.reserve(qsizetype(std::min<qint64>(size, limit) + PackageEntries::kChunkSize));
        HugePageMemory::advise(bytes);
        qint64 total = 0;
        for (;;) {
            const qint64 room = std::min<qint64>(PackageEntries::kChunkSize, limit + 1 - total);
            const qsizetype before = bytes.size();
            bytes.resize(before + qsizetype(room));
            const qint64 got = file.read(bytes.data() + before, room);
            bytes.resize(before + qsizetype(std::max<qint64>(got, 0)));
            if (got < 0) {
                ErrorLog::err(lcStorage(), kClassWords, operation, FileDescriptor::lastError());
                return false;
            }
            if (got == 0)
                break;
            total += got;
            if (total > limit) {
                ErrorLog::err(lcStorage(), kClassWords, operation, u"the list file grew too large"_s);
                return false;
            }
            const double count = m_fileDataSize > 0.0 ? std::min(double(total) / m_fileDataSize * 100.0, 100.0)
                                                      : 100.0;
            indicatorAtStep(kStepChunk, count, kReading);
        }
        file.close();
        indicatorAtStep(kStepRead, 100.0, kReading);

        KeyedUnarchiver unarchiver(std::move(bytes));
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
