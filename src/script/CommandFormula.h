#pragma once

#include "FunctionFormula.h"

#include <QString>

#include <optional>

// Recognises the commands the interpreter hands to the document as command
// number 4 ("items:editing:title:") and the loop commands. The loop flag
// survives a reset: it stays as the last loop command left it.
class CommandFormula
{
public:
    static inline const QString kItemsEditingTitle = QStringLiteral("items:editing:title:");

    // What commandFormulaAtFunction() does with one text, from the reset
    // state: worked out once, so a loop body is not scanned on every pass.
    struct Parse
    {
        bool accepted = false;
        bool forCountState = false;
        // The loop flag the text leaves; nullopt keeps it as it was.
        std::optional<bool> loopWithState;
        // Only the editing-item read parses its title with the function formula.
        bool parsesTitle = false;
        bool readsItem = false;
        QString codeText;
        QString commandText;
        QString children;
        FunctionFormula functionFormula;
    };

    CommandFormula();

    static Parse parse(const QString &text);
    // The same as a reset, registerCodeText(parse.codeText) and
    // commandFormulaAtFunction(), without reading the text again.
    bool applyParse(const Parse &parse);

    // Clears the texts and the counter-read state; the loop flag stays.
    void initializationUserObject();

    bool commandFormulaAtFunction();
    bool commandItemsEditingTitle();
    // Row reads are the interpreter's own command: never accepted here.
    bool commandItemsRowTitle() { return false; }

    FunctionFormula *functionFormula() { return &m_functionFormula; }
    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    const QString &commandText() const { return m_commandText; }
    bool registerCommandText(const QString &value);
    const QString &children() const { return m_children; }
    bool registerChildren(const QString &value);
    bool _commandLoopWithState() const { return m_commandLoopWithState; }
    void register_commandLoopWithState(bool state) { m_commandLoopWithState = state; }
    bool _forCountState() const { return m_forCountState; }

private:
    FunctionFormula m_functionFormula;
    QString m_codeText;
    QString m_commandText;
    QString m_children;
    bool m_commandLoopWithState = false;
    bool m_forCountState = false;
};
