#include "CsvLineSplitter.h"

#include <QChar>

namespace {

bool isHalfWidthKatakana(char16_t c)
{
    return c >= 0xFF61 && c <= 0xFF9F;
}

bool isSpace(char16_t c)
{
    return QChar::isSpace(char32_t(c));
}

} // namespace

CsvLineSplitter::CsvLineSplitter(QStringView text, bool quoted)
    : m_begin(reinterpret_cast<const char16_t *>(text.utf16()))
    , m_end(m_begin + text.size())
    , m_quoted(quoted)
{
}

bool CsvLineSplitter::next()
{
    if (m_begin + m_position >= m_end)
        return false;
    m_unterminated = false;
    if (m_quoted)
        cutQuoted();
    else
        cutPlain();
    return true;
}

qsizetype CsvLineSplitter::terminatorLength(const char16_t *p) const
{
    if (p >= m_end || !isLineTerminator(*p))
        return 0;
    return (*p == u'\r' && p + 1 < m_end && p[1] == u'\n') ? 2 : 1;
}

void CsvLineSplitter::cutPlain()
{
    const char16_t *const lineStart = m_begin + m_position;
    const char16_t *fieldStart = lineStart;
    const char16_t *q = lineStart;
    // Characters beyond ASCII cost one more Shift-JIS byte, unless they are
    // half-width katakana; counted in the same pass that looks for commas.
    qint64 wide = 0;
    bool beyondBmp = false;
    m_fields.clear();
    for (; q < m_end; ++q) {
        const char16_t c = *q;
        if (c < 0x80) {
            if (c > u',')
                continue;
            if (c == u',') {
                m_fields.append(QStringView(fieldStart, q));
                fieldStart = q + 1;
            } else if (c == u'\n' || c == u'\r') {
                break;
            }
            continue;
        }
        if (c == 0x85 || c == 0x2028 || c == 0x2029)
            break;
        if (isHalfWidthKatakana(c))
            continue;
        if (QChar::isSurrogate(c))
            beyondBmp = true;
        ++wide;
    }
    const char16_t *const lineEnd = q;
    m_fields.append(QStringView(fieldStart, lineEnd));

    // Commas are not white space, so trimming only moves the outer ends of
    // the first and last fields.
    const char16_t *start = lineStart;
    const char16_t *stop = lineEnd;
    while (start < stop && isSpace(*start))
        ++start;
    while (stop > start && isSpace(stop[-1]))
        --stop;
    for (const char16_t *p = lineStart; p < start; ++p)
        wide -= (*p >= 0x80 && !isHalfWidthKatakana(*p)) ? 1 : 0;
    for (const char16_t *p = stop; p < lineEnd; ++p)
        wide -= (*p >= 0x80 && !isHalfWidthKatakana(*p)) ? 1 : 0;

    if (m_fields.size() == 1) {
        m_fields.first() = QStringView(start, stop);
    } else {
        QStringView &first = m_fields.first();
        first = QStringView(start, first.utf16() + first.size());
        QStringView &last = m_fields.last();
        last = QStringView(last.utf16(), stop);
    }

    m_record = QStringView(start, stop);
    m_readingLength = beyondBmp ? 0 : qint64(stop - start) + wide;
    m_position = (lineEnd - m_begin) + terminatorLength(lineEnd);
}

void CsvLineSplitter::cutQuoted()
{
    const char16_t *const end = m_end;
    const char16_t *start = m_begin + m_position;
    while (start < end && isSpace(*start) && !isLineTerminator(*start))
        ++start;
    m_pieces.clear();
    m_scratch.resize(0);

    // The end of a plain stretch: the next comma or line terminator.
    const auto stretchEnd = [end](const char16_t *p) {
        while (p < end && *p != u',' && !isLineTerminator(*p))
            ++p;
        return p;
    };
    // The last field of a record loses its trailing white space.
    const auto trimmedTail = [end](const char16_t *from, const char16_t *to) {
        if (to < end && *to == u',')
            return to;
        while (to > from && isSpace(to[-1]))
            --to;
        return to;
    };

    const char16_t *q = start;
    for (;;) {
        if (q < end && *q == u'"') {
            const char16_t *const content = q + 1;
            const char16_t *close = content;
            bool doubled = false;
            for (;;) {
                while (close < end && *close != u'"')
                    ++close;
                if (close + 1 < end && close[1] == u'"') {
                    doubled = true;
                    close += 2;
                    continue;
                }
                break;
            }
            if (close >= end) {
                const char16_t *stop = end;
                while (stop > start && isSpace(stop[-1]))
                    --stop;
                m_unterminated = true;
                m_record = QStringView(start, stop);
                m_fields.clear();
                m_fields.append(m_record);
                m_readingLength = estimateShiftJisLength(m_record);
                m_position = end - m_begin;
                return;
            }
            const char16_t *const after = close + 1;
            const char16_t *const stop = stretchEnd(after);
            const char16_t *const tail = trimmedTail(after, stop);
            if (!doubled && tail == after) {
                m_pieces.append({content, 0, close - content});
            } else {
                const qsizetype offset = m_scratch.size();
                const char16_t *from = content;
                for (const char16_t *p = content; p < close; ++p) {
                    if (*p == u'"') { // the first of a doubled pair
                        m_scratch.append(QStringView(from, p + 1));
                        from = ++p + 1;
                    }
                }
                m_scratch.append(QStringView(from, close));
                m_scratch.append(QStringView(after, tail));
                m_pieces.append({nullptr, offset, m_scratch.size() - offset});
            }
            q = stop;
        } else {
            const char16_t *const stop = stretchEnd(q);
            m_pieces.append({q, 0, trimmedTail(q, stop) - q});
            q = stop;
        }
        if (q < end && *q == u',') {
            ++q;
            continue;
        }
        break;
    }

    const char16_t *stop = q;
    while (stop > start && isSpace(stop[-1]))
        --stop;
    m_record = QStringView(start, stop);
    m_fields.clear();
    const QStringView scratch(m_scratch);
    for (const Piece &piece : std::as_const(m_pieces))
        m_fields.append(piece.begin ? QStringView(piece.begin, piece.length)
                                    : scratch.sliced(piece.offset, piece.length));
    m_readingLength = estimateShiftJisLength(m_record);
    m_position = (q - m_begin) + terminatorLength(q);
}

qint64 CsvLineSplitter::estimateShiftJisLength(QStringView text)
{
    qint64 length = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (QChar::isSurrogate(c))
            return 0;
        length += (c < 0x80 || isHalfWidthKatakana(c)) ? 1 : 2;
    }
    return length;
}

qsizetype CsvLineSplitter::estimateLineCount(QStringView text)
{
    // Branch-free counts so the compiler can vectorise the pass.
    qsizetype lineFeeds = 0;
    qsizetype returns = 0;
    qsizetype others = 0;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        lineFeeds += c == u'\n';
        returns += c == u'\r';
        others += (c == 0x85) | (c == 0x2028) | (c == 0x2029);
    }
    return std::max(lineFeeds, returns) + others + 1;
}
