#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Appends CSV fields to one reused text buffer and remembers where each field
// starts, so that a piece of the buffer can later be traced back to the
// fields it holds. A field holding a comma, a double quote, CR or LF is
// quoted (wrapped in double quotes, inner quotes doubled); any other field is
// appended exactly as it is.
class CsvFieldWriter
{
public:
    // Appends the field, preceded by "," unless it is the first of its line.
    void appendField(QStringView field, bool firstOfLine);
    // Appends text that is no field: a line break, which starts a new line.
    void appendText(QStringView text) { m_text.append(text); }

    static bool needsQuoting(QStringView field);

    const QString &text() const { return m_text; }
    qsizetype size() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    // Field starts in text(), in order; a field reaches to the next start (the
    // separators and line breaks between are ASCII and belong to no field).
    const QList<qsizetype> &fieldStarts() const { return m_fieldStarts; }

    // Empties the text and the field starts, keeping their capacity.
    void clear();
    void reserve(qsizetype characters);

private:
    QString m_text;
    QList<qsizetype> m_fieldStarts;
};
