#include "AdvancedObject.h"

#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kFolderState = QStringLiteral("userFileCachesFolderWithState");
const QString kFolderPath = QStringLiteral("userFileCachesFolderPathString");
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
}

bool AdvancedObject::initWithCoder(const ArchiveDecoder &coder)
{
    registerUserFileCachesFolderWithState(coder.decodeBool(kFolderState));
    registerUserFileCachesFolderPathString(coder.decodeString(kFolderPath));
    return !coder.failed();
}

void AdvancedObject::initializationUserObject()
{
    m_userFileCachesFolderWithState = false;
    registerUserFileCachesFolderPathString(QString());
}

bool AdvancedObject::setTheEnvironmentalAtDecoder(const AdvancedObject *other)
{
    if (!other)
        return false;
    registerUserFileCachesFolderWithState(other->userFileCachesFolderWithState());
    registerUserFileCachesFolderPathString(other->userFileCachesFolderPathString());
    return true;
}

bool AdvancedObject::registerUserFileCachesFolderPathString(const QString &value)
{
    return ModelText::registerString(m_userFileCachesFolderPathString, value);
}
