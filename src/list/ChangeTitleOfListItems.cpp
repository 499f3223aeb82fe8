#include "ChangeTitleOfListItems.h"

#include "ProgressThrottle.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"

using namespace Qt::StringLiterals;

static const QString kClassWords = u"Change Title Of List Items"_s;
static const QString kStepNotification = u"notifIndicatorStepOfChangeTitle"_s;
static const QString kResultNotification = u"developChangeTitleUnfoldNotif"_s;
static const QString kStepMessage = u" "_s;

enum : int { kStepEntry = 93601, kStepAccepted = 93602, kStepRewriting = 93603 };

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
        const QVariantMap report = {
            {u"step"_s, step},
            {u"count"_s, count},
            {u"message"_s, message.isNull() ? u""_s : message},
        };
        center().post(kStepNotification, report);
    });
}

void ChangeTitleOfListItems::cangeTitleOfListItemsObject(const QVariantMap &request)
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"cangeTitleOfListItemsObject", [&] {
        indicatorAtStep(kStepEntry, 0.0, kStepMessage);
        if (request.isEmpty())
            return;
        m_cachesFolderID = request.value(u"cachesFolderID"_s).toInt();

        if (!registerEditCellTitlesDic(request.value(u"editCellTitlesDic"_s).toMap()))
            return;
        if (!registerTableItemObjectArray(request.value(u"tableItemObjectArray"_s).value<RowList>()))
            return;
        indicatorAtStep(kStepAccepted, 0.0, kStepMessage);
        registerColumnTitlesWidthDic(request.value(u"columnTitlesWidthDic"_s).toMap());

        const QList<QString> oldTitles = m_editCellTitlesDic.keys();
        const qsizetype renameCount = oldTitles.size();
        const qsizetype rowCount = m_tableItemObjectArray.size();
        ProgressThrottle throttle(qint64(renameCount) * qint64(rowCount));
        indicatorAtStep(kStepRewriting, 0.0, kStepMessage);

        // Detaches the list once; each row then detaches on its first rename
        // only, sharing its texts with the caller's row.
        Row *rows = m_tableItemObjectArray.data();
        const double visits = double(renameCount) * double(rowCount);
        for (qsizetype i = 1; i <= renameCount; ++i) {
            const QString &oldTitle = oldTitles.at(i - 1);
            const QString newTitle = m_editCellTitlesDic.value(oldTitle);
            Row::RenameMemo memo;
            for (qsizetype j = 1; j <= rowCount; ++j) {
                // A row without the old title keeps its cells as they are.
                rows[j - 1].renameKey(oldTitle, newTitle, &memo);
                if (throttle.visit())
                    indicatorAtStep(kStepRewriting, double(j) * double(i) / visits * 100.0,
                                    kStepMessage);
            }
            const float width = m_columnTitlesWidthDic.value(oldTitle, 0.0f).toFloat();
            m_columnTitlesWidthDic.remove(oldTitle);
            m_columnTitlesWidthDic.insert(newTitle, width);
        }

        indicatorAtStep(kStepRewriting, 100.0, kStepMessage);
        const QVariantMap result = {
            {u"tableItemObjectArray"_s, QVariant::fromValue(m_tableItemObjectArray)},
            {u"columnTitlesWidthDic"_s, m_columnTitlesWidthDic},
        };
        center().post(kResultNotification, result);
    });
}
