#include "RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

static const QString kKey = QStringLiteral("recentDocuments");

QStringList RecentFiles::paths() const
{
    return QSettings().value(kKey).toStringList().mid(0, kLimit);
}

void RecentFiles::add(const QString &path)
{
    if (path.isEmpty())
        return;
    QSettings().setValue(kKey, withAdded(paths(), path));
}

void RecentFiles::prune()
{
    QStringList kept;
    for (const QString &path : paths())
        if (QFileInfo::exists(path))
            kept.append(path);
    QSettings().setValue(kKey, kept);
}

QStringList RecentFiles::withAdded(const QStringList &list, const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList result{clean};
    for (const QString &entry : list)
        if (QDir::cleanPath(entry) != clean && result.size() < kLimit)
            result.append(entry);
    return result;
}
