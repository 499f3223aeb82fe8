#pragma once

#include "CsvTitles.h"
#include "list/Row.h"
#include "platform/TextEncoding.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <optional>

class CsvSource;
class RowBlockBuilder;

// One pass over a CSV file in one encoding. The file is read once, in large
// pieces cut after a line feed; where no record can span two pieces (plain
// fields in a stateless encoding) the pieces are decoded, split and built
// into rows on several threads, otherwise one after the other. Memory is
// counted as rows are built and the pass stops once the extrapolated total
// exceeds the budget.
class CsvChunkImport
{
public:
    enum class Outcome { Done, WrongEncoding, Cancelled, OverBudget, ReadError };

    struct Rejection
    {
        QString text;          // the fields run together, or the raw record of an open quote
        qsizetype fields = 0;
        qint64 line = 0;       // 1-based, where the record starts
        bool unterminated = false;
    };

    struct Settings
    {
        TextEncoding encoding = TextEncoding::Utf8;
        bool quoted = false;
        qint64 memoryBudget = 0;
        const std::atomic_bool *keepGoing = nullptr;
        // Called on the calling thread with the bytes consumed so far.
        std::function<void(qint64)> progress;
        int threads = 2;
        qint64 pieceBytes = qint64(4) << 20;
    };

    CsvChunkImport(CsvSource &source, const Settings &settings);
    ~CsvChunkImport();

    Outcome run();

    // After Done. No titles when the file held no complete first record.
    const std::optional<CsvTitles> &titles() const { return m_titles; }
    RowList takeRows();
    QList<Rejection> takeRejections();
    // Per column, the longest field of any data row (short rows included).
    const QList<qsizetype> &longestFields() const { return m_longest; }
    bool sawCarriageReturn() const { return m_sawCr; }
    bool sawEightBitByte() const { return m_sawEightBit; }
    bool sawEscapeSequence() const { return m_sawEscape; }
    // After OverBudget: the memory the whole file would need, estimated.
    qint64 neededMemory() const { return m_needed; }
    // After ReadError.
    const QString &errorString() const { return m_error; }

private:
    struct Piece
    {
        qint64 index = 0;
        QByteArray bytes;
        bool first = false;
        bool last = false;
    };
    struct PieceResult
    {
        RowList rows;
        QList<Rejection> rejections;
        QList<qsizetype> longest;
        qint64 lines = 0;
        qint64 bytes = 0;
    };
    struct Worker;

    bool nextPiece(Piece &piece, qint64 pieceBytes);
    bool decode(const Piece &piece, QString &text);
    void scanBytes(const QByteArray &bytes);
    // Splits text into records; stops before an open quote unless `last`.
    // Answers where the unconsumed rest starts.
    qsizetype parse(QStringView text, bool last, Worker &worker, PieceResult &result);
    void makeTitles(const QList<QStringView> &fields);
    Outcome runSequential(Worker &worker);
    Outcome runParallel(Worker &worker);
    void workLoop(Worker &worker, bool reports);
    bool store(PieceResult &&result, qint64 index, qint64 memory);
    bool keepGoing() const;
    void fail(Outcome outcome);
    void merge();

    CsvSource &m_source;
    Settings m_settings;

    QMutex m_mutex; // guards everything below up to m_results
    QByteArray m_carry;
    qint64 m_nextIndex = 0;
    qint64 m_consumed = 0;
    qint64 m_used = 0;
    std::optional<Outcome> m_failure;
    std::map<qint64, PieceResult> m_results;

    std::atomic_bool m_stop{false};
    std::optional<CsvTitles> m_titles;
    RowSchema::Ptr m_schema;
    RowList m_rows;
    QList<Rejection> m_rejections;
    QList<qsizetype> m_longest;
    bool m_sawCr = false;
    bool m_sawEightBit = false;
    bool m_sawEscape = false;
    qint64 m_needed = 0;
    QString m_error;
};
