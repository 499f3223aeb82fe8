#include "MainLoopFunction.h"

#include "InspectionCharacterString.h"
#include "platform/ModelText.h"

#include <QStringList>

#include <limits>

namespace {

const QString kIndicatorCommand = QStringLiteral("[Command:indicator:");
const QString kForCommand = QStringLiteral("[Command:for:");
const QString kCount = QStringLiteral("count:");
const QString kStep = QStringLiteral("step:");
const QString kEnd = QStringLiteral("end:");

qint32 saturatedAdd(qint32 a, qint32 b)
{
    const qint64 sum = qint64(a) + qint64(b);
    if (sum > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (sum < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return qint32(sum);
}

QString yesNo(bool state)
{
    return state ? QStringLiteral("YES") : QStringLiteral("NO");
}

} // namespace

MainLoopFunction::MainLoopFunction()
{
    initializationUserObject();
}

void MainLoopFunction::initializationUserObject()
{
    m_functionLoopWithState = false;
    setRegister_loopRunCount(0);
    registerCodeText(QString());
    ModelText::registerString(m_loopStartCommand, QString());
    ModelText::registerString(m_loopCountCommand, QString());
    ModelText::registerString(m_loopStepCommand, QString());
    m_loopWithState = false;
    m_loopStepState = false;
    m_loopStart = 0;
    m_loopCount = 0;
    m_loopStep = 0;
    m_workLoopCount = 0;
}

bool MainLoopFunction::registerCodeText(const QString &value)
{
    return ModelText::registerString(m_codeText, value);
}

bool MainLoopFunction::isCounterReadText(const QString &text)
{
    return (text.contains(kIndicatorCommand) || text.contains(kForCommand)) && text.contains(kCount)
        && !text.contains(kStep);
}

MainLoopFunction::TextFacts MainLoopFunction::textFacts(const QString &text)
{
    TextFacts facts;
    facts.indicator = text.contains(kIndicatorCommand);
    facts.loopCommand = facts.indicator || text.contains(kForCommand);
    if (facts.loopCommand) {
        facts.count = text.contains(kCount);
        facts.end = !facts.count && text.contains(kEnd);
    }
    return facts;
}

bool MainLoopFunction::confirmMainLoopFunction()
{
    return confirmMainLoopFunction(textFacts(m_codeText));
}

bool MainLoopFunction::confirmMainLoopFunction(const TextFacts &facts)
{
    if (m_codeText.isEmpty())
        return false;
    const bool indicator = facts.indicator;
    if (!facts.loopCommand)
        return false;
    if (facts.count) {
        m_functionLoopWithState = true;
        m_loopWithState = true;
        m_loopStepState = indicator;
        extractLoopWithCharacter();
        return true;
    }
    if (facts.end) {
        m_loopWithState = false;
        if (indicator)
            m_loopStepState = false;
        return true;
    }
    return false;
}

void MainLoopFunction::extractLoopWithCharacter()
{
    struct Value
    {
        QString label;
        qint32 *number;
        QString *command;
    };
    const Value values[] = {
        {m_loopStepState ? QStringLiteral("indicator") : QStringLiteral("for"), &m_loopStart, &m_loopStartCommand},
        {QStringLiteral("count"), &m_loopCount, &m_loopCountCommand},
        {QStringLiteral("step"), &m_loopStep, &m_loopStepCommand},
    };
    for (const Value &value : values) {
        const QString digits = InspectionCharacterString::extractLoopWithCharacterString(m_codeText, value.label);
        if (!digits.isNull()) {
            *value.number = InspectionCharacterString::integerValueOfString(digits);
            ModelText::registerString(*value.command, QString());
        } else {
            ModelText::registerString(
                *value.command, InspectionCharacterString::extractCommandWithCharacterString(m_codeText, value.label));
        }
    }
}

qint32 MainLoopFunction::workLoopCount()
{
    if (m_workLoopCount < m_loopStart)
        m_workLoopCount = m_loopStart;
    return m_workLoopCount;
}

void MainLoopFunction::stepWorkLoopCount()
{
    m_workLoopCount = saturatedAdd(m_workLoopCount, 1);
}

void MainLoopFunction::register_loopRunCount()
{
    m_loopRunCount = saturatedAdd(m_loopRunCount, m_loopStep);
}

void MainLoopFunction::setRegister_loopRunCount(qint32 value)
{
    m_loopRunCount = value == 0 ? m_loopStart : value;
}

QString MainLoopFunction::logText() const
{
    QStringList lines;
    lines << QStringLiteral("** MainLoopFunction logText START **")
          << QStringLiteral("codeText:") + m_codeText
          << QStringLiteral("loopWithState:") + yesNo(m_loopWithState)
          << (m_loopStepState ? QStringLiteral("loopStepState:indicator") : QStringLiteral("loopStepState:for"))
          << QStringLiteral("loopStart:%1").arg(m_loopStart)
          << QStringLiteral("loopStartCommand:") + m_loopStartCommand
          << QStringLiteral("loopCount:%1").arg(m_loopCount)
          << QStringLiteral("loopCountCommand:") + m_loopCountCommand
          << QStringLiteral("loopStep:%1").arg(m_loopStep)
          << QStringLiteral("loopStepCommand:") + m_loopStepCommand
          << QStringLiteral("workLoopCount:%1").arg(m_workLoopCount)
          << QStringLiteral("_functionLoopWithState:") + yesNo(m_functionLoopWithState)
          << QStringLiteral("_loopStartCount:%1").arg(m_loopStartCount)
          << QStringLiteral("_loopEndCount:%1").arg(m_loopEndCount)
          << QStringLiteral("_loopRunCount:%1").arg(m_loopRunCount)
          << QStringLiteral("** MainLoopFunction logText END **");
    return lines.join(QLatin1Char('\n'));
}
