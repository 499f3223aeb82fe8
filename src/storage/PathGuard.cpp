#include "PathGuard.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString PathGuard::resolved(const QString &path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QStringList missing;
    // A dangling link resolves to nothing; it is kept as a name, since a
    // write replaces the link rather than following it.
    while (!QFileInfo::exists(existing)) {
        const QFileInfo info(existing);
        if (info.fileName().isEmpty())
            break;
        missing.prepend(info.fileName());
        existing = info.absolutePath();
    }
    QString result = QFileInfo(existing).canonicalFilePath();
    if (result.isEmpty())
        result = existing;
    for (const QString &name : std::as_const(missing))
        result = QDir(result).filePath(name);
    return QDir::cleanPath(result);
}

bool PathGuard::isInside(const QString &path, const QString &folder)
{
    if (folder.isEmpty() || path.isEmpty())
        return false;
    const QString target = resolved(path);
    const QString root = resolved(folder);
    return target == root || target.startsWith(root + QLatin1Char('/'));
}
