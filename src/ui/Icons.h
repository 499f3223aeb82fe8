#pragma once

#include <QIcon>
#include <QString>

// The toolbar's and panels' images by the names the document model uses.
// System images come from the desktop's icon theme by their freedesktop
// names; our own drawings stand in where the theme has none.
class Icons
{
public:
    static QIcon named(const QString &imageName);
    // The freedesktop theme name for a system image; empty for our own.
    static QString themeName(const QString &imageName);
};
