#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// The general preferences: the user's nickname and two window behaviours.
// The nickname is archived only when set; the flags always.
class GeneralObject
{
public:
    GeneralObject();

    static QString archiveClassName() { return QStringLiteral("GeneralObject"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const GeneralObject *other);

    const QString &userNicknameString() const { return m_userNicknameString; }
    bool registerUserNicknameString(const QString &value);
    bool confirmUserNicknameString() const { return !m_userNicknameString.isEmpty(); }

    bool openTheNewWindowWithState() const { return m_openTheNewWindowWithState; }
    void registerOpenTheNewWindowWithState(bool state) { m_openTheNewWindowWithState = state; }

    bool frameUsingWindowWithState() const { return m_frameUsingWindowWithState; }
    void registerFrameUsingWindowWithState(bool state) { m_frameUsingWindowWithState = state; }

private:
    QString m_userNicknameString;
    bool m_openTheNewWindowWithState = false;
    bool m_frameUsingWindowWithState = false;
};
