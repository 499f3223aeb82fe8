#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The open and save panels. They are Qt's own file dialogs on every
// platform: a package is a folder, and only these let a user pick one in a
// single step (selecting "shop.pgcd" and pressing Open opens it instead of
// descending into it). Tests answer them by typing into their name field.
class FilePanels
{
public:
    // Packages, CSV and list files; false when cancelled.
    static bool runOpenPanel(QWidget *parent, const QStringList &extensions, QString *path);
    // A name for a new package; false when cancelled.
    static bool runSavePanel(QWidget *parent, const QString &proposedName, QString *path);
    // The kind a path is opened as.
    enum class Kind { Package, Importable, Other };
    static Kind kindOf(const QString &path);
};
