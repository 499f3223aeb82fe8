#include "WritingForEncod.h"

#include "platform/AtomicFileWriter.h"
#include "PackageEntries.h"
#include "list/ListItem.h"
#include "platform/ErrorLog.h"
#include "platform/KeyedArchiver.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Writing For Encod"_s;
static const QString kListItemKey = u"listItem"_s;

enum : int { kStepStart = 93401, kStepEncode = 93402, kStepWrite = 93403, kStepDone = 93404, kStepFailed = 93405 };

WritingForEncod::WritingForEncod()
    : StorageTaskWorker(kClassWords, NotificationName::notifIndicatorStepOfWriting)
{
}

void WritingForEncod::run(const QVariantMap &task)
{
    writEncodDataAtObject(task);
}

bool WritingForEncod::registerWritingFileTitle(const QString &title)
{
    return registerText(m_writingFileTitle, title);
}

bool WritingForEncod::registerWritingFilePath(const QString &path)
{
    return registerText(m_writingFilePath, path);
}

bool WritingForEncod::registerDocumentFileName(const QString &name)
{
    return registerText(m_documentFileName, name);
}

bool WritingForEncod::writEncodDataAtObject(const QVariantMap &task)
{
    static constexpr QStringView operation = u"writEncodDataAtObject";
    return ErrorLog::guarded(lcStorage(), kClassWords, operation, false, [&] {
        indicatorAtStep(kStepStart, 0.0, QString());
        const auto failed = [&] {
            indicatorAtStep(kStepFailed, 0.0, QString());
            return false;
        };

        const bool folder = registerFileCachesFolderPath(task.value(u"folderPath"_s).toString());
        const bool title = registerWritingFileTitle(task.value(RequestKey::fileName).toString());
        const bool document = registerDocumentFileName(task.value(u"documentFileName"_s).toString());
        if (!folder || !title || !document)
            return failed();
        // The name comes from stored data: it must stay inside the folder.
        if (!PackageEntries::isSafeName(m_writingFileTitle)) {
            ErrorLog::err(lcStorage(), kClassWords, operation, u"refused file name"_s);
            return failed();
        }
        registerWritingFilePath(workingFolder() + u'/' + m_writingFileTitle);
        registerCachesFolderID(task);
        indicatorAtStep(kStepEncode, 0.0, QString());

        const ListItemPtr list = task.value(RequestKey::listItemSource).value<ListItemPtr>();
        QByteArray data;
        if (list) {
            QString error;
            data = KeyedArchiver::packedData(*list, kListItemKey, &error);
            if (data.isEmpty())
                ErrorLog::err(lcStorage(), kClassWords, operation, error);
        }
        if (data.isEmpty())
            return failed();
        m_fileDataSize = double(data.size());

        indicatorAtStep(kStepWrite, 0.0, QString());
        if (!writeEncodData(data))
            return failed();

        center().post(NotificationName::finishWriteListItemNotif, m_documentFileName);
        indicatorAtStep(kStepDone, 0.0, QString());
        return true;
    });
}

bool WritingForEncod::writeEncodData(const QByteArray &data)
{
    QString error;
    const bool written = AtomicFileWriter::writeInChunks(
        m_writingFilePath, data,
        [this](qint64 done, qint64 total) {
            indicatorAtStep(kStepWrite, double(done) / double(total) * 100.0, QString());
        },
        &error);
    if (!written)
        ErrorLog::err(lcStorage(), kClassWords, u"writeEncodData", error);
    return written;
}
