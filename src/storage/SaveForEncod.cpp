#include "SaveForEncod.h"

#include "AtomicFileWriter.h"
#include "PackageEntries.h"
#include "document/DocumentSource.h"
#include "platform/ArchivableSnapshot.h"
#include "platform/ErrorLog.h"
#include "platform/ArchiveCompression.h"
#include "platform/KeyedArchiver.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "tasks/ProgressReport.h"
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Save For Encod"_s;
static const QString kBlank = u" "_s;

enum : int { kStepStart = 93301, kStepRoot = 93302, kStepCopy = 93303, kStepDone = 93304, kStepFailed = 93305 };

static bool registerText(QString &field, const QString &value)
{
    field = value.isEmpty() ? u""_s : value;
    return !value.isEmpty();
}

void SaveForEncod::run(const QVariantMap &task)
{
    saveWorkWrapperFileObject(task);
}

NotificationCenter &SaveForEncod::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

bool SaveForEncod::registerUserFileCachesFolderPath(const QString &path)
{
    return registerText(m_userFileCachesFolderPath, path);
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

void SaveForEncod::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcStorage(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), NotificationName::notifIndicatorStepOfSave, step, count, message);
    });
}

bool SaveForEncod::saveWorkWrapperFileObject(const QVariantMap &task)
{
    bool saved = false;
    m_failureReason.clear();
    try {
        saved = saveSteps(task);
    } catch (...) {
        ErrorLog::numbered(lcStorage(), 933, u"save work wrapper file object");
        saved = false;
    }
    // The reason rides on the failure step, for front ends that print it.
    if (!saved)
        indicatorAtStep(kStepFailed, 100.0, m_failureReason);
    return saved;
}

bool SaveForEncod::saveSteps(const QVariantMap &task)
{
    if (task.isEmpty())
        return false;
    m_cachesFolderID = task.value(RequestKey::cachesFolderID).toInt();
    indicatorAtStep(kStepStart, 100.0, QString());

    const bool folder = registerUserFileCachesFolderPath(task.value(u"folderPath"_s).toString());
    const bool package = registerSaveWrapperFilePath(task.value(u"filePath"_s).toString());
    if (!folder || !package)
        return false;

    registerSaveingFileTitle(PackageEntries::rootFileName());
    registerSaveingFilePath(m_userFileCachesFolderPath + u'/' + m_saveingFileTitle);
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

    center().post(NotificationName::notifSaveWrapperDirectory, m_cachesFolderID);
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
        m_failureReason = error;
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
    const bool written = m_packageWriter.writePackage(m_userFileCachesFolderPath, m_saveWrapperFilePath);
    m_packageWriter.setProgressHandler({});
    m_fileWrapperSize = double(m_packageWriter.totalSize());
    if (!written)
        m_failureReason = m_packageWriter.errorString();
    return written;
}
