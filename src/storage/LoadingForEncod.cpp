#include "LoadingForEncod.h"

#include "AtomicFileWriter.h"
#include "AtomicPackageWriter.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "tasks/ProgressReport.h"

#include <QByteArray>

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Loading For Encod"_s;
static const QString kStepNotification = u"notifIndicatorStepOfLoading"_s;
static const QString kResultNotification = u"notifLoadingWrapperDirectory"_s;
static const QString kLoading = u"Loading"_s;

enum : int { kStepStart = 10101, kStepCopy = 10102, kStepFailed = 10105 };

void LoadingForEncod::run(const QVariantMap &task)
{
    openWorkWrapperFileObject(task);
}

NotificationCenter &LoadingForEncod::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

bool LoadingForEncod::registerUserFileCachesFolderPath(const QString &path)
{
    m_userFileCachesFolderPath = path.isEmpty() ? u""_s : path;
    return !path.isEmpty();
}

void LoadingForEncod::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcStorage(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), kStepNotification, step, count, message);
    });
}

bool LoadingForEncod::openWorkWrapperFileObject(const QVariantMap &task)
{
    return ErrorLog::guarded(lcStorage(), kClassWords, u"openWorkWrapperFileObject", false, [&] {
        indicatorAtStep(kStepStart, 100.0, kLoading);
        const auto failed = [&] {
            indicatorAtStep(kStepFailed, 100.0, kLoading);
            return false;
        };

        if (!registerUserFileCachesFolderPath(task.value(u"folderPath"_s).toString()))
            return failed();
        m_cachesFolderID = task.value(u"cachesFolderID"_s).toInt();
        DirectoryWrapperPtr wrapper = task.value(u"wrapper"_s).value<DirectoryWrapperPtr>();
        if (!wrapper)
            return failed();
        // A save cut off between its two renames leaves only "NAME.bak".
        if (AtomicPackageWriter::restoreLoneBackup(wrapper->path()))
            wrapper = DirectoryWrapper::wrapperAtPath(wrapper->path());
        m_workFileAtWrapper = std::move(wrapper);

        confirmFileAtWrapper();
        indicatorAtStep(kStepCopy, 0.0, kLoading);
        if (!loadFileAtWrapper())
            return failed();

        center().post(kResultNotification, m_cachesFolderID);
        return true;
    });
}

bool LoadingForEncod::confirmFileAtWrapper()
{
    try {
        if (!m_workFileAtWrapper->isDirectory() || !m_workFileAtWrapper->isReadable()) {
            ErrorLog::numbered(lcStorage(), 931, u"confirm file at wrapper");
            m_wrapperSize = 0.0;
            return false;
        }
        m_wrapperSize = double(m_workFileAtWrapper->fileSize());
        return true;
    } catch (...) {
        ErrorLog::numbered(lcStorage(), 931, u"confirm file at wrapper");
        return false;
    }
}

void LoadingForEncod::reportCopied()
{
    const double count = m_wrapperSize > 0.0 ? m_writeFileSize / m_wrapperSize * 100.0 : 100.0;
    indicatorAtStep(kStepCopy, count, kLoading);
}

bool LoadingForEncod::loadFileAtWrapper()
{
    // Every file must arrive: a document opened without one of its lists
    // would drop that list from the package at the next save.
    bool copiedAny = false;
    bool failedAny = false;
    for (const DirectoryWrapper::Member &member : m_workFileAtWrapper->members()) {
        bool loaded = false;
        try {
            loaded = loadMember(member);
            if (!loaded)
                ErrorLog::numbered(lcStorage(), 931, u"load file at wrapper:bool load");
        } catch (...) {
            ErrorLog::numbered(lcStorage(), 931, u"load file at wrapper");
        }
        copiedAny = copiedAny || loaded;
        failedAny = failedAny || !loaded;
    }
    return copiedAny && !failedAny;
}

bool LoadingForEncod::loadMember(const DirectoryWrapper::Member &member)
{
    FileDescriptor source = m_workFileAtWrapper->openMember(member.name);
    if (!source.isValid()) {
        ErrorLog::err(lcStorage(), kClassWords, u"loadFileAtWrapper",
                      u"cannot open \"%1\": %2"_s.arg(member.name, FileDescriptor::lastError()));
        return false;
    }

    const qint64 firstHalf = member.size / 2;
    m_writeFileSize += double(firstHalf);
    reportCopied();

    // The working folder is a cache: atomic, but not worth an fsync.
    AtomicFileWriter target(m_userFileCachesFolderPath + u'/' + member.name);
    target.setSyncToDisk(false);
    bool written = target.open();
    QByteArray buffer(PackageEntries::kChunkSize, Qt::Uninitialized);
    while (written) {
        const qint64 got = source.read(buffer.data(), buffer.size());
        if (got < 0) {
            ErrorLog::err(lcStorage(), kClassWords, u"loadFileAtWrapper",
                          u"cannot read \"%1\": %2"_s.arg(member.name, FileDescriptor::lastError()));
            return false;
        }
        if (got == 0)
            break;
        written = target.write(buffer.constData(), got);
    }
    if (!written || !target.commit()) {
        ErrorLog::err(lcStorage(), kClassWords, u"loadFileAtWrapper", target.errorString());
        return false;
    }

    m_writeFileSize += double(member.size - firstHalf);
    reportCopied();
    return true;
}
