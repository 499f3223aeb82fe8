#include "CalculatingFormula.h"

#include "InspectionCharacterString.h"
#include "platform/ModelText.h"

CalculatingFormula::CalculatingFormula()
{
    initializationUserObject();
}

void CalculatingFormula::initializationUserObject()
{
    registerCodeText(QString());
    m_operatorSymbol = false;
    m_comInterrupt = false;
    m_calculating = kNone;
    for (QString *field : {&m_singleStr, &m_firstStr, &m_bottomStr, &m_firstCom, &m_bottomCom})
        ModelText::registerString(*field, QString());
}

bool CalculatingFormula::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool CalculatingFormula::registerFirstStr(const QString &value)
{
    return ModelText::registerString(m_firstStr, value);
}

bool CalculatingFormula::registerBottomStr(const QString &value)
{
    return ModelText::registerString(m_bottomStr, value);
}

bool CalculatingFormula::calculatingFormulaAtFunction(const QString &text)
{
    m_comInterrupt = false;
    if (!registerCodeText(text))
        return false;
    for (const QChar c : text) {
        m_singleStr = QString(c);
        qint32 code = kNone;
        switch (c.unicode()) {
        case u'+': code = kAdd; break;
        case u'-': code = kSubtract; break;
        case u'*': code = kMultiply; break;
        case u'/': code = kDivide; break;
        default: break;
        }
        if (code != kNone) {
            m_operatorSymbol = true;
            m_calculating = code;
            continue;
        }
        if (c == u'=' || c == u' ')
            continue;
        if (!InspectionCharacterString::kNumberCharacters.contains(c))
            m_comInterrupt = true;
        if (m_comInterrupt)
            (m_operatorSymbol ? m_bottomCom : m_firstCom).append(c);
        else
            (m_operatorSymbol ? m_bottomStr : m_firstStr).append(c);
    }
    return true;
}

float CalculatingFormula::answerCalculatingFormula() const
{
    const float a = InspectionCharacterString::floatValueOfString(m_firstStr);
    const float b = InspectionCharacterString::floatValueOfString(m_bottomStr);
    switch (m_calculating) {
    case kAdd: return a + b;
    case kSubtract: return a - b;
    case kMultiply: return a * b;
    case kDivide: return a / b;
    default: return b;
    }
}
