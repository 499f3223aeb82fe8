#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The title and password that guard the advanced settings. Stored protection
// is on only together with a non-empty title and password, so a stored record
// never locks the pane with a key nobody can type. The password is held as a
// verifier (PasswordVerifier); a plain one, as older records stored it, is
// converted by the setter.
class MasterSecurityObject
{
public:
    MasterSecurityObject();

    static QString archiveClassName() { return QStringLiteral("MasterSecurityObject"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const MasterSecurityObject *other);

    bool protectAdvancedByPasswordWithState() const { return m_protectAdvancedByPasswordWithState; }
    void registerProtectAdvancedByPasswordWithState(bool state) { m_protectAdvancedByPasswordWithState = state; }

    const QString &privatePasswordTitleStringForAdvanced() const { return m_privatePasswordTitleStringForAdvanced; }
    bool registerPrivatePasswordTitleStringForAdvanced(const QString &value);
    bool confirmPrivatePasswordTitleStringForAdvanced() const { return !m_privatePasswordTitleStringForAdvanced.isEmpty(); }

    const QString &privatePasswordStringForAdvanced() const { return m_privatePasswordStringForAdvanced; }
    // A plain password is stored as a new verifier, a verifier as it is.
    bool registerPrivatePasswordStringForAdvanced(const QString &value);
    bool confirmPrivatePasswordStringForAdvanced() const { return !m_privatePasswordStringForAdvanced.isEmpty(); }

private:
    bool m_protectAdvancedByPasswordWithState = false;
    QString m_privatePasswordTitleStringForAdvanced;
    QString m_privatePasswordStringForAdvanced;
};
