#include "ParsedCode.h"

#include "InspectionCharacterString.h"

ParsedCode::ParsedCode(const QString &text, qint32 kind, bool kept)
    : m_text(text), m_kind(kind), m_kept(kept)
{
    // The order FunctionCommand::runCommand tries them in; no prefix is
    // another's start, so the first match is the only one.
    struct Prefix
    {
        QStringView text;
        Command command;
    };
    static constexpr Prefix prefixes[] = {
        {u"[Command:items:row:", Command::ItemsRow},     {u"[Command:write:row", Command::WriteRow},
        {u"[Command:write:title", Command::WriteTitle}, {u"[Command:readURL:path:", Command::ReadURL},
        {u"[Command:readUTF8XML:path:", Command::ReadUTF8XML}, {u"[Command:object:", Command::Object},
    };
    for (const Prefix &prefix : prefixes) {
        if (m_text.startsWith(prefix.text)) {
            m_command = prefix.command;
            break;
        }
    }
}

QString ParsedCode::labelText(Label label)
{
    switch (label) {
    case Label::Row: return QStringLiteral("row");
    case Label::Title: return QStringLiteral("title");
    case Label::Object: return QStringLiteral("object");
    case Label::Path: return QStringLiteral("path");
    case Label::Count: return QStringLiteral("count");
    case Label::Array: return QStringLiteral("array");
    case Label::Index: return QStringLiteral("index");
    case Label::Dictionary: return QStringLiteral("dictionary");
    case Label::Key: return QStringLiteral("key");
    }
    return {};
}

const FunctionFormula &ParsedCode::functionFormula()
{
    if (!m_functionFormula) {
        m_functionFormula.emplace();
        m_functionAccepted = m_functionFormula->functionFormulaAtFunction(m_text) && m_functionFormula->confirmChildren();
    }
    return *m_functionFormula;
}

bool ParsedCode::functionAccepted()
{
    functionFormula();
    return m_functionAccepted;
}

const CommandFormula::Parse &ParsedCode::commandParse()
{
    if (!m_commandParse)
        m_commandParse = CommandFormula::parse(m_text);
    return *m_commandParse;
}

bool ParsedCode::counterRead()
{
    if (!m_counterRead)
        m_counterRead = MainLoopFunction::isCounterReadText(m_text);
    return *m_counterRead;
}

const MainLoopFunction::TextFacts &ParsedCode::loopFacts()
{
    if (!m_loopFacts)
        m_loopFacts = MainLoopFunction::textFacts(m_text);
    return *m_loopFacts;
}

const QString &ParsedCode::argument(Label label)
{
    std::optional<QString> &slot = m_argumentTexts[size_t(label)];
    if (!slot)
        slot = InspectionCharacterString::extractCommandWithCharacterString(m_text, labelText(label));
    return *slot;
}

std::optional<qint32> ParsedCode::rowDigits()
{
    if (!m_rowDigits) {
        const QString digits = InspectionCharacterString::extractLoopWithCharacterString(m_text, labelText(Label::Row));
        m_rowDigits.emplace();
        if (!digits.isNull())
            *m_rowDigits = InspectionCharacterString::integerValueOfString(digits);
    }
    return *m_rowDigits;
}

const QString &ParsedCode::titleChildren()
{
    if (!m_titleChildren) {
        FunctionFormula title;
        m_titleChildren = title.functionFormulaAtFunction(argument(Label::Title)) ? title.children() : QString();
    }
    return *m_titleChildren;
}

const QStringList &ParsedCode::groups()
{
    if (!m_groups)
        m_groups = InspectionCharacterString::extractCommandArrayWithCharacterString(m_text);
    return *m_groups;
}
