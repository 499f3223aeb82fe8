#include "WritingForSearchObject.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "tasks/ProgressReport.h"

#include <QStringMatcher>

#include <vector>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Writing For Search Object"_s;

enum : int { kStepStart = 24402, kStepSearching = 24403, kStepNothingFound = 24406 };

// A keyword split once per criterion, each piece with a prepared matcher.
class WritingForSearchObject::Keyword
{
public:
    explicit Keyword(const QString &keyword)
    {
        if (keyword.isEmpty()) {
            m_matchable = false;
            return;
        }
        for (const QString &part : keyword.split(u',')) {
            for (const QString &piece : part.split(u' ')) {
                // One empty piece can never be found, so nothing matches.
                if (piece.isEmpty()) {
                    m_matchable = false;
                    m_matchers.clear();
                    return;
                }
                m_matchers.emplace_back(piece, Qt::CaseInsensitive);
            }
        }
    }

    bool matches(QStringView text) const
    {
        if (!m_matchable || text.isEmpty())
            return false;
        for (const QStringMatcher &matcher : m_matchers) {
            if (matcher.indexIn(text) < 0)
                return false;
        }
        return true;
    }

private:
    std::vector<QStringMatcher> m_matchers;
    bool m_matchable = true;
};

WritingForSearchObject::WritingForSearchObject() = default;

WritingForSearchObject::~WritingForSearchObject() = default;

void WritingForSearchObject::run(const QVariantMap &task)
{
    registerForSearchObject(task);
}

NotificationCenter &WritingForSearchObject::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

bool WritingForSearchObject::registerObjectArray(const RowList &rows)
{
    m_objectArray = rows;
    m_objectRows.clear();
    return !m_objectArray.isEmpty();
}

void WritingForSearchObject::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), NotificationName::notifIndicatorStepOfSearch, step, count, message);
    });
}

bool WritingForSearchObject::registerForSearchObject(const QVariantMap &task)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"registerForSearchObject", false, [&] {
        if (task.isEmpty())
            return false;
        m_cachesFolderID = task.value(RequestKey::cachesFolderID).toInt();

        const QVariant search = task.value(RequestKey::searchEditingSource);
        if (search.metaType() != QMetaType::fromType<SearchEditingSource>())
            return false;
        const SearchEditingSource source = search.value<SearchEditingSource>();
        if (!m_searchEditingSource.setTheEnvironmentalAtDecoder(&source))
            return false;
        const ListItemPtr list = task.value(RequestKey::listItemSource).value<ListItemPtr>();
        if (!m_listItem.setTheEnvironmentalAtDecoder(list.get()))
            return false;

        // All rows, not the preview count: the walks go over all rows, and a
        // snapshot taken while a search result is shown must not push the
        // progress past 100.
        m_itemsCount = qint64(m_listItem.rowCount())
                       * qint64(m_searchEditingSource.countOfItemsSearch());
        m_searchCount = 0.0;
        m_throttle = ProgressThrottle(m_itemsCount);

        indicatorAtStep(kStepStart, 0.0, m_searchEditingSource.searchObjectTitle());
        return makeSearchObject();
    });
}

bool WritingForSearchObject::makeSearchObject()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"makeSearchObject", false, [&] {
        const QList<ItemsSearch> criteria = m_searchEditingSource.itemsSearchArray();
        if (criteria.isEmpty())
            return false;
        const QString &title = m_searchEditingSource.searchObjectTitle();
        const RowList rows = m_listItem.tableItemObjectArray();

        for (const ItemsSearch &criterion : criteria) {
            indicatorAtStep(kStepSearching, m_searchCount, title);
            m_itemsSearch.setTheEnvironmentalAtDecoder(&criterion);
            const QString &category = m_itemsSearch.categoryString();
            const QString &keyword = m_itemsSearch.keywordString();
            if (m_itemsSearch.beginningSwitch()) {
                if (!rows.isEmpty())
                    addSearchCategory(category, keyword, rows);
            } else if (!m_objectArray.isEmpty()) {
                // Copies: the walk replaces the result it reads.
                const RowList result = m_objectArray;
                const QList<qsizetype> resultRows = m_objectRows;
                walkRows(Walk::Exclude, category, keyword, result, &resultRows);
            } else if (!rows.isEmpty()) {
                removeSearchCategory(category, keyword, rows);
            }
        }

        if (m_objectArray.isEmpty()) {
            indicatorAtStep(kStepNothingFound, 0.0, title);
            return false;
        }
        // The row numbers hold for the list the search read; "listRows" lets the
        // document tell whether its rows are still those.
        const QVariantMap result = {
            {RequestKey::cachesFolderID, m_cachesFolderID},
            {RequestKey::objectArray, QVariant::fromValue(m_objectArray)},
            {u"objectRows"_s, QVariant::fromValue(m_objectRows)},
            {u"listRows"_s, QVariant::fromValue(rows)},
        };
        center().post(NotificationName::developItemsSearchNotif, result);
        return true;
    });
}

bool WritingForSearchObject::addSearchCategory(const QString &category, const QString &keyword,
                                               const RowList &rows)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addSearchCategory", false,
                             [&] { return walkRows(Walk::Collect, category, keyword, rows, nullptr); });
}

bool WritingForSearchObject::removeSearchCategory(const QString &category, const QString &keyword,
                                                  const RowList &rows)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeSearchCategory", false,
                             [&] { return walkRows(Walk::Exclude, category, keyword, rows, nullptr); });
}

bool WritingForSearchObject::walkRows(Walk walk, const QString &category, const QString &keyword,
                                      const RowList &rows, const QList<qsizetype> *indices)
{
    const Keyword pieces(keyword);
    const QString message = category + u':' + keyword;
    // Single precision on purpose: the reported counts follow the float
    // quotient, added up in double.
    const float increment = m_itemsCount > 0 ? 100.0f / float(m_itemsCount) : 0.0f;

    RowList kept;
    QList<qsizetype> keptRows;
    const qsizetype count = rows.size();
    for (qsizetype index = 0; index < count; ++index) {
        m_searchCount += double(increment);
        if (m_throttle.visit(index + 1 == count))
            indicatorAtStep(kStepSearching, m_searchCount, message);
        const Row &row = rows.at(index);
        if (row.isEmpty())
            continue;
        const bool found = pieces.matches(row.cellText(category));
        const qsizetype listRow = indices ? indices->value(index, -1) : index;
        if (walk == Walk::Collect) {
            if (found) {
                m_objectArray.append(row);
                m_objectRows.append(listRow);
            }
        } else if (!found) {
            kept.append(row);
            keptRows.append(listRow);
        }
    }
    if (walk == Walk::Exclude) {
        m_objectArray = std::move(kept);
        m_objectRows = std::move(keptRows);
    }
    return true;
}

bool WritingForSearchObject::targetedString(QStringView text, const QString &keyword)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"targetedString", false,
                             [&] { return Keyword(keyword).matches(text); });
}
