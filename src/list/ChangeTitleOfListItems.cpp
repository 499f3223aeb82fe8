#include "ChangeTitleOfListItems.h"

#include "ProgressThrottle.h"
#include "RenamePlan.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "tasks/ProgressReport.h"

#include <algorithm>
#include <map>
#include "platform/NotificationName.h"
#include "platform/RequestKey.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Change Title Of List Items"_s;
static const QString kStepMessage = u" "_s;

enum : int { kStepEntry = 93601, kStepAccepted = 93602, kStepRewriting = 93603 };

namespace {

// Renames rows, working each schema's renames out once: rows that shared a
// schema before share the renamed one after, and their texts stay untouched.
class RowRenamer
{
public:
    explicit RowRenamer(const RenamePlan &plan) : m_plan(plan) {}

    void rename(Row &row)
    {
        const SchemaRename &renames = renamesFor(row);
        if (renames.literal) {
            // No memo: these rows are rebuilt, and a rebuilt schema, once
            // released, must not be mistaken for a later one at its address.
            for (const QString &oldTitle : m_plan.oldTitles())
                row.renameKey(oldTitle, m_plan.newTitle(oldTitle));
            return;
        }
        for (const Step &step : renames.steps)
            row.renameKey(step.from, step.to, step.memo);
    }

private:
    struct Step
    {
        QString from;
        QString to;
        Row::RenameMemo *memo = nullptr;
    };
    struct SchemaRename
    {
        RowSchema::Ptr source; // held so its address, the key, is not reused
        bool literal = false;
        QList<Step> steps;
    };

    const SchemaRename &renamesFor(const Row &row)
    {
        // Neighbouring rows mostly share their schema.
        const RowSchema::Ptr &schema = row.schema();
        const bool marked = row.hasIndication();
        if (m_last && m_lastSchema == schema.data() && m_lastMarked == marked)
            return *m_last;
        m_lastSchema = schema.data();
        m_lastMarked = marked;
        m_last = &planFor(schema, marked);
        return *m_last;
    }

    const SchemaRename &planFor(const RowSchema::Ptr &schema, bool marked)
    {
        // The mark counts as a title, so rows differing in it differ in plan.
        QHash<const RowSchema *, SchemaRename> &cache = m_cache[marked ? 1 : 0];
        const auto found = cache.constFind(schema.data());
        if (found != cache.cend())
            return *found;

        QSet<QString> present(schema->titles().cbegin(), schema->titles().cend());
        if (marked)
            present.insert(Row::kIndicationKey);
        SchemaRename renames;
        renames.source = schema;
        const RenamePlan::Outcome outcome = m_plan.resolve(present);
        renames.literal = outcome.literal;
        const QList<RenamePlan::Move> order = RenamePlan::inPlaceOrder(outcome.moves, present);
        // Moving the mark rebuilds the row, so its schemas are per row too.
        const bool memoFree = std::any_of(order.cbegin(), order.cend(), [](const RenamePlan::Move &move) {
            return move.first == Row::kIndicationKey || move.second == Row::kIndicationKey;
        });
        for (const RenamePlan::Move &move : order)
            renames.steps.append({move.first, move.second, memoFree ? nullptr : &m_memos[move]});
        return *cache.insert(schema.data(), renames);
    }

    const RenamePlan &m_plan;
    QHash<const RowSchema *, SchemaRename> m_cache[2];
    std::map<RenamePlan::Move, Row::RenameMemo> m_memos; // one per rename, stable addresses
    // QHash values move when it grows, so this is only valid until the next planFor().
    const SchemaRename *m_last = nullptr;
    const RowSchema *m_lastSchema = nullptr;
    bool m_lastMarked = false;
};

void renameWidths(const RenamePlan &plan, QVariantMap &widths)
{
    const QSet<QString> present(widths.keyBegin(), widths.keyEnd());
    const RenamePlan::Outcome outcome = plan.resolve(present);
    if (outcome.literal) {
        for (const QString &oldTitle : plan.oldTitles()) {
            const float width = widths.value(oldTitle, 0.0f).toFloat();
            widths.remove(oldTitle);
            widths.insert(plan.newTitle(oldTitle), width);
        }
        return;
    }
    QList<float> moved;
    moved.reserve(outcome.moves.size());
    for (const RenamePlan::Move &move : outcome.moves)
        moved.append(widths.take(move.first).toFloat());
    for (qsizetype i = 0; i < moved.size(); ++i)
        widths.insert(outcome.moves.at(i).second, moved.at(i));
    for (const QString &oldTitle : plan.oldTitles()) {
        const QString target = plan.finalTitle(oldTitle, present);
        if (present.contains(oldTitle)) {
            if (target == oldTitle) // renamed to itself: still stored as a float
                widths.insert(oldTitle, widths.value(oldTitle).toFloat());
        } else if (!widths.contains(target)) {
            // A renamed column without a width gets 0.0, but never in place
            // of a width that is there.
            widths.insert(target, 0.0f);
        }
    }
}

} // namespace

