#include "AtomicPackageWriter.h"

#include "platform/FileDescriptor.h"
#include "PackageEntries.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Atomic Package Writer"_s;

namespace {

int exchangePaths(const QByteArray &first, const QByteArray &second)
{
#ifdef RENAME_EXCHANGE
    return ::renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE);
#else
    return int(::syscall(SYS_renameat2, AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), 1u << 1));
#endif
}

// Fails with EEXIST when anything took the name meanwhile.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef RENAME_NOREPLACE
    return ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
#else
    return int(::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 1u << 0));
#endif
}

bool renamePath(const QByteArray &from, const QByteArray &to)
{
    return ::rename(from.constData(), to.constData()) == 0;
}

bool exists(const QByteArray &path)
{
    struct stat status;
    return ::lstat(path.constData(), &status) == 0;
}

// Removes a file, a link or a whole folder; links are removed, never followed.
bool removeTree(const QByteArray &path)
{
    struct stat status;
    if (::lstat(path.constData(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(status.st_mode))
        return ::unlink(path.constData()) == 0;
    const auto removeOne = [](const char *entry, const struct stat *, int, FTW *) {
        return ::remove(entry) == 0 ? 0 : -1;
    };
    return ::nftw(path.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

// A temporary folder is claimed by its saver with a flock on the folder
// itself, which the kernel drops when the saver dies; an unclaimed one is
// what a killed save left.
bool claimFolder(int folderFd)
{
    return ::flock(folderFd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

struct AtomicPackageWriter::Run
{
    QByteArray packagePath;
    QByteArray temporaryPath; // empty until made, and again once gone
    QByteArray backupPath;
    QString name;
    FileDescriptor workingFolder;
    FileDescriptor temporary;
    FileDescriptor claim; // holds the temporary's flock until the end
    FileDescriptor parent;
    QList<PackageEntries::Entry> entries;
    mode_t folderMode = 0755;
    bool hadOld = false;
    // After an exchange the temporary path holds the old package.
    bool temporaryHoldsNew = true;
};

bool AtomicPackageWriter::step(Step which) const
{
    if (!m_failureHook || !m_failureHook(which))
        return true;
    errno = EIO;
    return false;
}

bool AtomicPackageWriter::fail(Run &run, const QString &what, bool withErrno)
{
    m_error = withErrno ? u"%1: %2"_s.arg(what, FileDescriptor::lastError()) : what;
    ErrorLog::err(lcStorage(), kClassWords, u"writePackage", m_error);
    run.temporary.reset();
    if (!run.temporaryPath.isEmpty() && run.temporaryHoldsNew)
        removeTree(run.temporaryPath);
    return false;
}

bool AtomicPackageWriter::writePackage(const QString &workingFolderPath, const QString &packagePath)
{
    m_error.clear();
    m_totalSize = 0;
    Run run;
    if (workingFolderPath.isEmpty() || packagePath.isEmpty())
        return fail(run, u"no working folder or no package path"_s, false);

    const QFileInfo package(QDir::cleanPath(QFileInfo(packagePath).absoluteFilePath()));
    run.name = package.fileName();
    if (!PackageEntries::isSafeName(run.name))
        return fail(run, u"refused package name \"%1\""_s.arg(packagePath), false);
    run.packagePath = QFile::encodeName(package.absoluteFilePath());
    run.backupPath = QFile::encodeName(backupPath(package.absoluteFilePath()));

    run.workingFolder = FileDescriptor::openDirectory(workingFolderPath);
    struct stat status;
    if (!run.workingFolder.isValid() || ::fstat(run.workingFolder.get(), &status) != 0)
        return fail(run, u"cannot open the working folder \"%1\""_s.arg(workingFolderPath));
    run.folderMode = status.st_mode & 07777;
    QString listingError;
    auto entries = PackageEntries::regularFilesAt(run.workingFolder.get(), &listingError);
    if (!entries)
        return fail(run, u"cannot list \"%1\": %2"_s.arg(workingFolderPath, listingError), false);
    run.entries = std::move(*entries);
    m_totalSize = PackageEntries::totalSize(run.entries);

    const QString parentPath = package.absolutePath();
    run.parent = FileDescriptor::openDirectory(parentPath);
    if (!run.parent.isValid())
        return fail(run, u"cannot open the folder \"%1\""_s.arg(parentPath));
    run.hadOld = exists(run.packagePath);
    removeAbandonedTemporaries(parentPath, run.name);

    if (!step(Step::CreateTemporary))
        return fail(run, u"cannot make a folder beside \"%1\""_s.arg(packagePath));
    QByteArray pattern = QFile::encodeName(
        parentPath + u'/' + PackageEntries::transientName(run.name, u"saving", u"XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return fail(run, u"cannot make a folder beside \"%1\""_s.arg(packagePath));
    run.temporaryPath = pattern;
    run.temporary = FileDescriptor::openDirectory(QFile::decodeName(pattern));
    if (!run.temporary.isValid())
        return fail(run, u"cannot open the new package folder"_s);
    run.claim.reset(::fcntl(run.temporary.get(), F_DUPFD_CLOEXEC, 0));
    if (!run.claim.isValid() || !claimFolder(run.claim.get()))
        return fail(run, u"cannot lock the new package folder"_s);

    if (!copyFiles(run))
        return false;
    if (!step(Step::SetPermissions) || ::fchmod(run.temporary.get(), run.folderMode) != 0)
        return fail(run, u"cannot set the permissions of the new package"_s);
    if (!step(Step::SyncTemporary) || !run.temporary.sync())
        return fail(run, u"cannot sync the new package"_s);
    run.temporary.reset();
    return swapIntoPlace(run);
}

bool AtomicPackageWriter::copyFiles(Run &run)
{
    QByteArray buffer(PackageEntries::kChunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    for (const PackageEntries::Entry &entry : std::as_const(run.entries)) {
        if (!step(Step::CopyFile))
            return fail(run, u"cannot copy \"%1\""_s.arg(entry.name));
        FileDescriptor source = FileDescriptor::openRegularFileAt(run.workingFolder.get(), entry.name);
        if (!source.isValid())
            return fail(run, u"cannot open \"%1\""_s.arg(entry.name));
        const QByteArray encodedName = QFile::encodeName(entry.name);
        FileDescriptor target(::openat(run.temporary.get(), encodedName.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!target.isValid())
            return fail(run, u"cannot create \"%1\" in the new package"_s.arg(entry.name));
        for (;;) {
            const qint64 got = source.read(buffer.data(), buffer.size());
            if (got < 0)
                return fail(run, u"cannot read \"%1\""_s.arg(entry.name));
            if (got == 0)
                break;
            if (!step(Step::WriteChunk) || !target.writeAll(buffer.constData(), got))
                return fail(run, u"cannot write \"%1\" into the new package"_s.arg(entry.name));
            copied += got;
            if (m_progress)
                m_progress(copied, m_totalSize);
        }
        if (!step(Step::SyncFile) || !target.sync())
            return fail(run, u"cannot sync \"%1\" in the new package"_s.arg(entry.name));
        if (!target.close())
            return fail(run, u"cannot close \"%1\" in the new package"_s.arg(entry.name));
    }
    return true;
}

bool AtomicPackageWriter::swapIntoPlace(Run &run)
{
    if (run.hadOld && m_exchangeAllowed) {
        if (!step(Step::Exchange))
            return fail(run, u"cannot swap in the new package"_s);
        if (exchangePaths(run.temporaryPath, run.packagePath) == 0) {
            run.temporaryHoldsNew = false;
            if (!step(Step::SyncParent) || !run.parent.sync()) {
                const int syncError = errno;
                if (exchangePaths(run.temporaryPath, run.packagePath) == 0)
                    run.temporaryHoldsNew = true;
                errno = syncError;
                return fail(run, u"cannot sync the package's folder"_s);
            }
            if (!step(Step::RemoveOld) || !removeTree(run.temporaryPath))
                ErrorLog::err(lcStorage(), kClassWords, u"writePackage",
                              u"the old package stays at \"%1\": %2"_s.arg(QFile::decodeName(run.temporaryPath),
                                                                           FileDescriptor::lastError()));
            return true;
        }
        // Only a file system without the exchange goes on the two-rename way.
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return fail(run, u"cannot swap in the new package"_s);
    }

    if (run.hadOld) {
        // A NAME.bak beside a NAME is an older copy left by a cut-off save.
        if (exists(run.backupPath) && !removeTree(run.backupPath))
            return fail(run, u"cannot remove the old \"%1\""_s.arg(QFile::decodeName(run.backupPath)));
        if (!step(Step::MoveOldAside) || !renamePath(run.packagePath, run.backupPath))
            return fail(run, u"cannot move the old package aside"_s);
        if (!step(Step::MoveNewIntoPlace) || !renamePath(run.temporaryPath, run.packagePath)) {
            const int moveError = errno;
            renamePath(run.backupPath, run.packagePath);
            errno = moveError;
            return fail(run, u"cannot move the new package into place"_s);
        }
        if (!step(Step::SyncParent) || !run.parent.sync()) {
            const int syncError = errno;
            if (renamePath(run.packagePath, run.temporaryPath))
                renamePath(run.backupPath, run.packagePath);
            errno = syncError;
            return fail(run, u"cannot sync the package's folder"_s);
        }
        run.temporaryPath.clear();
        if (!step(Step::RemoveOld) || !removeTree(run.backupPath))
            ErrorLog::err(lcStorage(), kClassWords, u"writePackage",
                          u"the old package stays at \"%1\": %2"_s.arg(QFile::decodeName(run.backupPath),
                                                                       FileDescriptor::lastError()));
        return true;
    }

    if (!step(Step::MoveNewIntoPlace))
        return fail(run, u"cannot move the new package into place"_s);
    // A new package never replaces one that appeared while it was built.
    int moved = renameNoReplace(run.temporaryPath, run.packagePath);
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
        moved = exists(run.packagePath) ? (errno = EEXIST, -1) : ::rename(run.temporaryPath, run.packagePath);
    if (moved != 0 && errno == EEXIST)
        return fail(run, u"%1 exists already: another program made it meanwhile"_s.arg(QFile::decodeName(run.packagePath)), false);
    if (moved != 0)
        return fail(run, u"cannot move the new package into place"_s);
    if (!step(Step::SyncParent) || !run.parent.sync()) {
        const int syncError = errno;
        if (!renamePath(run.packagePath, run.temporaryPath))
            run.temporaryPath.clear();
        errno = syncError;
        return fail(run, u"cannot sync the package's folder"_s);
    }
    return true;
}

int AtomicPackageWriter::removeAbandonedTemporaries(const QString &folderPath, const QString &packageName)
{
    const FileDescriptor folder = FileDescriptor::openDirectory(folderPath);
    const int listingFd = folder.isValid() ? ::fcntl(folder.get(), F_DUPFD_CLOEXEC, 0) : -1;
    DIR *directory = listingFd >= 0 ? ::fdopendir(listingFd) : nullptr;
    if (!directory) {
        if (listingFd >= 0)
            ::close(listingFd);
        return 0;
    }
    const QByteArray prefix = QFile::encodeName(PackageEntries::transientName(packageName, u"saving", u""));
    QList<QByteArray> abandoned;
    while (const dirent *item = ::readdir(directory)) {
        const QByteArray name(item->d_name);
        if (!name.startsWith(prefix) || !PackageEntries::isTransientName(QFile::decodeName(name)))
            continue;
        FileDescriptor candidate(::openat(folder.get(), item->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (candidate.isValid() && claimFolder(candidate.get()))
            abandoned.append(name);
    }
    ::closedir(directory);
    int removed = 0;
    for (const QByteArray &name : std::as_const(abandoned)) {
        if (removeTree(QFile::encodeName(folderPath) + '/' + name))
            ++removed;
        else
            ErrorLog::err(lcStorage(), kClassWords, u"removeAbandonedTemporaries",
                          u"cannot remove \"%1\": %2"_s.arg(QFile::decodeName(name), FileDescriptor::lastError()));
    }
    return removed;
}

bool AtomicPackageWriter::restoreLoneBackup(const QString &packagePath)
{
    if (packagePath.isEmpty())
        return false;
    const QByteArray package = QFile::encodeName(packagePath);
    const QByteArray backup = QFile::encodeName(backupPath(packagePath));
    struct stat status;
    if (exists(package) || ::lstat(backup.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    if (!renamePath(backup, package)) {
        ErrorLog::err(lcStorage(), kClassWords, u"restoreLoneBackup", FileDescriptor::lastError());
        return false;
    }
    FileDescriptor parent = FileDescriptor::openDirectory(QFileInfo(packagePath).absolutePath());
    if (parent.isValid())
        parent.sync();
    return true;
}
