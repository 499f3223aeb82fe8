#pragma once

#include <QString>

#include <functional>

// Replaces a package directory with a copy of a working folder's regular
// files so that the package path always holds either the whole old package
// or the whole new one: the copy is built and synced in a hidden sibling
// folder, then swapped in with one rename. A failed save leaves the old
// package as it was.
class AtomicPackageWriter
{
public:
    // The steps in the order they run; a hook sees each before it happens.
    enum class Step {
        CreateTemporary,
        CopyFile,      // once per file, before it is opened
        WriteChunk,    // once per chunk, before it is written
        SyncFile,      // once per file
        SetPermissions,
        SyncTemporary,
        Exchange,      // only when there is an old package
        MoveOldAside,  // only where the exchange is refused: NAME -> NAME.bak
        MoveNewIntoPlace,
        SyncParent,
        RemoveOld,
    };
    // Answers true to make that step fail as if the system had refused it.
    using FailureHook = std::function<bool(Step)>;
    using ProgressHandler = std::function<void(qint64 copied, qint64 total)>;

    void setFailureHook(FailureHook hook) { m_failureHook = std::move(hook); }
    void setProgressHandler(ProgressHandler handler) { m_progress = std::move(handler); }
    // Off: behave as on a file system that refuses the one-step exchange.
    void setExchangeAllowed(bool allowed) { m_exchangeAllowed = allowed; }

    // Total bytes of the working folder's files, measured by the last write.
    qint64 totalSize() const { return m_totalSize; }
    QString errorString() const { return m_error; }

    bool writePackage(const QString &workingFolderPath, const QString &packagePath);

    static QString backupPath(const QString &packagePath) { return packagePath + QStringLiteral(".bak"); }
    // Removes the hidden ".NAME.saving-*" folders beside a package that no
    // running save holds (a killed save leaves a whole copy there); answers
    // how many went.
    static int removeAbandonedTemporaries(const QString &folderPath, const QString &packageName);
    // Puts back "NAME.bak" when a save was cut off between its two renames
    // (no NAME, a NAME.bak folder); true when it did so.
    static bool restoreLoneBackup(const QString &packagePath);

private:
    struct Run;
    // False (with errno EIO) when the hook makes the step fail.
    bool step(Step which) const;
    bool copyFiles(Run &run);
    bool swapIntoPlace(Run &run);
    bool fail(Run &run, const QString &what, bool withErrno = true);

    FailureHook m_failureHook;
    ProgressHandler m_progress;
    bool m_exchangeAllowed = true;
    qint64 m_totalSize = 0;
    QString m_error;
};
