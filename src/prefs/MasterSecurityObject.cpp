#include "MasterSecurityObject.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ModelText.h"
#include "platform/PasswordVerifier.h"

namespace {
const QString kProtect = QStringLiteral("protectAdvancedByPasswordWithState");
const QString kTitle = QStringLiteral("privatePasswordTitleStringForAdvanced");
const QString kPassword = QStringLiteral("privatePasswordStringForAdvanced");

} // namespace

MasterSecurityObject::MasterSecurityObject()
    : m_privatePasswordTitleStringForAdvanced(QStringLiteral(""))
    , m_privatePasswordStringForAdvanced(QStringLiteral(""))
{
}

void MasterSecurityObject::encodeWithCoder(ArchiveEncoder &coder) const
{
    if (m_protectAdvancedByPasswordWithState && confirmPrivatePasswordTitleStringForAdvanced()
        && confirmPrivatePasswordStringForAdvanced()) {
        coder.encodeBool(true, kProtect);
        coder.encodeString(m_privatePasswordTitleStringForAdvanced, kTitle);
        coder.encodeString(m_privatePasswordStringForAdvanced, kPassword);
    } else {
        coder.encodeBool(false, kProtect);
    }
}

bool MasterSecurityObject::initWithCoder(const ArchiveDecoder &coder)
{
    const bool titleAccepted = registerPrivatePasswordTitleStringForAdvanced(coder.decodeString(kTitle));
    const bool passwordAccepted = registerPrivatePasswordStringForAdvanced(coder.decodeString(kPassword));
    // A stored NO stays NO even beside a title and password.
    registerProtectAdvancedByPasswordWithState(coder.decodeBool(kProtect) && titleAccepted
                                               && passwordAccepted);
    return !coder.failed();
}

void MasterSecurityObject::initializationUserObject()
{
    m_protectAdvancedByPasswordWithState = false;
    registerPrivatePasswordTitleStringForAdvanced(QString());
    registerPrivatePasswordStringForAdvanced(QString());
}

bool MasterSecurityObject::setTheEnvironmentalAtDecoder(const MasterSecurityObject *other)
{
    if (!other)
        return false;
    registerProtectAdvancedByPasswordWithState(other->protectAdvancedByPasswordWithState());
    registerPrivatePasswordTitleStringForAdvanced(other->privatePasswordTitleStringForAdvanced());
    registerPrivatePasswordStringForAdvanced(other->privatePasswordStringForAdvanced());
    return true;
}

bool MasterSecurityObject::registerPrivatePasswordTitleStringForAdvanced(const QString &value)
{
    return ModelText::registerString(m_privatePasswordTitleStringForAdvanced, value);
}

bool MasterSecurityObject::registerPrivatePasswordStringForAdvanced(const QString &value)
{
    return ModelText::registerString(m_privatePasswordStringForAdvanced, PasswordVerifier::verifierFor(value));
}
