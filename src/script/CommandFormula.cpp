#include "CommandFormula.h"

#include "InspectionCharacterString.h"
#include "platform/ModelText.h"

CommandFormula::CommandFormula()
{
    initializationUserObject();
}

void CommandFormula::initializationUserObject()
{
    registerCodeText(QString());
    registerCommandText(QString());
    registerChildren(QString());
    m_forCountState = false;
}

bool CommandFormula::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool CommandFormula::registerCommandText(const QString &value)
{
    return ModelText::registerString(m_commandText, value);
}

bool CommandFormula::registerChildren(const QString &value)
{
    return ModelText::registerString(m_children, value);
}

CommandFormula::Parse CommandFormula::parse(const QString &text)
{
    Parse result;
    CommandFormula formula;
    formula.registerCodeText(text);
    result.accepted = formula.commandFormulaAtFunction();
    const bool fromOff = formula.m_commandLoopWithState;
    CommandFormula again;
    again.registerCodeText(text);
    again.m_commandLoopWithState = true;
    again.commandFormulaAtFunction();
    const bool fromOn = again.m_commandLoopWithState;
    if (fromOff == fromOn)
        result.loopWithState = fromOff;
    result.forCountState = formula.m_forCountState;
    result.parsesTitle = text.startsWith(QStringLiteral("[Command:items:editing:title:"));
    result.readsItem = formula.m_commandText.contains(kItemsEditingTitle);
    result.codeText = formula.m_codeText;
    result.commandText = formula.m_commandText;
    result.children = formula.m_children;
    result.functionFormula = formula.m_functionFormula;
    return result;
}

bool CommandFormula::applyParse(const Parse &parse)
{
    m_codeText = parse.codeText;
    m_commandText = parse.commandText;
    m_children = parse.children;
    m_forCountState = parse.forCountState;
    if (parse.loopWithState)
        m_commandLoopWithState = *parse.loopWithState;
    if (parse.parsesTitle)
        m_functionFormula = parse.functionFormula;
    return parse.accepted;
}

bool CommandFormula::commandFormulaAtFunction()
{
    const QString &text = m_codeText;
    if (text.startsWith(QStringLiteral("[Command:indicator:")) || text.startsWith(QStringLiteral("[Command:for:"))) {
        if (text.contains(QStringLiteral("count:"))) {
            if (text.contains(QStringLiteral("step:")))
                m_commandLoopWithState = true;
            else
                m_forCountState = true;
            return true;
        }
        if (text.contains(QStringLiteral("end:"))) {
            m_commandLoopWithState = false;
            return true;
        }
        return false;
    }
    if (text.startsWith(QStringLiteral("[Command:items:row:")))
        return commandItemsRowTitle();
    if (text.startsWith(QStringLiteral("[Command:items:editing:title:")))
        return commandItemsEditingTitle();
    return false;
}

bool CommandFormula::commandItemsEditingTitle()
{
    const QString title = InspectionCharacterString::extractCommandWithCharacterString(m_codeText, QStringLiteral("title"));
    m_functionFormula.initializationUserObject();
    if (!m_functionFormula.functionFormulaAtFunction(title) || !m_functionFormula.confirmChildren())
        return false;
    registerCommandText(kItemsEditingTitle);
    return registerChildren(m_functionFormula.children());
}
