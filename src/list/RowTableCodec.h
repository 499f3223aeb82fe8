#pragma once

#include "Row.h"

#include <QStringView>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;
class ArchiveRowTable;
class DeferredRows;

// Stores the rows of a list under one key of a keyed archive. Rows that
// share their titles and the presence of a mark (every imported list) go
// into one row table; any other list is written one dictionary per row, and
// both forms read back the same.
class RowTableCodec
{
public:
    static void encode(const RowList &rows, ArchiveEncoder &coder, QStringView key);
    // Absent rows read as none; damaged rows fail the archive and answer
    // false. Rows read from a row table come as empty slots and the
    // DeferredRows that builds them on first use.
    static bool decode(const ArchiveDecoder &coder, QStringView key, RowList *rows,
                       std::unique_ptr<DeferredRows> *deferred);

private:
    static bool fitsOneTable(const RowList &rows);
    static bool encodeTable(const RowList &rows, ArchiveEncoder &coder, QStringView key);
    static bool decodeTable(const ArchiveRowTable &table, RowList *rows, std::unique_ptr<DeferredRows> *deferred);
    static bool decodeDictionaries(const ArchiveDecoder &coder, QStringView key, RowList *rows);
};