ChangeTitleOfListItems::ChangeTitleOfListItems() = default;

ChangeTitleOfListItems::~ChangeTitleOfListItems() = default;

void ChangeTitleOfListItems::run(const QVariantMap &task)
{
    cangeTitleOfListItemsObject(task);
}

NotificationCenter &ChangeTitleOfListItems::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

bool ChangeTitleOfListItems::registerEditCellTitlesDic(const QVariantMap &renames)
{
    m_editCellTitlesDic.clear();
    for (auto it = renames.cbegin(); it != renames.cend(); ++it)
        m_editCellTitlesDic.insert(it.key(), it.value().toString());
    return !m_editCellTitlesDic.isEmpty();
}

bool ChangeTitleOfListItems::registerTableItemObjectArray(const RowList &rows)
{
    m_tableItemObjectArray = rows;
    return !m_tableItemObjectArray.isEmpty();
}

bool ChangeTitleOfListItems::registerColumnTitlesWidthDic(const QVariantMap &widths)
{
    m_columnTitlesWidthDic = widths;
    return !m_columnTitlesWidthDic.isEmpty();
}

void ChangeTitleOfListItems::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), NotificationName::notifIndicatorStepOfChangeTitle, step, count, message);
    });
}

void ChangeTitleOfListItems::cangeTitleOfListItemsObject(const QVariantMap &request)
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"cangeTitleOfListItemsObject", [&] {
        indicatorAtStep(kStepEntry, 0.0, kStepMessage);
        if (request.isEmpty())
            return;
        m_cachesFolderID = request.value(RequestKey::cachesFolderID).toInt();

        if (!registerEditCellTitlesDic(request.value(u"editCellTitlesDic"_s).toMap()))
            return;
        if (!registerTableItemObjectArray(request.value(u"tableItemObjectArray"_s).value<RowList>()))
            return;
        indicatorAtStep(kStepAccepted, 0.0, kStepMessage);
        registerColumnTitlesWidthDic(request.value(u"columnTitlesWidthDic"_s).toMap());

        const RenamePlan plan(m_editCellTitlesDic);
        const qsizetype renameCount = plan.oldTitles().size();
        const qsizetype rowCount = m_tableItemObjectArray.size();
        ProgressThrottle throttle(qint64(renameCount) * qint64(rowCount));
        indicatorAtStep(kStepRewriting, 0.0, kStepMessage);

        // Detaches the list once; each row then detaches once, sharing its
        // texts with the caller's row. A row takes all its renames in the
        // first pass; the progress still counts one pass per rename.
        Row *rows = m_tableItemObjectArray.data();
        RowRenamer renamer(plan);
        const double visits = double(renameCount) * double(rowCount);
        for (qsizetype i = 1; i <= renameCount; ++i) {
            for (qsizetype j = 1; j <= rowCount; ++j) {
                if (i == 1)
                    renamer.rename(rows[j - 1]);
                if (throttle.visit())
                    indicatorAtStep(kStepRewriting, double(j) * double(i) / visits * 100.0,
                                    kStepMessage);
            }
        }
        renameWidths(plan, m_columnTitlesWidthDic);

        indicatorAtStep(kStepRewriting, 100.0, kStepMessage);
        const QVariantMap result = {
            {u"tableItemObjectArray"_s, QVariant::fromValue(m_tableItemObjectArray)},
            {u"columnTitlesWidthDic"_s, m_columnTitlesWidthDic},
        };
        center().post(NotificationName::developChangeTitleUnfoldNotif, result);
    });
}
