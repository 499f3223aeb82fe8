#include "LibraryFormula.h"

#include "InspectionCharacterString.h"
#include "platform/ModelText.h"

LibraryFormula::LibraryFormula()
{
    initializationUserObject();
}

void LibraryFormula::initializationUserObject()
{
    registerCodeText(QString());
    registerMakingResultString(QString());
    m_requesLibraryCodeDictionary.clear();
    m_requesMarkertListDictionary.clear();
}

bool LibraryFormula::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool LibraryFormula::registerMakingResultString(const QString &value)
{
    return ModelText::registerString(m_makingResultString, value);
}

bool LibraryFormula::registerRequesLibraryCodeDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_requesLibraryCodeDictionary, value);
}

bool LibraryFormula::registerRequesMarkertListDictionary(const QVariantMap &value)
{
    return ModelText::registerContainer(m_requesMarkertListDictionary, value);
}

bool LibraryFormula::libraryFormulaAtFunction()
{
    if (m_codeText.isEmpty() || m_requesLibraryCodeDictionary.isEmpty())
        return false;
    for (auto it = m_requesLibraryCodeDictionary.cbegin(); it != m_requesLibraryCodeDictionary.cend(); ++it) {
        if (!InspectionCharacterString::includedInCharacterString(m_codeText, it.key()))
            continue;
        const QVariantMap entry = it.value().toMap();
        const QString result = entry.value(QStringLiteral("makingResultString")).toString();
        if (result.isEmpty())
            continue;
        registerMakingResultString(result);
        const QVariantMap markers = entry.value(QStringLiteral("requesMarkertListDictionary")).toMap();
        if (markers.isEmpty())
            return true;
        registerRequesMarkertListDictionary(markers);
        makingMarkertListForObject();
    }
    return false;
}

bool LibraryFormula::makingMarkertListForObject()
{
    for (auto it = m_requesMarkertListDictionary.begin(); it != m_requesMarkertListDictionary.end(); ++it) {
        if (!InspectionCharacterString::includedInCharacterString(m_codeText, it.key()))
            continue;
        const QString argument = InspectionCharacterString::extractCommandWithCharacterString(m_codeText, it.key());
        if (argument.isNull())
            continue;
        it.value() = argument;
        return true;
    }
    return false;
}

bool LibraryFormula::addAnswerObject(const QVariant &object, const QString &key)
{
    if (!object.isValid())
        return false;
    if (!key.isEmpty())
        m_requesMarkertListDictionary.insert(key, object);
    return true;
}
