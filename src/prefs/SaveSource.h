#pragma once

#include <QString>

// The save confirmation panel's model: the current private title and password
// (a verifier, or a plain one from an older record) that the user must
// confirm, the document being saved and the guidance shown. Never stored.
class SaveSource
{
public:
    SaveSource();

    void initializationUserObject();

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

    QString fileNameString() const;

private:
    bool m_stateOfTheKey = false;
    QString m_passwordTitle;
    QString m_passwordString;
    QString m_filePathString;
    QString m_commentString;
};
