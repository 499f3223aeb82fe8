#include "FunctionFormula.h"

#include "platform/ModelText.h"

FunctionFormula::FunctionFormula()
{
    initializationUserObject();
}

void FunctionFormula::initializationUserObject()
{
    registerCodeText(QString());
    m_commandSymbol = false;
    m_commandNumber = 0;
    registerChildren(QString());
    ModelText::registerString(m_singleStr, QString());
}

bool FunctionFormula::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool FunctionFormula::registerChildren(const QString &value)
{
    return ModelText::registerString(m_children, value);
}

bool FunctionFormula::functionFormulaAtFunction(const QString &text)
{
    if (!registerCodeText(text))
        return false;
    const QString *const prefixes[] = {&kColumnTitlePrefix, &kLibraryPrefix, &kUserPrefix, &kCommandPrefix};
    qint32 number = kColumnTitle;
    for (const QString *prefix : prefixes) {
        if (text.startsWith(*prefix)) {
            m_commandSymbol = true;
            m_commandNumber = number;
            // The last character (normally the closing "]") is not part of
            // the argument; a text that is only the prefix has none.
            const qsizetype length = text.size() - prefix->size() - 1;
            registerChildren(length > 0 ? text.mid(prefix->size(), length) : QString());
            return true;
        }
        ++number;
    }
    return false;
}
