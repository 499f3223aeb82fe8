#include "Paths.h"

#include <QDir>
#include <QStandardPaths>

QString Paths::applicationIdentifier()
{
    return QStringLiteral("org.rowsmith.Rowsmith");
}

QString Paths::defaultRootDomainPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/rowsmith/");
}

QString Paths::preferencesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/rowsmith/");
}

QString Paths::preferencesFilePath(const QString &domainName)
{
    return preferencesFolder() + domainName + QStringLiteral(".conf");
}

QString Paths::expandTilde(const QString &path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}
