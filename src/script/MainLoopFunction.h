#pragma once

#include <QString>

// The one loop of a run: start, count and step (each a number or an
// expression left for the interpreter), the index of the source that started
// it, and the counters. Counters saturate instead of overflowing.
class MainLoopFunction
{
public:
    MainLoopFunction();

    // In this order: loop flag off, the pass counter back to the start value
    // held before the reset, then texts, flags and values cleared.
    void initializationUserObject();

    // What confirmMainLoopFunction() looks for in a text.
    struct TextFacts
    {
        bool indicator = false;
        bool loopCommand = false;
        bool count = false;
        bool end = false;
    };
    static TextFacts textFacts(const QString &text);

    // Parses codeText as a loop start (sets the loop up and reads its
    // values) or a loop end; false for anything else.
    bool confirmMainLoopFunction();
    // The same with the facts of codeText already known.
    bool confirmMainLoopFunction(const TextFacts &facts);
    // Reads start, count and step from codeText.
    void extractLoopWithCharacter();

    // A counter read ("for:"/"indicator:" with "count:" but no "step:") is
    // neither a loop start nor a loop end.
    static bool isCounterReadText(const QString &text);

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    bool confirmCodeText() const { return !m_codeText.isEmpty(); }
    bool loopWithState() const { return m_loopWithState; }
    bool loopStepState() const { return m_loopStepState; }
    qint32 loopStart() const { return m_loopStart; }
    void registerLoopStart(qint32 value) { m_loopStart = value; }
    const QString &loopStartCommand() const { return m_loopStartCommand; }
    bool confirmLoopStartCommand() const { return !m_loopStartCommand.isEmpty(); }
    qint32 loopCount() const { return m_loopCount; }
    void registerLoopCount(qint32 value) { m_loopCount = value; }
    const QString &loopCountCommand() const { return m_loopCountCommand; }
    bool confirmLoopCountCommand() const { return !m_loopCountCommand.isEmpty(); }
    qint32 loopStep() const { return m_loopStep; }
    void registerLoopStep(qint32 value) { m_loopStep = value; }
    const QString &loopStepCommand() const { return m_loopStepCommand; }
    bool confirmLoopStepCommand() const { return !m_loopStepCommand.isEmpty(); }

    // Raised to loopStart whenever it is below it.
    qint32 workLoopCount();
    void stepWorkLoopCount();

    bool _functionLoopWithState() const { return m_functionLoopWithState; }
    qint32 _loopStartCount() const { return m_loopStartCount; }
    void setRegister_loopStartCount(qint32 value) { m_loopStartCount = value; }
    qint32 _loopEndCount() const { return m_loopEndCount; }
    qint32 _loopRunCount() const { return m_loopRunCount; }
    // Adds loopStep.
    void register_loopRunCount();
    // 0 means loopStart.
    void setRegister_loopRunCount(qint32 value);

    QString logText() const;

private:
    QString m_codeText;
    bool m_loopWithState = false;
    bool m_loopStepState = false;
    qint32 m_loopStart = 0;
    QString m_loopStartCommand;
    qint32 m_loopCount = 0;
    QString m_loopCountCommand;
    qint32 m_loopStep = 0;
    QString m_loopStepCommand;
    qint32 m_workLoopCount = 0;
    bool m_functionLoopWithState = false;
    qint32 m_loopStartCount = 0;
    qint32 m_loopEndCount = 0;
    qint32 m_loopRunCount = 0;
};
