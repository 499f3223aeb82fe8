#pragma once

#include "ParsedCode.h"

#include <QHash>
#include <QString>

#include <vector>

// The parsed pieces of one run's code: the sources' texts and the arguments
// taken from them, which stay the same on every pass. Texts made during a run
// (a calculation with its operands filled in) are parsed for one use only.
// The cache holds at most a fixed number of characters of kept texts (a piece
// remembers a few substrings of its text beside it), so hostile code costs
// bounded memory; past that, pieces are parsed per use.
class ParsedCodeCache
{
public:
    static constexpr qsizetype kMaxUnits = qsizetype(1) << 20;
    static constexpr qsizetype kMaxPieces = qsizetype(1) << 16;

    // The piece for a text; kept for the run when `keep` and there is room.
    ParsedCode::Ptr piece(const QString &text, bool keep);
    // The piece of the source at `index`, remembered by position so that a
    // pass finds it without hashing the text.
    ParsedCode::Ptr sourcePiece(qint32 index, const QString &text);
    // The piece of a command's argument; an argument of a kept piece is kept.
    ParsedCode::Ptr argumentPiece(ParsedCode &owner, ParsedCode::Label label);
    ParsedCode::Ptr groupPiece(const ParsedCode &owner, const QString &group);

    qsizetype keptUnits() const { return m_units; }
    qsizetype keptPieces() const { return m_pieces.size(); }

private:
    bool makeRoom(qsizetype units) const;
    ParsedCode::Ptr make(const QString &text, bool keep);

    QHash<QString, ParsedCode::Ptr> m_pieces;
    std::vector<ParsedCode::Ptr> m_sources;
    qsizetype m_units = 0;
};
