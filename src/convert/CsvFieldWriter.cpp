#include "CsvFieldWriter.h"

bool CsvFieldWriter::needsQuoting(QStringView field)
{
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        if (u == u',' || u == u'"' || u == u'\r' || u == u'\n')
            return true;
    }
    return false;
}

void CsvFieldWriter::appendField(QStringView field, bool firstOfLine)
{
    if (!firstOfLine)
        m_text.append(u',');
    m_fieldStarts.append(m_text.size());
    if (!needsQuoting(field)) {
        m_text.append(field);
        return;
    }
    m_text.append(u'"');
    qsizetype from = 0;
    for (qsizetype quote = field.indexOf(u'"'); quote >= 0; quote = field.indexOf(u'"', from)) {
        m_text.append(field.sliced(from, quote + 1 - from));
        m_text.append(u'"');
        from = quote + 1;
    }
    m_text.append(field.sliced(from));
    m_text.append(u'"');
}

void CsvFieldWriter::clear()
{
    // resize(0) rather than clear(): clear() would drop the allocation.
    m_text.resize(0);
    m_fieldStarts.resize(0);
}

void CsvFieldWriter::reserve(qsizetype characters)
{
    m_text.reserve(characters);
    // Cells of a typical list are about ten characters long.
    m_fieldStarts.reserve(characters / 8);
}
