#pragma once

#include "platform/AtomicFileWriter.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The names and listing rules every reader and writer of a package or a
// working folder shares: flat folders of regular files, the platform's own
// entries skipped, and no name from disk that could reach outside a folder.
class PackageEntries
{
public:
    PackageEntries() = delete;

    struct Entry
    {
        QString name;
        qint64 size = 0;
    };

    // Data moves in pieces of this size, with a progress report after each.
    static constexpr qint64 kChunkSize = AtomicFileWriter::kChunkSize;

    static QString rootFileName() { return QStringLiteral("documentSource.pagestyle"); }
    static QString conditionFileName() { return QStringLiteral("conditionOfTheFile.pagestyle"); }
    static QString packageExtension() { return QStringLiteral("pgcd"); }

    // The most bytes a package entry of this name may hold; 0 for a name a
    // package never holds (which is then never copied out of one).
    static qint64 documentEntryCap(QStringView name);

    // Files the desktop platform may place in a package.
    static bool isIgnoredName(QStringView name);
    // See FileNames.
    static bool isSafeName(QStringView name);
    // The hidden temporaries of atomic file and package writes, which a crash
    // may leave behind; never part of a package.
    static bool isTransientName(QStringView name);
    static QString transientName(const QString &name, QStringView kind, QStringView suffix);

    // The folder's immediate regular files in name order, without ignored and
    // transient entries; sub-folders, symbolic links and other non-files are
    // skipped, unsafe names are skipped and logged. nullopt (and error) when
    // the folder cannot be listed.
    static std::optional<QList<Entry>> regularFiles(const QString &folderPath, QString *error = nullptr);
    static std::optional<QList<Entry>> regularFilesAt(int directoryFd, QString *error = nullptr);
    static qint64 totalSize(const QList<Entry> &entries);
};
