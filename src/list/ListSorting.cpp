#include "ListSorting.h"

#include "platform/HugePageMemory.h"
#include "ListItem.h"
#include "ListRowStore.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <system_error>
#include <thread>

namespace {

// A row's first eight UTF-16 units as two integers whose order never
// contradicts the text order: a smaller key is a smaller text, equal keys
// leave the texts to be compared in full. Descending sorts store the keys
// inverted, so every sort runs ascending by key, then by position.
struct Key
{
    quint64 high;
    quint64 low;
    quint32 position;
};

// A cell's text by pointer and length: trivially constructible, so a million
// of them are allocated without being written twice.
struct Text
{
    const QChar *data;
    qsizetype size;
};

// Below this the second thread costs more than it saves.
constexpr qsizetype kTwoCoresFrom = 50000;
// How many rows ahead of the one read its cell text is asked for; the row's
// data is asked for twice as far ahead, so that it is there by then.
constexpr qsizetype kAhead = 16;
constexpr quint32 kClamped = 0xffff;

char16_t foldedUnit(char16_t unit)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
    const char32_t folded = QChar::toCaseFolded(char32_t(unit));
    return folded > 0xffff ? char16_t(kClamped) : char16_t(folded);
}

// Four units read as one integer, the first in the top bits.
quint64 fourUnits(const char16_t *units)
{
    quint64 word = qFromLittleEndian<quint64>(units);
    word = (word >> 32) | (word << 32);
    return ((word >> 16) & 0x0000ffff0000ffffull) | ((word & 0x0000ffff0000ffffull) << 16);
}

// Folds four ASCII units at once: adds 0x20 to the lanes from 'A' to 'Z'.
quint64 foldedAscii(quint64 word)
{
    const quint64 fromA = word + 0x003f003f003f003full; // bit 7 set from 'A' on
    const quint64 pastZ = word + 0x0025002500250025ull; // bit 7 set past 'Z'
    return word + (((fromA & ~pastZ) & 0x0080008000800080ull) >> 2);
}

// Case-insensitive comparison folds every unit on its own except a low
// surrogate after a high one, which stands for the whole folded code point,
// above every BMP unit. Such a unit and every one after it pack as 0xffff:
// no key order is then wrong, and texts tied there are compared in full.
void packFolded(const char16_t *units, qsizetype size, quint64 words[2])
{
    bool clamped = false;
    for (qsizetype i = 0; i < 8; ++i) {
        quint32 value = 0;
        if (clamped) {
            value = kClamped;
        } else if (i < size) {
            if (QChar::isLowSurrogate(units[i]) && i > 0 && QChar::isHighSurrogate(units[i - 1]))
                value = kClamped;
            else
                value = foldedUnit(units[i]);
            clamped = value == kClamped;
        }
        words[i / 4] = (words[i / 4] << 16) | value;
    }
}

void packText(QStringView text, Qt::CaseSensitivity cs, bool ascending, Key &key)
{
    char16_t padded[8] = {};
    const char16_t *units = text.utf16();
    if (text.size() < 8) {
        std::copy_n(units, text.size(), padded);
        units = padded;
    }
    quint64 words[2] = {fourUnits(units), fourUnits(units + 4)};
    if (cs == Qt::CaseInsensitive) {
        if (((words[0] | words[1]) & 0xff80ff80ff80ff80ull) == 0) {
            words[0] = foldedAscii(words[0]);
            words[1] = foldedAscii(words[1]);
        } else {
            words[0] = words[1] = 0;
            packFolded(units, std::min<qsizetype>(text.size(), 8), words);
        }
    }
    key.high = ascending ? words[0] : ~words[0];
    key.low = ascending ? words[1] : ~words[1];
}

// How two rows compare once their keys are known; a strict total order, so
// any sort by it is the stable sort by text.
class Order
{
public:
    Order(const Text *texts, Qt::CaseSensitivity cs, bool ascending)
        : m_texts(texts), m_cs(cs), m_ascending(ascending)
    {
    }

