#include "SecurityObject.h"

#include "MasterSecurityObject.h"
#include "PrivatePasswordObject.h"
#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kPrivatePassword = QStringLiteral("privatePasswordObject");
const QString kMasterSecurity = QStringLiteral("masterSecurityObject");

} // namespace

SecurityObject::SecurityObject() = default;
SecurityObject::~SecurityObject() = default;

void SecurityObject::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(*privatePasswordObject(), kPrivatePassword);
    coder.encodeObject(*masterSecurityObject(), kMasterSecurity);
}

bool SecurityObject::initWithCoder(const ArchiveDecoder &coder)
{
    if (const auto decoded = coder.decodeObject<PrivatePasswordObject>(kPrivatePassword))
        privatePasswordObject()->setTheEnvironmentalAtDecoder(decoded.get());
    else
        privatePasswordObject()->initializationUserObject();
    if (const auto decoded = coder.decodeObject<MasterSecurityObject>(kMasterSecurity))
        masterSecurityObject()->setTheEnvironmentalAtDecoder(decoded.get());
    else
        masterSecurityObject()->initializationUserObject();
    return !coder.failed();
}

void SecurityObject::initializationUserObject()
{
    privatePasswordObject()->initializationUserObject();
    masterSecurityObject()->initializationUserObject();
}

bool SecurityObject::setTheEnvironmentalAtDecoder(const SecurityObject *other)
{
    if (!other)
        return false;
    privatePasswordObject()->setTheEnvironmentalAtDecoder(other->privatePasswordObject());
    masterSecurityObject()->setTheEnvironmentalAtDecoder(other->masterSecurityObject());
    return true;
}

PrivatePasswordObject *SecurityObject::privatePasswordObject()
{
    return ModelText::lazyPart(m_privatePasswordObject);
}

const PrivatePasswordObject *SecurityObject::privatePasswordObject() const
{
    return ModelText::lazyPart(m_privatePasswordObject);
}

MasterSecurityObject *SecurityObject::masterSecurityObject()
{
    return ModelText::lazyPart(m_masterSecurityObject);
}

const MasterSecurityObject *SecurityObject::masterSecurityObject() const
{
    return ModelText::lazyPart(m_masterSecurityObject);
}
