#include "SaveForEncod.h"

#include "platform/AtomicFileWriter.h"
#include "PackageEntries.h"
#include "document/DocumentSource.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/ErrorLog.h"
#include "platform/ArchiveCompression.h"
#include "platform/KeyedArchiver.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Save For Encod"_s;
static const QString kBlank = u" "_s;

enum : int { kStepStart = 93301, kStepRoot = 93302, kStepCopy = 93303, kStepDone = 93304, kStepFailed = 93305 };

SaveForEncod::SaveForEncod()
    : StorageTaskWorker(kClassWords, NotificationName::notifIndicatorStepOfSave)
{
}

void SaveForEncod::run(const QVariantMap &task)
{
    saveWorkWrapperFileObject(task);
}

bool SaveForEncod::registerSaveingFileTitle(const QString &title)
{
    return registerText(m_saveingFileTitle, title);
}

bool SaveForEncod::registerSaveingFilePath(const QString &path)
{
    return registerText(m_saveingFilePath, path);
}

bool SaveForEncod::registerSaveWrapperFilePath(const QString &path)
{
    return registerText(m_saveWrapperFilePath, path);
}

bool SaveForEncod::saveWorkWrapperFileObject(const QVariantMap &task)
{
    bool saved = false;
    clearFailureReason();
    try {
        saved = saveSteps(task);
    } catch (...) {
        ErrorLog::numbered(lcStorage(), 933, u"save work wrapper file object");
        saved = false;
    }
    // The reason rides on the failure step, for front ends that print it.
    if (!saved)
        indicatorAtStep(kStepFailed, 100.0, failureReason());
    return saved;
}

bool SaveForEncod::saveSteps(const QVariantMap &task)
{
    if (task.isEmpty())
        return false;
    registerCachesFolderID(task);
    indicatorAtStep(kStepStart, 100.0, QString());

    const bool folder = registerUserFileCachesFolderPath(task.value(u"folderPath"_s).toString());
    const bool package = registerSaveWrapperFilePath(task.value(u"filePath"_s).toString());
    if (!folder || !package)
        return false;

    registerSaveingFileTitle(PackageEntries::rootFileName());
    registerSaveingFilePath(workingFolder() + u'/' + m_saveingFileTitle);
    indicatorAtStep(kStepRoot, 0.0, QString());

    QByteArray data;
    try {
        const ArchivableSnapshotPtr root = task.value(RequestKey::documentSource).value<ArchivableSnapshotPtr>();
        if (root) {
            KeyedArchiver archiver(&data);
            if (!root->writeArchive(archiver, DocumentSource::rootArchiveKey()) || !archiver.finish()) {
                ErrorLog::err(lcStorage(), kClassWords, u"saveWorkWrapperFileObject", archiver.errorString());
                data.clear();
            }
        }
        if (!data.isEmpty())
            data = ArchiveCompression::compress(data);
    } catch (...) {
        data.clear();
    }
    if (data.isEmpty()) {
        ErrorLog::numbered(lcStorage(), 933, u"save work wrapper file object:source data");
        return false;
    }
    m_fileDataSize = double(data.size());

    indicatorAtStep(kStepRoot, 0.0, QString());
    if (!saveEncodDataAtData(data))
        return false;
    data = QByteArray();
    if (!saveWrapperFile())
        return false;

    center().post(NotificationName::notifSaveWrapperDirectory, cachesFolderID());
    indicatorAtStep(kStepDone, 100.0, QString());
    return true;
}

bool SaveForEncod::saveEncodDataAtData(const QByteArray &data)
{
    QString error;
    bool written = false;
    try {
        written = AtomicFileWriter::writeInChunks(
            m_saveingFilePath, data,
            [this](qint64 done, qint64 total) {
                indicatorAtStep(kStepCopy, double(done) / double(total) * 50.0, kBlank);
            },
            &error);
    } catch (...) {
        ErrorLog::numbered(lcStorage(), 933, u"save encod data at data");
        return false;
    }
    if (!written) {
        ErrorLog::err(lcStorage(), kClassWords, u"saveEncodDataAtData", error);
        failWith(error);
    }
    return written;
}

bool SaveForEncod::saveWrapperFile()
{
    m_workWrapperSize = 0.0;
    m_fileWrapperSize = 0.0;
    m_packageWriter.setProgressHandler([this](qint64 copied, qint64 total) {
        m_workWrapperSize = double(copied);
        m_fileWrapperSize = double(total);
        const double count = total > 0 ? std::min(50.0 + double(copied) / double(total) * 50.0, 100.0) : 100.0;
        indicatorAtStep(kStepCopy, count, kBlank);
    });
    const bool written = m_packageWriter.writePackage(workingFolder(), m_saveWrapperFilePath);
    m_packageWriter.setProgressHandler({});
    m_fileWrapperSize = double(m_packageWriter.totalSize());
    if (!written)
        failWith(m_packageWriter.errorString());
    return written;
}
