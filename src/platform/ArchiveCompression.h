#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The files of a document package hold their archives as one Zstandard
// frame: a million-row list's archive is mostly repeated structure, and a
// fast compressor keeps the package smaller than the CSV it came from at a
// fraction of a second's cost. Readers take framed and plain archives alike.
class ArchiveCompression
{
public:
    static bool isCompressed(QByteArrayView data);
    // Empty on failure (out of memory).
    static QByteArray compress(QByteArrayView data);
    // The input is hostile: the output may not exceed maxBytes whatever the
    // frame declares, and a damaged or truncated frame fails.
    static bool decompress(QByteArrayView data, qint64 maxBytes, QByteArray *out, QString *error);
};
