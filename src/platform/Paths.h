#pragma once

#include <QString>

// The places on disk the application uses, following the XDG base
// directories on Linux (QStandardPaths honours XDG_CACHE_HOME and friends).
class Paths
{
public:
    // The application's identifier; also the preferences domain name.
    static QString applicationIdentifier();
    // Folder that holds the caches folder tree: <XDG cache>/rowsmith/
    static QString defaultRootDomainPath();
    // Folder that holds the preferences file: <XDG config>/rowsmith/
    static QString preferencesFolder();
    // The preferences file of a domain: <preferencesFolder>/<domain>.conf
    static QString preferencesFilePath(const QString &domainName);
    // "~" or "~/..." becomes the home folder; anything else is returned as is.
    static QString expandTilde(const QString &path);
};
