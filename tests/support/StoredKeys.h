#pragma once

#include "platform/ArchiveDecoder.h"

#include <QList>
#include <QString>

#include <utility>

// Decodes an archived T without interpreting it: the keys it wrote, in order,
// with their kinds, and a view on its fields for closer looks.
template<class T>
struct StoredKeys
{
    static QString archiveClassName() { return T::archiveClassName(); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        for (const QString &key : coder.allKeys())
            kinds.append({key, coder.kindForKey(key)});
        fields = coder;
        return true;
    }
    QList<std::pair<QString, ArchiveKind>> kinds;
    ArchiveDecoder fields;
};
