#pragma once

#include <QByteArray>
#include <QStringView>

// Appends CSV fields straight to UTF-8 bytes, quoting as CsvFieldWriter
// does, so that a UTF-8 export never builds an intermediate text. A lone
// surrogate, which UTF-8 cannot hold, is written as "?" and its field counted.
class CsvUtf8Writer
{
public:
    void appendField(QStringView field, bool firstOfLine);
    void appendAscii(const char *text, qsizetype length) { m_bytes.append(text, length); }

    const QByteArray &bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }
    // Fields written with a replacement since the writer was made.
    qsizetype replacedFields() const { return m_replacedFields; }

    // Empties the bytes, keeping their capacity.
    void clear() { m_bytes.resize(0); }
    void reserve(qsizetype bytes) { m_bytes.reserve(bytes); }

private:
    // Appends the field's UTF-8 bytes, each quote doubled when `quoted`;
    // answers whether a character had to be replaced.
    bool appendEncoded(QStringView field, bool quoted);

    QByteArray m_bytes;
    qsizetype m_replacedFields = 0;
};
