#include "PackageEntries.h"

#include "platform/FileDescriptor.h"
#include "list/ListItemsSource.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/ErrorLog.h"
#include "platform/FileNames.h"
#include "platform/LogCategories.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// A refused name as a log can show it: bytes outside printable ASCII escaped.
static QString printableName(QByteArrayView bytes)
{
    QString text;
    for (const char byte : bytes) {
        const auto u = static_cast<unsigned char>(byte);
        if (u < 0x20 || u >= 0x7f || u == '\\')
            text += u"\\x%1"_s.arg(u, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(byte);
    }
    return text;
}

qint64 PackageEntries::documentEntryCap(QStringView name)
{
    // The root and the protection record hold directories and a verifier,
    // never rows; the caps are far above any real one.
    if (name == rootFileName())
        return qint64(64) << 20;
    if (name == conditionFileName())
        return qint64(1) << 20;
    static constexpr QStringView kListSuffix = u".listItems";
    if (name.endsWith(kListSuffix)
        && ListItemsSource::isListItemIDString(name.chopped(kListSuffix.size()).toString()))
        return KeyedUnarchiver::Limits().maxBytes;
    return 0;
}

bool PackageEntries::isIgnoredName(QStringView name)
{
    return name == u".typeAttributes.dict" || name == u".DS_Store";
}

bool PackageEntries::isSafeName(QStringView name)
{
    return FileNames::isSafeName(name);
}

QString PackageEntries::transientName(const QString &name, QStringView kind, QStringView suffix)
{
    return FileNames::transientName(name, kind, suffix);
}

bool PackageEntries::isTransientName(QStringView name)
{
    static const QRegularExpression pattern(u"^\\..+\\.(writing|saving)-[A-Za-z0-9]{6}$"_s);
    return pattern.match(name).hasMatch();
}

std::optional<QList<PackageEntries::Entry>> PackageEntries::regularFiles(const QString &folderPath, QString *error)
{
    const FileDescriptor folder = FileDescriptor::openDirectory(folderPath);
    if (!folder.isValid()) {
        if (error)
            *error = FileDescriptor::lastError();
        return std::nullopt;
    }
    return regularFilesAt(folder.get(), error);
}

std::optional<QList<PackageEntries::Entry>> PackageEntries::regularFilesAt(int directoryFd, QString *error)
{
    // fdopendir takes over the descriptor it is given, so it gets a copy.
    const int listingFd = ::fcntl(directoryFd, F_DUPFD_CLOEXEC, 0);
    DIR *directory = listingFd >= 0 ? ::fdopendir(listingFd) : nullptr;
    if (!directory) {
        if (error)
            *error = FileDescriptor::lastError();
        if (listingFd >= 0)
            ::close(listingFd);
        return std::nullopt;
    }
    ::rewinddir(directory);

    QList<Entry> entries;
    bool failed = false;
    for (;;) {
        errno = 0;
        const dirent *item = ::readdir(directory);
        if (!item) {
            if (errno != 0) {
                failed = true;
                if (error)
                    *error = FileDescriptor::lastError();
            }
            break;
        }
        const QByteArrayView bytes(item->d_name);
        if (bytes == "." || bytes == "..")
            continue;

        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString name = decoder.decode(bytes);
        if (decoder.hasError() || !isSafeName(name)) {
            ErrorLog::err(lcStorage(), u"Package Entries", u"regularFiles",
                          u"refused file name \"%1\""_s.arg(printableName(bytes)));
            continue;
        }
        if (isIgnoredName(name) || isTransientName(name))
            continue;
        struct stat status;
        if (::fstatat(directoryFd, item->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since it was listed
        if (!S_ISREG(status.st_mode))
            continue;
        entries.append({name, qint64(status.st_size)});
    }
    ::closedir(directory);
    if (failed)
        return std::nullopt;

    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return entries;
}

qint64 PackageEntries::totalSize(const QList<Entry> &entries)
{
    qint64 total = 0;
    for (const Entry &entry : entries)
        total += entry.size;
    return total;
}
