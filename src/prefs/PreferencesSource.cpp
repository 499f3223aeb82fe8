#include "PreferencesSource.h"

#include "AdvancedObject.h"
#include "GeneralObject.h"
#include "SecurityObject.h"
#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kGeneral = QStringLiteral("generalObject");
const QString kAdvanced = QStringLiteral("advancedObject");
const QString kSecurity = QStringLiteral("securityObject");

} // namespace

PreferencesSource::PreferencesSource() = default;
PreferencesSource::~PreferencesSource() = default;

void PreferencesSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(*generalObject(), kGeneral);
    coder.encodeObject(*advancedObject(), kAdvanced);
    coder.encodeObject(*securityObject(), kSecurity);
}

bool PreferencesSource::initWithCoder(const ArchiveDecoder &coder)
{
    if (const auto decoded = coder.decodeObject<GeneralObject>(kGeneral))
        generalObject()->setTheEnvironmentalAtDecoder(decoded.get());
    if (const auto decoded = coder.decodeObject<AdvancedObject>(kAdvanced))
        advancedObject()->setTheEnvironmentalAtDecoder(decoded.get());
    if (const auto decoded = coder.decodeObject<SecurityObject>(kSecurity))
        securityObject()->setTheEnvironmentalAtDecoder(decoded.get());
    return !coder.failed();
}

void PreferencesSource::initializationUserObject()
{
    generalObject()->initializationUserObject();
    advancedObject()->initializationUserObject();
    securityObject()->initializationUserObject();
}

bool PreferencesSource::setTheEnvironmentalAtDecoder(const PreferencesSource *other)
{
    if (!other)
        return false;
    generalObject()->setTheEnvironmentalAtDecoder(other->generalObject());
    advancedObject()->setTheEnvironmentalAtDecoder(other->advancedObject());
    securityObject()->setTheEnvironmentalAtDecoder(other->securityObject());
    return true;
}

GeneralObject *PreferencesSource::generalObject()
{
    return ModelText::lazyPart(m_generalObject);
}

const GeneralObject *PreferencesSource::generalObject() const
{
    return ModelText::lazyPart(m_generalObject);
}

AdvancedObject *PreferencesSource::advancedObject()
{
    return ModelText::lazyPart(m_advancedObject);
}

const AdvancedObject *PreferencesSource::advancedObject() const
{
    return ModelText::lazyPart(m_advancedObject);
}

SecurityObject *PreferencesSource::securityObject()
{
    return ModelText::lazyPart(m_securityObject);
}

const SecurityObject *PreferencesSource::securityObject() const
{
    return ModelText::lazyPart(m_securityObject);
}