    // Within a run of equal `high`.
    bool lessInRun(const Key &a, const Key &b) const
    {
        if (a.low != b.low)
            return a.low < b.low;
        if (m_texts) {
            const Text &ta = m_texts[a.position];
            const Text &tb = m_texts[b.position];
            const int order = QStringView(ta.data, ta.size).compare(QStringView(tb.data, tb.size), m_cs);
            if (order != 0)
                return m_ascending ? order < 0 : order > 0;
        }
        return a.position < b.position;
    }

    bool operator()(const Key &a, const Key &b) const
    {
        if (a.high != b.high)
            return a.high < b.high;
        return lessInRun(a, b);
    }

    bool comparesTexts() const { return m_texts != nullptr; }

private:
    const Text *m_texts;
    Qt::CaseSensitivity m_cs;
    bool m_ascending;
};

// Sorts keys[0, count) by Order, with `scratch` as room for as many; answers
// where the result lies (one of the two). Stable radix passes on the bytes
// of `high` that differ, then a comparison sort inside runs of equal `high`,
// which already stand in position order.
Key *sortPart(Key *keys, Key *scratch, qsizetype count, const Order &order)
{
    std::array<std::array<qsizetype, 256>, 8> counts{};
    for (qsizetype i = 0; i < count; ++i) {
        const quint64 high = keys[i].high;
        for (int digit = 0; digit < 8; ++digit)
            ++counts[size_t(digit)][(high >> (8 * digit)) & 0xff];
    }
    Key *from = keys;
    Key *to = scratch;
    for (int digit = 0; digit < 8; ++digit) {
        std::array<qsizetype, 256> &starts = counts[size_t(digit)];
        if (std::find(starts.begin(), starts.end(), count) != starts.end())
            continue; // every key has the same byte here
        qsizetype start = 0;
        for (qsizetype &bucket : starts)
            start += std::exchange(bucket, start);
        const int shift = 8 * digit;
        for (qsizetype i = 0; i < count; ++i)
            to[starts[(from[i].high >> shift) & 0xff]++] = from[i];
        std::swap(from, to);
    }

    for (qsizetype first = 0; first < count;) {
        qsizetype last = first + 1;
        while (last < count && from[last].high == from[first].high)
            ++last;
        if (last - first > 1 && (order.comparesTexts() || from[first].low != from[last - 1].low)) {
            const auto less = [&order](const Key &a, const Key &b) { return order.lessInRun(a, b); };
            if (last - first <= 16) {
                for (qsizetype i = first + 1; i < last; ++i) {
                    const Key key = from[i];
                    qsizetype j = i;
                    for (; j > first && less(key, from[j - 1]); --j)
                        from[j] = from[j - 1];
                    from[j] = key;
                }
            } else {
                std::sort(from + first, from + last, less);
            }
        }
        first = last;
    }
    return from;
}

// Writes the positions of the merge of a and b, from output index `begin`
// until `end`, given that a[0, i) and b[0, j) with i + j == begin come first.
void mergePositions(const Key *a, qsizetype aCount, qsizetype i, const Key *b, qsizetype bCount, qsizetype j,
                    qsizetype begin, qsizetype end, const Order &order, qsizetype *out)
{
    for (qsizetype k = begin; k < end; ++k) {
        if (j >= bCount || (i < aCount && order(a[i], b[j])))
            out[k] = a[i++].position;
        else
            out[k] = b[j++].position;
    }
}

// How many of the first `k` merged keys come from a.
qsizetype splitOfMerge(const Key *a, qsizetype aCount, const Key *b, qsizetype bCount, qsizetype k,
                       const Order &order)
{
    qsizetype low = std::max<qsizetype>(0, k - bCount);
    qsizetype high = std::min(k, aCount);
    while (low < high) {
        const qsizetype i = low + (high - low) / 2;
        if (order(a[i], b[k - i - 1]))
            low = i + 1;
        else
            high = i;
    }
    return low;
}

