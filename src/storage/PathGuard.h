#pragma once

#include <QString>

// Where a path really leads once links are resolved, for refusing writes
// into a folder that is being read (an open package) however the path is
// spelled.
class PathGuard
{
public:
    PathGuard() = delete;

    // The path with every link of its existing part resolved; the part that
    // does not exist yet is appended as given.
    static QString resolved(const QString &path);
    // Whether path is folder itself or lies anywhere inside it; false for an
    // empty folder.
    static bool isInside(const QString &path, const QString &folder);
};
