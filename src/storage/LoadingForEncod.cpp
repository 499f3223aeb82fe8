#include "LoadingForEncod.h"

#include "platform/AtomicFileWriter.h"
#include "AtomicPackageWriter.h"
#include "document/DocumentSource.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"

#include <QByteArray>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Loading For Encod"_s;
static const QString kLoading = u"Loading"_s;

enum : int { kStepStart = 10101, kStepCopy = 10102, kStepFailed = 10105 };

LoadingForEncod::LoadingForEncod()
    : StorageTaskWorker(kClassWords, NotificationName::notifIndicatorStepOfLoading)
{
}

void LoadingForEncod::run(const QVariantMap &task)
{
    openWorkWrapperFileObject(task);
}

bool LoadingForEncod::openWorkWrapperFileObject(const QVariantMap &task)
{
    return ErrorLog::guarded(lcStorage(), kClassWords, u"openWorkWrapperFileObject", false, [&] {
        indicatorAtStep(kStepStart, 100.0, kLoading);
        clearFailureReason();
        const auto failed = [&] {
            if (failureReason().isEmpty())
                failWith(u"the package cannot be read"_s);
            indicatorAtStep(kStepFailed, 100.0, failureReason());
            return false;
        };

        if (!registerUserFileCachesFolderPath(task.value(u"folderPath"_s).toString()))
            return failed();
        registerCachesFolderID(task);
        DirectoryWrapperPtr wrapper = task.value(RequestKey::wrapper).value<DirectoryWrapperPtr>();
        if (!wrapper)
            return failed();
        // A save cut off between its two renames leaves only "NAME.bak".
        if (AtomicPackageWriter::restoreLoneBackup(wrapper->path()))
            wrapper = DirectoryWrapper::wrapperAtPath(wrapper->path());
        m_workFileAtWrapper = std::move(wrapper);

        if (!confirmFileAtWrapper())
            return failed();
        indicatorAtStep(kStepCopy, 0.0, kLoading);
        if (!loadFileAtWrapper() || !confirmRootIsReadable())
            return failed();

        center().post(NotificationName::notifLoadingWrapperDirectory, cachesFolderID());
        return true;
    });
}

bool LoadingForEncod::confirmFileAtWrapper()
{
    try {
        m_wrapperSize = 0.0;
        if (!m_workFileAtWrapper->isDirectory() || !m_workFileAtWrapper->isReadable())
            return failWith(u"%1 is not a readable folder"_s.arg(m_workFileAtWrapper->path()));
        // Any folder would otherwise open as an empty document.
        if (!m_workFileAtWrapper->hasMember(PackageEntries::rootFileName()))
            return failWith(u"%1 is not a document: it holds no %2"_s.arg(m_workFileAtWrapper->path(),
                                                                          PackageEntries::rootFileName()));
        for (const DirectoryWrapper::Member &member : m_workFileAtWrapper->members()) {
            if (PackageEntries::documentEntryCap(member.name) > 0)
                m_wrapperSize += double(member.size);
        }
        return true;
    } catch (...) {
        ErrorLog::numbered(lcStorage(), 931, u"confirm file at wrapper");
        return false;
    }
}

bool LoadingForEncod::confirmRootIsReadable()
{
    const QString name = PackageEntries::rootFileName();
    QByteArray bytes;
    QString error;
    FileDescriptor file = FileDescriptor::openRegularFile(workingFolder() + u'/' + name, nullptr, &error);
    if (!file.isValid() || !file.readAtMost(PackageEntries::documentEntryCap(name), &bytes, &error))
        return failWith(u"%1 cannot be read: %2"_s.arg(name, error));
    if (bytes.isEmpty())
        return failWith(u"%1 is empty"_s.arg(name));
    if (!KeyedUnarchiver::unarchivedObject<DocumentSource>(bytes, DocumentSource::rootArchiveKey(), &error))
        return failWith(u"%1 cannot be read: %2"_s.arg(name, error));
    return true;
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
        // Anything else in the folder is no part of the document.
        const qint64 cap = PackageEntries::documentEntryCap(member.name);
        if (cap == 0)
            continue;
        if (member.size > cap)
            return failWith(u"%1 is larger than %2 bytes"_s.arg(member.name).arg(cap));
        bool loaded = false;
        try {
            loaded = loadMember(member, cap);
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

bool LoadingForEncod::loadMember(const DirectoryWrapper::Member &member, qint64 cap)
{
    FileDescriptor source = m_workFileAtWrapper->openMember(member.name);
    if (!source.isValid())
        return failWith(u"%1 cannot be opened: %2"_s.arg(member.name, FileDescriptor::lastError()));

    const qint64 firstHalf = member.size / 2;
    m_writeFileSize += double(firstHalf);
    reportCopied();

    // The working folder is a cache: atomic, but not worth an fsync.
    AtomicFileWriter target(workingFolder() + u'/' + member.name);
    target.setSyncToDisk(false);
    bool written = target.open();
    QByteArray buffer(PackageEntries::kChunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    while (written) {
        const qint64 got = source.read(buffer.data(), buffer.size());
        if (got < 0)
            return failWith(u"%1 cannot be read: %2"_s.arg(member.name, FileDescriptor::lastError()));
        if (got == 0)
            break;
        // The listing's size is no bound: the file may grow while it is copied.
        copied += got;
        if (copied > cap)
            return failWith(u"%1 is larger than %2 bytes"_s.arg(member.name).arg(cap));
        written = target.write(buffer.constData(), got);
    }
    if (!written || !target.commit())
        return failWith(target.errorString());

    m_writeFileSize += double(member.size - firstHalf);
    reportCopied();
    return true;
}
