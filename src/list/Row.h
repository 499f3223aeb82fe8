#pragma once

#include "RowSchema.h"
#include "platform/AttributedText.h"

#include <QExplicitlySharedDataPointer>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

class ArchiveArray;
class ArchiveDecoder;
class ArchiveEncoder;
class RowBlock;
class RowBlockBuilder;
class RowData;

// One row of a list: a dictionary keyed by column title, stored compactly.
// "NSRIndication" holds the row's mark (a number); every other title holds an
// attributed text ("NSROption" the row's option text, the rest cell texts).
//
// All cell texts of a row live in one UTF-16 buffer, the titles in a schema
// shared by every row with the same titles, and attribute runs only where a
// cell has non-default attributes. Copies share everything until written
// (copy-on-write), so copying a million rows copies a million pointers.
// Rows made by a RowBlockBuilder keep that buffer inside a block shared with
// other rows instead.
class Row
{
public:
    static inline const QString kIndicationKey = QStringLiteral("NSRIndication");
    static inline const QString kOptionKey = QStringLiteral("NSROption");

    Row();
    Row(const Row &other);
    Row(Row &&other) noexcept;
    Row &operator=(const Row &other);
    Row &operator=(Row &&other) noexcept;
    ~Row();

    // A row of the given cells in schema order, every attribute default.
    static Row fromTexts(const RowSchema::Ptr &schema, const QList<QStringView> &texts,
                         quint32 indication = 0, bool hasIndication = true);

    // Dictionary behaviour.
    bool isEmpty() const;
    qsizetype keyCount() const;
    QStringList keys() const; // "NSRIndication" first when present, then the cells
    bool contains(QStringView key) const;
    QVariant value(QStringView key) const; // uint, AttributedText, or invalid
    void setValue(const QString &key, const QVariant &value);
    bool remove(QStringView key);
    // Moves the value under `from` to `to` (replacing any value there).
    // Renaming many rows the same way: pass one memo for the whole run so
    // rows that shared a schema before share the renamed one after, and the
    // cell texts are not copied at all.
    // The memo holds each old schema as well, so that its address cannot be
    // reused by another schema while the memo still maps it.
    using RenameMemo = QHash<const RowSchema *, std::pair<RowSchema::Ptr, RowSchema::Ptr>>;
    bool renameKey(QStringView from, const QString &to, RenameMemo *memo = nullptr);

    bool hasIndication() const;
    quint32 indication() const;
    void setIndication(quint32 mark);

    AttributedText option() const { return cell(kOptionKey); }
    void setOption(const AttributedText &text) { setCell(kOptionKey, text); }

    // An empty text when the title is absent.
    AttributedText cell(QStringView title) const;
    // The plain text without a copy; valid until this row is changed or destroyed.
    QStringView cellText(QStringView title) const;
    void setCell(const QString &title, const AttributedText &value);

    const RowSchema::Ptr &schema() const;
    // False when every cell has the default attributes; cheaper than asking
    // each cell.
    bool hasAttributeRuns() const;
    QStringView cellTextAt(qsizetype index) const; // by schema position
    // Cache hints for loops over many rows, so that their misses overlap:
    // prefetch() some rows ahead, then prefetchCellText() once that has had
    // time to arrive, then read the cell.
    void prefetch() const;
    void prefetchCellText(qsizetype index) const;
    AttributedText cellAt(qsizetype index) const;

    QVariantMap toVariantMap() const;
    static Row fromVariantMap(const QVariantMap &map);

    // Archived as a dictionary: "NSRIndication" an int, every cell an attributed text.
    void encodeWithCoder(ArchiveEncoder &coder, QStringView key) const;
    // Rows in sequence usually share their titles; passing the previous row's
    // schema lets them share it in memory too.
    static Row decode(const ArchiveDecoder &dictionary, const RowSchema::Ptr &previousSchema);

    // Bytes a row built by a RowBlockBuilder costs beside its block, for
    // readers that budget memory before building many rows.
    static qsizetype storageOverhead();

    friend bool operator==(const Row &a, const Row &b);
    friend bool operator!=(const Row &a, const Row &b) { return !(a == b); }

private:
    friend class RowBlockBuilder;

    explicit Row(RowData *data);
    // The buffer layout: `count` cells' end offsets, padded to `schemaSize`
    // with empty cells, then the texts. Narrow offsets take one unit each,
    // and serve rows whose text is at most 65535 units (isNarrow).
    static bool isNarrow(qsizetype textUnits);
    static qsizetype layoutUnits(qsizetype schemaSize, qsizetype textUnits);
    static void writeLayout(char16_t *out, const QStringView *cells, qsizetype count, qsizetype schemaSize,
                            bool narrow);
    // The same from valid UTF-8 cells; answers the text's length in units.
    // `out` has room for the offsets and one unit per byte, and narrow
    // offsets only where the bytes are few enough.
    static qsizetype writeUtf8Layout(char16_t *out, const QByteArrayView *cells, qsizetype count,
                                     qsizetype schemaSize, bool narrow);
    // The units a row's shared data takes at the front of its stretch of a block.
    static qsizetype placedDataUnits();
    // Constructs the row's shared data at `slot`, inside `block`.
    static Row inBlock(RowSchema::Ptr schema, QExplicitlySharedDataPointer<const RowBlock> block,
                       char16_t *slot, const char16_t *base, bool narrow, quint32 indication,
                       bool hasIndication);
    void detach();
    void rebuild(const RowSchema::Ptr &schema, const QList<AttributedText> &cells);
    QList<AttributedText> cells() const;

    QExplicitlySharedDataPointer<RowData> d;
};

using RowList = QList<Row>;

Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(RowList)
