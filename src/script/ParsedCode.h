#pragma once

#include "CommandFormula.h"
#include "FunctionFormula.h"
#include "MainLoopFunction.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <array>
#include <memory>
#include <optional>

// What one piece of script text reads as, worked out from the text alone and
// each fact on first use, so that a loop body re-evaluated a million times
// is scanned once. The interpreter keeps the state it changes per pass (the
// request it last sent for this piece) beside the facts.
class ParsedCode
{
public:
    using Ptr = std::shared_ptr<ParsedCode>;

    // The command a "[Command:" marker starts with; None for the commands the
    // command formula reads (loops, counters, the editing item).
    enum class Command { None, ItemsRow, WriteRow, WriteTitle, ReadURL, ReadUTF8XML, Object };
    // The labels whose bracketed argument a command takes.
    enum class Label { Row, Title, Object, Path, Count, Array, Index, Dictionary, Key };
    static constexpr int kLabelCount = 9;

    // `kept` pieces live in a cache for the whole run; their arguments may be
    // kept too.
    ParsedCode(const QString &text, qint32 kind, bool kept);

    const QString &text() const { return m_text; }
    qint32 kind() const { return m_kind; }
    bool kept() const { return m_kept; }

    // The function formula after a reset and functionFormulaAtFunction(text).
    const FunctionFormula &functionFormula();
    // Whether that parse succeeded with an argument.
    bool functionAccepted();
    Command command() const { return m_command; }
    const CommandFormula::Parse &commandParse();
    bool counterRead();
    const MainLoopFunction::TextFacts &loopFacts();

    // InspectionCharacterString::extractCommandWithCharacterString(text, label).
    const QString &argument(Label label);
    // InspectionCharacterString::extractLoopWithCharacterString(text, "row"),
    // read as an integer; nullopt when there are no digits.
    std::optional<qint32> rowDigits();
    // The argument of the "[ColumnTitle:...]" (or any function marker) after
    // "title:"; empty when it is not one.
    const QString &titleChildren();
    // The top-level bracketed groups of a text template.
    const QStringList &groups();

    // Argument pieces, set by the cache that made them.
    const Ptr &argumentPiece(Label label) const { return m_arguments[size_t(label)]; }
    void setArgumentPiece(Label label, Ptr piece) { m_arguments[size_t(label)] = std::move(piece); }

    // The last request sent for this piece and what it was made for; a pass
    // that sends the same request again changes only the values that moved,
    // in place, without building a dictionary.
    struct Request
    {
        QVariantMap map;
        QString codeText;
        QString sourceTitle;
        qint32 runCount = -1;
        qint32 type = 0;
        qint32 cachesFolderID = 0;
    };
    Request &request() { return m_request; }

    static QString labelText(Label label);

private:
    QString m_text;
    qint32 m_kind;
    bool m_kept;
    Command m_command = Command::None;
    std::optional<FunctionFormula> m_functionFormula;
    bool m_functionAccepted = false;
    std::optional<CommandFormula::Parse> m_commandParse;
    std::optional<bool> m_counterRead;
    std::optional<MainLoopFunction::TextFacts> m_loopFacts;
    std::array<std::optional<QString>, kLabelCount> m_argumentTexts;
    std::optional<std::optional<qint32>> m_rowDigits;
    std::optional<QString> m_titleChildren;
    std::optional<QStringList> m_groups;
    std::array<Ptr, kLabelCount> m_arguments;
    Request m_request;
};
