#pragma once

#include "ArchiveArray.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>
#include <QStringList>

#include <memory>
#include <vector>

class ArchiveDocument;

// An array of same-titled dictionaries stored as one block: the titles once,
// an optional column of marks (one 32-bit number a row, under its own title),
// and every text cell as UTF-8 in one buffer addressed by offsets. A million
// rows then read with a handful of allocations instead of tens of millions.
// Cells with attribute runs travel beside the block as (cell index,
// attributed text) pairs in an ordinary array.
//
// Block layout, little-endian 32-bit numbers:
//   version, row count, title count, mark title length + UTF-8,
//   each title: length + UTF-8,
//   marks (row count of them, only with a mark title),
//   cell offsets (rows * titles + 1, from 0 up to the text length),
//   the text.
class ArchiveRowTable
{
public:
    // What the reader checked of a block, in offsets from its start.
    struct Layout
    {
        quint32 rows = 0;
        quint32 columns = 0;
        QString markTitle; // empty: the rows carry no mark
        QStringList titles;
        qint64 marksAt = 0;
        qint64 offsetsAt = 0;
        qint64 textAt = 0;
        qint64 textLength = 0;
    };

    class Writer
    {
    public:
        Writer(const QString &markTitle, const QStringList &titles, qsizetype rows);
        // cells holds one text per title.
        void addRow(quint32 mark, const QStringView *cells);
        // False once the cells or the text no longer fit 32-bit offsets.
        bool fits() const { return m_fits; }
        QByteArray finish();

    private:
        QString m_markTitle;
        QStringList m_titles;
        std::vector<quint32> m_marks;
        std::vector<quint32> m_offsets;
        QByteArray m_text;
        QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
        quint32 m_rows = 0;
        bool m_fits = true;
    };

    // Checks every length, offset and character boundary of a hostile block
    // against the row count declared beside it; a failure names the fault.
    static bool readLayout(QByteArrayView block, quint64 rows, Layout *layout, QString *error);

    ArchiveRowTable() = default;

    bool isValid() const { return m_layout != nullptr; }
    qsizetype rowCount() const { return m_layout ? qsizetype(m_layout->rows) : 0; }
    const QStringList &titles() const;
    const QString &markTitle() const;
    quint32 markAt(qsizetype row) const;
    // The UTF-8 bytes of a cell; valid while this view lives.
    QByteArrayView cellAt(qsizetype row, qsizetype column) const;
    // The (cell index, attributed text) pairs of the cells with runs.
    ArchiveArray styledCells() const;
    void fail(const QString &reason) const;

private:
    friend class ArchiveDecoder;
    friend class ArchiveDocument;
    ArchiveRowTable(std::shared_ptr<ArchiveDocument> document, quint32 node);

    std::shared_ptr<ArchiveDocument> m_document;
    quint32 m_node = 0;
    const Layout *m_layout = nullptr;
    const char *m_block = nullptr;
};
