#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// The files of a document package hold their archives as one Zstandard
// frame, or plain when the bulk of an archive, its row tables, is packed
// segment by segment already: a million-row list's archive is mostly
// repeated structure, and a fast compressor keeps the package smaller than
// the CSV it came from at a fraction of a second's cost. Readers take framed
// and plain archives alike.
class ArchiveCompression
{
public:
    static bool isCompressed(QByteArrayView data);
    // Empty on failure (out of memory).
    static QByteArray compress(QByteArrayView data);
    // The input is hostile: the output may not exceed maxBytes whatever the
    // frame declares, and a damaged or truncated frame fails.
    static bool decompress(QByteArrayView data, qint64 maxBytes, QByteArray *out, QString *error);

    // One frame on the calling thread, for data packed piece by piece (the
    // segments of a row table) on several threads at once. False when out
    // of memory.
    static bool packFrame(QByteArrayView data, QByteArray *frame);
    // Unpacks a hostile frame that must hold exactly out's size in bytes;
    // nothing is written past it, whatever the frame claims.
    static bool unpackFrame(QByteArrayView frame, QByteArray *out, QString *error);
    // The same into `size` bytes at `out`.
    static bool unpackFrame(QByteArrayView frame, char *out, qsizetype size, QString *error);
    // Unpacks one whole frame of exactly `size` bytes a piece at a time
    // into a small buffer that stays in cache, for a reader that only
    // needs to look at the bytes once; `piece` answers false to stop.
    static bool unpackFrameInPieces(QByteArrayView frame, qint64 size,
                                    const std::function<bool(QByteArrayView)> &piece, QString *error);
    // The size a frame says it unpacks to, without unpacking it; -1 unless
    // the bytes are exactly one frame that declares its size.
    static qint64 frameContentSize(QByteArrayView frame);
};