// Runs work(0) and work(1), on two cores when `parallel` and a thread can be
// had. The work must not throw.
template<class Work>
void onBothCores(bool parallel, const Work &work)
{
    std::thread second;
    if (parallel) {
        try {
            second = std::thread([&work] { work(1); });
        } catch (const std::system_error &) {
        }
    }
    work(0);
    if (second.joinable())
        second.join();
    else
        work(1);
}

} // namespace

QList<qsizetype> ListSorting::sortedOrder(const ListRowStore &store, const QString &title,
                                          const ListSortDescriptor &descriptor)
{
    const qsizetype count = store.previewCount();
    if (count == 0 || title.isEmpty() || count > qsizetype(std::numeric_limits<quint32>::max()))
        return {};
    const bool byMark = title == Row::kIndicationKey;
    const bool ascending = descriptor.ascending;
    const Qt::CaseSensitivity cs = descriptor.caseSensitivity;
    const bool parallel = count >= kTwoCoresFrom && std::thread::hardware_concurrency() >= 2;

    // Allocated here, so that a failure throws on the calling thread; the
    // pages are first touched by the thread that fills them.
    const HugePageMemory keyMemory(size_t(count) * sizeof(Key));
    const HugePageMemory scratchMemory(size_t(count) * sizeof(Key));
    const HugePageMemory textMemory(byMark ? 0 : size_t(count) * sizeof(Text));
    Key *const keys = keyMemory.as<Key>();
    Key *const scratch = scratchMemory.as<Key>();
    Text *const texts = byMark ? nullptr : textMemory.as<Text>();
    const Order order(texts, cs, ascending);
    const Row *rows = store.rows().constData();
    const qsizetype *shown = store.showsSearchResult() ? store.searchRows().constData() : nullptr;
    const qsizetype half = count / 2;
    const qsizetype partBegin[3] = {0, half, count};
    Key *sorted[2] = {nullptr, nullptr};

    onBothCores(parallel, [&](int part) {
        const qsizetype begin = partBegin[part];
        const qsizetype end = partBegin[part + 1];
        const RowSchema *schema = nullptr;
        qsizetype column = -1;
        const auto rowAt = [rows, shown](qsizetype i) -> const Row & { return rows[shown ? shown[i] : i]; };
        if (byMark) {
            for (qsizetype i = begin; i < end; ++i) {
                if (i + kAhead < end)
                    rowAt(i + kAhead).prefetch();
                const quint64 mark = rowAt(i).indication();
                keys[size_t(i)] = {ascending ? mark : ~mark, 0, quint32(i)};
            }
        } else {
            for (qsizetype i = begin; i < end; ++i) {
                if (i + 2 * kAhead < end)
                    rowAt(i + 2 * kAhead).prefetch();
                if (i + kAhead < end)
                    rowAt(i + kAhead).prefetchCellText(column);
                const Row &row = rowAt(i);
                if (row.schema().data() != schema) {
                    schema = row.schema().data();
                    column = schema->indexOf(title);
                }
                const QStringView text = row.cellTextAt(column);
                texts[size_t(i)] = {text.data(), text.size()};
                Key &key = keys[size_t(i)];
                key.position = quint32(i);
                packText(text, cs, ascending, key);
            }
        }
        sorted[part] = sortPart(keys + begin, scratch + begin, end - begin, order);
    });

    QList<qsizetype> result;
    result.reserve(count);
    HugePageMemory::advise(result.data(), size_t(count) * sizeof(qsizetype));
    result.resize(count);
    const Key *a = sorted[0];
    const Key *b = sorted[1];
    const qsizetype aCount = half;
    const qsizetype bCount = count - half;
    // Each core writes one half of the order.
    const qsizetype aInFirstHalf = splitOfMerge(a, aCount, b, bCount, half, order);
    qsizetype *out = result.data();
    onBothCores(parallel, [&](int part) {
        if (part == 0)
            mergePositions(a, aCount, 0, b, bCount, 0, 0, half, order, out);
        else
            mergePositions(a, aCount, aInFirstHalf, b, bCount, half - aInFirstHalf, half, count, order, out);
    });
    return result;
}
