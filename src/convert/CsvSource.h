#pragma once

#include <QByteArray>
#include <QString>

// A file an import reads: refused unless it is a regular file (a FIFO is
// never waited on, a device never read without end), then read in large
// pieces up to the size it had when opened.
class CsvSource
{
public:
    CsvSource() = default;
    ~CsvSource();
    CsvSource(const CsvSource &) = delete;
    CsvSource &operator=(const CsvSource &) = delete;

    // Why the path cannot be imported ("no such file", "is a folder", ...),
    // or an empty string for a regular file that could be opened.
    QString open(const QString &path);
    void close();

    qint64 size() const { return m_size; }
    // Appends up to `max` bytes to `out`; false on a read error. Nothing is
    // appended once `size()` bytes have been read.
    bool read(QByteArray &out, qint64 max);
    bool atEnd() const { return m_offset >= m_size; }
    qint64 offset() const { return m_offset; }
    bool rewind();
    const QString &errorString() const { return m_error; }

    // The refusal for a path that exists but is no regular file, or "" when
    // it is one or is missing (the open then names the cause).
    static QString kindRefusal(const QString &path);

private:
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_offset = 0;
    QString m_error;
};
