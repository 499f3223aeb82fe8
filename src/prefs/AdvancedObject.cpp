#include "AdvancedObject.h"

#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kFolderState = QStringLiteral("userFileCachesFolderWithState");
const QString kFolderPath = QStringLiteral("userFileCachesFolderPathString");
const QString kScriptRunSeconds = QStringLiteral("scriptRunSeconds");
} // namespace

AdvancedObject::AdvancedObject()
    : m_userFileCachesFolderPathString(QStringLiteral(""))
{
}

void AdvancedObject::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeBool(m_userFileCachesFolderWithState, kFolderState);
    if (confirmUserFileCachesFolderPathString())
        coder.encodeString(m_userFileCachesFolderPathString, kFolderPath);
    if (m_scriptRunSeconds != kDefaultScriptRunSeconds)
        coder.encodeInt32(m_scriptRunSeconds, kScriptRunSeconds);
}

bool AdvancedObject::initWithCoder(const ArchiveDecoder &coder)
{
    registerUserFileCachesFolderWithState(coder.decodeBool(kFolderState));
    registerUserFileCachesFolderPathString(coder.decodeString(kFolderPath));
    if (!registerScriptRunSeconds(coder.decodeInt32(kScriptRunSeconds)))
        m_scriptRunSeconds = kDefaultScriptRunSeconds;
    return !coder.failed();
}

void AdvancedObject::initializationUserObject()
{
    m_userFileCachesFolderWithState = false;
    registerUserFileCachesFolderPathString(QString());
    m_scriptRunSeconds = kDefaultScriptRunSeconds;
}

bool AdvancedObject::setTheEnvironmentalAtDecoder(const AdvancedObject *other)
{
    if (!other)
        return false;
    registerUserFileCachesFolderWithState(other->userFileCachesFolderWithState());
    registerUserFileCachesFolderPathString(other->userFileCachesFolderPathString());
    m_scriptRunSeconds = other->scriptRunSeconds();
    return true;
}

bool AdvancedObject::registerUserFileCachesFolderPathString(const QString &value)
{
    return ModelText::registerString(m_userFileCachesFolderPathString, value);
}

bool AdvancedObject::registerScriptRunSeconds(qint32 seconds)
{
    if (seconds < 1 || seconds > 86400)
        return false;
    m_scriptRunSeconds = seconds;
    return true;
}
