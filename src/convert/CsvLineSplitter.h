#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Cuts a decoded CSV text into records and each record into fields, as views
// into the text, without allocating per record or per field.
//
// Plain mode: a record is one line (terminated by LF, CR, CR LF, U+2028,
// U+2029 or U+0085), trimmed of white space at both ends and cut at every
// comma; quotes are ordinary characters. Quoted mode: a field that starts with
// a double quote runs to the matching closing quote and may hold commas,
// doubled quotes (read as one) and line breaks, so a record may span lines;
// text after the closing quote up to the next comma is kept as it stands.
// A quote still open at the end of the text makes the rest of the text one
// unterminated record, which the caller rejects rather than guessing.
class CsvLineSplitter
{
public:
    // The text must outlive the splitter and stay unchanged.
    CsvLineSplitter(QStringView text, bool quoted);

    // Cuts the next record; false once the whole text has been consumed.
    bool next();

    // The fields of the current record, valid until the next call of next().
    // An empty record has one empty field.
    const QList<QStringView> &fields() const { return m_fields; }
    // The trimmed text of the current record (for an unterminated record,
    // everything from its start to the trimmed end of the text).
    QStringView record() const { return m_record; }
    bool unterminatedQuote() const { return m_unterminated; }
    // Where the next record starts, in UTF-16 units.
    qsizetype position() const { return m_position; }

    // The current record's length in Shift-JIS bytes, for progress only. An
    // estimate without encoding: 1 byte per ASCII character and per half-width
    // katakana (U+FF61 to U+FF9F), 2 per other character of the BMP; 0 when
    // the record holds a character beyond the BMP, which Shift-JIS cannot
    // encode.
    qint64 readingLength() const { return m_readingLength; }

    // An upper estimate of the number of lines, for reserving and pacing.
    static qsizetype estimateLineCount(QStringView text);
    static bool isLineTerminator(char16_t c)
    {
        return c == u'\n' || c == u'\r' || c == 0x85 || c == 0x2028 || c == 0x2029;
    }

private:
    void cutPlain();
    void cutQuoted();
    // Length of the terminator at p (0 when p is not on one).
    qsizetype terminatorLength(const char16_t *p) const;
    static qint64 estimateShiftJisLength(QStringView text);

    struct Piece
    {
        const char16_t *begin = nullptr; // into the text, or null: in m_scratch
        qsizetype offset = 0;            // into m_scratch when begin is null
        qsizetype length = 0;
    };

    const char16_t *m_begin = nullptr;
    const char16_t *m_end = nullptr;
    bool m_quoted = false;
    qsizetype m_position = 0;
    QList<QStringView> m_fields;
    QStringView m_record;
    bool m_unterminated = false;
    qint64 m_readingLength = 0;
    // Quoted mode only: unescaped field texts, reused from record to record.
    QString m_scratch;
    QList<Piece> m_pieces;
};
