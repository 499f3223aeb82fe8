#include "ListSorting.h"

#include "ListItem.h"
#include "ListRowStore.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {
// A sort key: the first eight UTF-16 units packed so that integer order is
// code-unit order, which settles nearly every comparison without touching
// the text (short texts of a few letters share four-unit prefixes often).
struct Key
{
    quint64 prefix = 0;
    quint64 more = 0;
    quint32 position = 0;
    bool exact = true; // the prefix was folded exactly as the full comparison folds
};

quint64 packUnits(QStringView text, qsizetype from, Qt::CaseSensitivity cs, bool *exact)
{
    quint64 packed = 0;
    for (qsizetype i = from; i < from + 4; ++i) {
        char16_t unit = i < text.size() ? text.at(i).unicode() : 0;
        if (cs == Qt::CaseInsensitive && unit) {
            if (QChar::isSurrogate(unit))
                *exact = false;
            else
                unit = QChar::toCaseFolded(unit);
        }
        packed = (packed << 16) | unit;
    }
    return packed;
}

// Sorts each half on its own core, then merges: the comparison is a strict
// total order (ties fall back to the position), so the result is the same as
// one stable sort.
template<class Less>
void sortOnBothCores(std::vector<Key> &keys, Less less)
{
    const size_t half = keys.size() / 2;
    if (keys.size() < 50000 || std::thread::hardware_concurrency() < 2) {
        std::sort(keys.begin(), keys.end(), less);
        return;
    }
    std::thread first([&] { std::sort(keys.begin(), keys.begin() + qsizetype(half), less); });
    std::sort(keys.begin() + qsizetype(half), keys.end(), less);
    first.join();
    std::inplace_merge(keys.begin(), keys.begin() + qsizetype(half), keys.end(), less);
}
} // namespace

QList<qsizetype> ListSorting::sortedOrder(const ListRowStore &store, const QString &title,
                                          const ListSortDescriptor &descriptor)
{
    const qsizetype count = store.previewCount();
    if (count == 0 || title.isEmpty() || count > qsizetype(std::numeric_limits<quint32>::max()))
        return {};
    std::vector<Key> keys(static_cast<size_t>(count));
    const bool ascending = descriptor.ascending;

    if (title == Row::kIndicationKey) {
        for (qsizetype i = 0; i < count; ++i)
            keys[size_t(i)] = {store.rowAt(store.previewRowAt(i)).indication(), 0, quint32(i), true};
        sortOnBothCores(keys, [ascending](const Key &a, const Key &b) {
            if (a.prefix != b.prefix)
                return ascending ? a.prefix < b.prefix : b.prefix < a.prefix;
            return a.position < b.position;
        });
    } else {
        // Views into the store's rows: the store outlives the sort.
        std::vector<QStringView> texts(static_cast<size_t>(count));
        const RowSchema *schema = nullptr;
        qsizetype column = -1;
        const Qt::CaseSensitivity cs = descriptor.caseSensitivity;
        for (qsizetype i = 0; i < count; ++i) {
            const Row &row = store.rowAt(store.previewRowAt(i));
            if (row.schema().data() != schema) {
                schema = row.schema().data();
                column = schema->indexOf(title);
            }
            texts[size_t(i)] = row.cellTextAt(column);
            Key &key = keys[size_t(i)];
            key.position = quint32(i);
            key.exact = true;
            key.prefix = packUnits(texts[size_t(i)], 0, cs, &key.exact);
            key.more = packUnits(texts[size_t(i)], 4, cs, &key.exact);
        }
        sortOnBothCores(keys, [&texts, cs, ascending](const Key &a, const Key &b) {
            int order = 0;
            if (a.exact && b.exact && (a.prefix != b.prefix || a.more != b.more))
                order = a.prefix != b.prefix ? (a.prefix < b.prefix ? -1 : 1) : (a.more < b.more ? -1 : 1);
            else
                order = texts[a.position].compare(texts[b.position], cs);
            if (order != 0)
                return ascending ? order < 0 : order > 0;
            return a.position < b.position;
        });
    }

    QList<qsizetype> order(count);
    for (qsizetype i = 0; i < count; ++i)
        order[i] = keys[size_t(i)].position;
    return order;
}
