#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The unlock panel's model, used twice: the values a requester expects
// (the password as a verifier, or a plain one from an older record) and what
// the user has entered so far.
class PasswordSource
{
public:
    // What is being unlocked.
    static constexpr qint32 kOpenFileState = 101;
    static constexpr qint32 kAdvancedState = 110;
    static constexpr qint32 kAccountOptionState = 114;
    static constexpr qint32 kLibraryCodeState = 265;

    PasswordSource();

    static QString archiveClassName() { return QStringLiteral("PasswordSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Clears all but the file path.
    void initializationUserObject();

    qint32 protectedState() const { return m_protectedState; }
    void registerProtectedState(qint32 state) { m_protectedState = state; }

    bool stateOfTheKey() const { return m_stateOfTheKey; }
    void registerStateOfTheKey(bool state) { m_stateOfTheKey = state; }

    const QString &passwordTitle() const { return m_passwordTitle; }
    bool registerPasswordTitle(const QString &value);
    bool confirmPasswordTitle() const { return !m_passwordTitle.isEmpty(); }

    const QString &passwordString() const { return m_passwordString; }
    bool registerPasswordString(const QString &value);
    bool confirmPasswordString() const { return !m_passwordString.isEmpty(); }

    const QString &filePathString() const { return m_filePathString; }
    bool registerFilePathString(const QString &value);
    bool confirmFilePathString() const { return !m_filePathString.isEmpty(); }

    const QString &commentString() const { return m_commentString; }
    bool registerCommentString(const QString &value);
    bool confirmCommentString() const { return !m_commentString.isEmpty(); }

    QString fileNameString() const;

private:
    qint32 m_protectedState = 0;
    bool m_stateOfTheKey = false;
    QString m_passwordTitle;
    QString m_passwordString;
    QString m_filePathString;
    QString m_commentString;
};
