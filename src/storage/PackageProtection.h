#pragma once

#include <QString>
#include <QVariantMap>

// Decides whether a package is locked from every place that records it: the
// protection file and the root's own copy of the record. A record that is
// missing, emptied or damaged never unlocks: any readable record saying
// "protected" wins, so deleting or editing one file opens nothing.
class PackageProtection
{
public:
    PackageProtection() = delete;

    // {"protectFileByPasswordWithState", "passwordTitle", "password"} to ask
    // the password against; the unprotected dictionary when no record says
    // protected.
    static QVariantMap recordOfPackage(const QString &packagePath);
    static bool isProtected(const QVariantMap &record);
};
