#include "CsvUtf8Writer.h"

#include "CsvFieldWriter.h"

#include <QChar>

void CsvUtf8Writer::appendField(QStringView field, bool firstOfLine)
{
    if (!firstOfLine)
        m_bytes.append(',');
    const bool quoted = CsvFieldWriter::needsQuoting(field);
    if (quoted)
        m_bytes.append('"');
    if (appendEncoded(field, quoted))
        ++m_replacedFields;
    if (quoted)
        m_bytes.append('"');
}

bool CsvUtf8Writer::appendEncoded(QStringView field, bool quoted)
{
    // At most three bytes per UTF-16 unit (a pair makes four from two), and
    // two per unit when every one is a doubled quote.
    const qsizetype start = m_bytes.size();
    m_bytes.resize(start + 3 * field.size());
    char *out = m_bytes.data() + start;
    const char16_t *p = field.utf16();
    const char16_t *const end = p + field.size();
    bool replaced = false;
    while (p < end) {
        const char16_t c = *p++;
        if (c < 0x80) {
            *out++ = char(c);
            if (quoted && c == u'"')
                *out++ = '"';
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            const char32_t u = QChar::surrogateToUcs4(c, *p++);
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else {
            *out++ = '?';
            replaced = true;
        }
    }
    m_bytes.resize(out - m_bytes.constData());
    return replaced;
}
