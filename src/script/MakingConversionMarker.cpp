#include "MakingConversionMarker.h"

#include "InspectionCharacterString.h"
#include "platform/ModelText.h"

MakingConversionMarker::MakingConversionMarker()
{
    initializationUserObject();
}

void MakingConversionMarker::initializationUserObject()
{
    registerTargetedString(QString());
    m_markerListArray.clear();
    registerMarkerKeyString(QString());
    registerRegistrationString(QString());
    registerMakingResultString(QString());
    m_requesMarkertListDictionary.clear();
    registerCodeText(QString());
}

QString MakingConversionMarker::answerCodeText(const QString &text, const QString &target, const QString &value)
{
    return InspectionCharacterString::makingResultAtString(text, target, value);
}

bool MakingConversionMarker::registerTargetedString(const QString &value)
{
    return ModelText::registerString(m_targetedString, value);
}

bool MakingConversionMarker::registerMarkerListArray(const QVariantList &value)
{
    return ModelText::registerContainer(m_markerListArray, value);
}

bool MakingConversionMarker::registerMarkerKeyString(const QString &value)
{
    return ModelText::registerString(m_markerKeyString, value);
}

bool MakingConversionMarker::registerRegistrationString(const QString &value)
{
    return ModelText::registerString(m_registrationString, value);
}

bool MakingConversionMarker::registerMakingResultString(const QString &value)
{
    return ModelText::registerString(m_makingResultString, value);
}

bool MakingConversionMarker::registerRequesMarkertListDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_requesMarkertListDictionary, value);
}

bool MakingConversionMarker::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool MakingConversionMarker::makingConversionMarker()
{
    if (m_targetedString.isEmpty() || m_markerListArray.isEmpty())
        return false;
    QString code = m_codeText;
    QString filled = m_targetedString;
    for (const QVariant &item : std::as_const(m_markerListArray)) {
        const QVariantMap entry = item.toMap();
        const QString key = entry.value(QStringLiteral("idKey")).toString();
        const QString registration = entry.value(QStringLiteral("idRegistration")).toString();
        if (!registration.isEmpty()) {
            const QString replaced = answerCodeText(filled, u'[' + key + u']', registration);
            if (!replaced.isNull())
                filled = replaced;
        } else {
            m_requesMarkertListDictionary.insert(key, registration);
            code = QStringLiteral("%1 %2:").arg(code, key);
        }
    }
    registerCodeText(code);
    return registerMakingResultString(filled);
}

bool MakingConversionMarker::makingMarkerAtTargeted(const QString &text)
{
    const QString replaced = answerCodeText(text, u'[' + m_markerKeyString + u']', m_registrationString);
    if (replaced.isNull())
        return false;
    registerMakingResultString(replaced);
    return true;
}
