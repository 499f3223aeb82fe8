#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The advanced preferences: whether the working folders live in a folder the
// user chose, and its path (archived only when set).
class AdvancedObject
{
public:
    AdvancedObject();

    static QString archiveClassName() { return QStringLiteral("AdvancedObject"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const AdvancedObject *other);

    bool userFileCachesFolderWithState() const { return m_userFileCachesFolderWithState; }
    void registerUserFileCachesFolderWithState(bool state) { m_userFileCachesFolderWithState = state; }

    const QString &userFileCachesFolderPathString() const { return m_userFileCachesFolderPathString; }
    bool registerUserFileCachesFolderPathString(const QString &value);
    bool confirmUserFileCachesFolderPathString() const { return !m_userFileCachesFolderPathString.isEmpty(); }

    // How long one run of a list's option scripts may take in all, URL reads
    // included; stored only when changed from the default.
    static constexpr qint32 kDefaultScriptRunSeconds = 120;
    qint32 scriptRunSeconds() const { return m_scriptRunSeconds; }
    // Values below 1 second or above a day are refused and keep the current one.
    bool registerScriptRunSeconds(qint32 seconds);

private:
    bool m_userFileCachesFolderWithState = false;
    QString m_userFileCachesFolderPathString;
    qint32 m_scriptRunSeconds = kDefaultScriptRunSeconds;
};
