#pragma once

#include <QString>
#include <QStringView>

// The rules for names of files the program reads and writes inside a folder
// it was given. Names often come from stored data, so only a plain name that
// cannot reach outside the folder passes.
class FileNames
{
public:
    FileNames() = delete;

    // A plain file name: not empty, not "." or "..", no path separator, no
    // control character.
    static bool isSafeName(QStringView name);
    // The hidden name of a temporary kept beside name while it is written:
    // ".NAME.KIND-SUFFIX".
    static QString transientName(const QString &name, QStringView kind, QStringView suffix);
};
