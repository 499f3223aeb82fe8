#include "GeneralObject.h"

#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kNickname = QStringLiteral("userNicknameString");
const QString kOpenTheNewWindow = QStringLiteral("openTheNewWindowWithState");
const QString kFrameUsingWindow = QStringLiteral("frameUsingWindowWithState");
} // namespace

GeneralObject::GeneralObject()
    : m_userNicknameString(QStringLiteral(""))
{
}

void GeneralObject::encodeWithCoder(ArchiveEncoder &coder) const
{
    if (confirmUserNicknameString())
        coder.encodeString(m_userNicknameString, kNickname);
    coder.encodeBool(m_openTheNewWindowWithState, kOpenTheNewWindow);
    coder.encodeBool(m_frameUsingWindowWithState, kFrameUsingWindow);
}

bool GeneralObject::initWithCoder(const ArchiveDecoder &coder)
{
    registerUserNicknameString(coder.decodeString(kNickname));
    registerOpenTheNewWindowWithState(coder.decodeBool(kOpenTheNewWindow));
    registerFrameUsingWindowWithState(coder.decodeBool(kFrameUsingWindow));
    return !coder.failed();
}

void GeneralObject::initializationUserObject()
{
    registerUserNicknameString(QString());
    m_openTheNewWindowWithState = false;
    m_frameUsingWindowWithState = false;
}

bool GeneralObject::setTheEnvironmentalAtDecoder(const GeneralObject *other)
{
    if (!other)
        return false;
    registerUserNicknameString(other->userNicknameString());
    registerOpenTheNewWindowWithState(other->openTheNewWindowWithState());
    registerFrameUsingWindowWithState(other->frameUsingWindowWithState());
    return true;
}

bool GeneralObject::registerUserNicknameString(const QString &value)
{
    return ModelText::registerString(m_userNicknameString, value);
}
