#pragma once

#include <QString>
#include <QVariantMap>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;
class MasterSecurityObject;

// The user's private passwords by title, the current choice and its two
// protection flags. An entry is a map {"password": string, "protectFile":
// bool, "saveItNewly": bool}. An empty list is archived as nothing at all.
// Passwords are only ever held as verifiers (PasswordVerifier): the setters
// turn a plain password into one, so an older record that stored plain
// passwords is converted as it is decoded and the next save writes none.
class PrivatePasswordObject
{
public:
    PrivatePasswordObject();
    ~PrivatePasswordObject();
    PrivatePasswordObject(const PrivatePasswordObject &) = delete;
    PrivatePasswordObject &operator=(const PrivatePasswordObject &) = delete;

    static QString archiveClassName() { return QStringLiteral("PrivatePasswordObject"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const PrivatePasswordObject *other);

    const QVariantMap &privatePasswordListDictionary() const { return m_privatePasswordListDictionary; }
    // Entries' plain passwords are stored as verifiers.
    bool registerPrivatePasswordListDictionary(const QVariantMap &list);
    bool confirmPrivatePasswordListDictionary() const { return !m_privatePasswordListDictionary.isEmpty(); }

    bool privatePasswordWithState() const { return m_privatePasswordWithState; }
    void registerPrivatePasswordWithState(bool state) { m_privatePasswordWithState = state; }

    const QString &privatePasswordTitleString() const { return m_privatePasswordTitleString; }
    bool registerPrivatePasswordTitleString(const QString &value);
    bool confirmPrivatePasswordTitleString() const { return !m_privatePasswordTitleString.isEmpty(); }

    // The current entry's verifier; it goes unchanged into a document's
    // protection record.
    const QString &privatePasswordString() const { return m_privatePasswordString; }
    // A plain password is stored as a new verifier, a verifier as it is.
    bool registerPrivatePasswordString(const QString &value);
    bool confirmPrivatePasswordString() const { return !m_privatePasswordString.isEmpty(); }

    bool protectFileByPasswordWithState() const { return m_protectFileByPasswordWithState; }
    void registerProtectFileByPasswordWithState(bool state) { m_protectFileByPasswordWithState = state; }

    bool saveItNewlyConfirmWithState() const { return m_saveItNewlyConfirmWithState; }
    void registerSaveItNewlyConfirmWithState(bool state) { m_saveItNewlyConfirmWithState = state; }

    MasterSecurityObject *masterSecurityObject();
    const MasterSecurityObject *masterSecurityObject() const;

    // An entry made from the current password and the two flags.
    QVariantMap makingPrivatePasswordObject() const;

    // Makes the title current and loads its entry's password and flags. The
    // title is stored even when it has no usable entry (answer NO).
    bool workPrivatePasswordTitleAtString(const QString &title);
    // The three list operations take the password as the user typed it.
    //
    // Adds an entry under the title with a verifier of the password and the
    // current flags; for the current title that verifier becomes current too.
    // An existing title is left alone: alert 10421 when the password does not
    // verify against it (NO), alert 10422 when it does (the alert's answer).
    bool addPrivatePasswordListAtTitle(const QString &title, const QString &password);
    // Makes a verifier of the password current and rewrites the title's
    // existing entry from the current fields.
    bool changePrivatePasswordAtTitle(const QString &title, const QString &password);
    // Removes the title's entry when the password verifies against it and the
    // user confirms (alert 10423); alerts 10424 / 10425 otherwise (NO).
    bool removePrivatePasswordListAtTitle(const QString &title, const QString &password);
    bool inspectionPrivatePasswordTitleString(const QString &title) const;

private:
    QVariantMap m_privatePasswordListDictionary;
    bool m_privatePasswordWithState = false;
    QString m_privatePasswordTitleString;
    QString m_privatePasswordString;
    bool m_protectFileByPasswordWithState = false;
    bool m_saveItNewlyConfirmWithState = false;
    mutable std::unique_ptr<MasterSecurityObject> m_masterSecurityObject;
};
