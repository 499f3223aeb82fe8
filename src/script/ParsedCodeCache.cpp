#include "ParsedCodeCache.h"

#include "FunctionCommand.h"

bool ParsedCodeCache::makeRoom(qsizetype units) const
{
    return m_pieces.size() < kMaxPieces && units <= kMaxUnits - m_units;
}

ParsedCode::Ptr ParsedCodeCache::make(const QString &text, bool keep)
{
    keep = keep && makeRoom(text.size());
    auto piece = std::make_shared<ParsedCode>(text, FunctionCommand::codeDivideInTwoAtSource(text), keep);
    if (keep) {
        m_pieces.insert(text, piece);
        m_units += text.size();
    }
    return piece;
}

ParsedCode::Ptr ParsedCodeCache::piece(const QString &text, bool keep)
{
    if (const auto found = m_pieces.constFind(text); found != m_pieces.cend())
        return found.value();
    return make(text, keep);
}

ParsedCode::Ptr ParsedCodeCache::sourcePiece(qint32 index, const QString &text)
{
    if (index < 0)
        return piece(text, true);
    if (size_t(index) >= m_sources.size()) {
        if (index >= kMaxPieces)
            return piece(text, true);
        m_sources.resize(size_t(index) + 1);
    }
    ParsedCode::Ptr &slot = m_sources[size_t(index)];
    // The sources do not change during a run, so a source's text is the
    // piece's own (shared, or the same literal); a text that differs gets its
    // own piece. The piece holds its text, so the characters cannot move.
    if (!slot || slot->text().constData() != text.constData() || slot->text().size() != text.size())
        slot = piece(text, true);
    return slot;
}

ParsedCode::Ptr ParsedCodeCache::argumentPiece(ParsedCode &owner, ParsedCode::Label label)
{
    if (const ParsedCode::Ptr &known = owner.argumentPiece(label))
        return known;
    ParsedCode::Ptr argument = piece(owner.argument(label), owner.kept());
    if (argument->kept())
        owner.setArgumentPiece(label, argument);
    return argument;
}

ParsedCode::Ptr ParsedCodeCache::groupPiece(const ParsedCode &owner, const QString &group)
{
    return piece(group, owner.kept());
}
