#include "ListColumns.h"

#include "Row.h"

namespace {
constexpr qsizetype kItemIDPosition = 2;

QVariantMap floatValuesOnly(const QVariantMap &map)
{
    QVariantMap result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const int type = it.value().typeId();
        if (type == QMetaType::Float || type == QMetaType::Double || type == QMetaType::Int
            || type == QMetaType::UInt || type == QMetaType::LongLong || type == QMetaType::ULongLong) {
            result.insert(it.key(), QVariant(it.value().toFloat()));
        }
    }
    return result;
}
} // namespace

bool ListColumns::makeTitlesDic()
{
    if (m_titles.isEmpty())
        return false;
    for (qsizetype n = 0; n < m_titles.size(); ++n)
        addTitleToDic(m_titles.at(n), qint32(n));
    return true;
}

bool ListColumns::addTitleToDic(const QString &title, qint32 columnNumber)
{
    if (title.isEmpty() || columnNumber < 0)
        return false;
    m_titlesDic.insert(QStringLiteral("Columns%1").arg(columnNumber), title);
    return true;
}

// Widths are single-precision numbers wherever they come from.
void ListColumns::setWidths(const QVariantMap &widths)
{
    m_widths = floatValuesOnly(widths);
}

void ListColumns::setWidth(float width, const QString &title)
{
    if (!title.isEmpty())
        m_widths.insert(title, QVariant(width));
}

std::optional<float> ListColumns::replaceWidth(const QString &title, float width)
{
    std::optional<float> old;
    const auto it = m_widths.constFind(title);
    if (it != m_widths.cend())
        old = it.value().toFloat();
    setWidth(width, title);
    return old;
}

void ListColumns::clear()
{
    m_titles.clear();
    m_titlesDic.clear();
    m_widths.clear();
}

QStringList ListColumns::selectTitles() const
{
    QStringList titles;
    titles.reserve(m_titles.size());
    for (const QString &title : m_titles) {
        if (title != Row::kIndicationKey && title != Row::kOptionKey)
            titles.append(title);
    }
    return titles;
}

QString ListColumns::itemIDTitle() const
{
    return m_titles.size() > kItemIDPosition ? m_titles.at(kItemIDPosition) : QString();
}

QStringView ListColumns::itemIDOfRow(const Row &row) const
{
    if (m_titles.size() <= kItemIDPosition)
        return {};
    return row.cellText(m_titles.at(kItemIDPosition));
}

QString ListColumns::sortTitle(const QString &key) const
{
    const auto column = m_titlesDic.constFind(key);
    if (column != m_titlesDic.cend() && key.startsWith(u"Columns"))
        return column.value().toString();
    return key;
}

bool ListColumns::reorder(const QStringList &titles)
{
    QStringList sortedOld = m_titles;
    QStringList sortedNew = titles;
    sortedOld.sort();
    sortedNew.sort();
    // Only a reordering: no title may appear or vanish this way.
    if (sortedOld != sortedNew)
        return false;
    m_titles = titles;
    m_titlesDic.clear();
    makeTitlesDic();
    return true;
}

std::optional<QString> ListColumns::retitle(qsizetype column, const QString &title)
{
    if (!contains(column) || title.isEmpty())
        return std::nullopt;
    const QString old = m_titles.at(column);
    if (old == title || m_titles.contains(title) || old == Row::kIndicationKey || old == Row::kOptionKey
        || title == Row::kIndicationKey || title == Row::kOptionKey)
        return std::nullopt;
    m_titles[column] = title;
    for (auto it = m_titlesDic.begin(); it != m_titlesDic.end(); ++it) {
        if (it.value().toString() == old)
            it.value() = title;
    }
    const auto width = m_widths.constFind(old);
    if (width != m_widths.cend()) {
        const QVariant value = width.value();
        m_widths.remove(old);
        m_widths.insert(title, value);
    }
    return old;
}
