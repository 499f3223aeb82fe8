#pragma once

#include "Row.h"
#include "tasks/TaskWorker.h"

#include <QMap>
#include <QString>
#include <QVariantMap>

class NotificationCenter;

// Carries column renames (task 264) into every row of a list and into its
// width table, on a private copy, and delivers the rewritten rows and widths
// as "developChangeTitleUnfoldNotif". Renames that meet (A->B with B->Z)
// move every value at once instead of overwriting B's (see RenamePlan).
// Rows sharing titles before a rename share the renamed titles after it;
// cell texts are never copied.
class ChangeTitleOfListItems : public TaskWorker
{
public:
    ChangeTitleOfListItems();
    ~ChangeTitleOfListItems() override;

    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // The whole change; a request without renames or rows ends quietly.
    void cangeTitleOfListItemsObject(const QVariantMap &request);

    // Posts "notifIndicatorStepOfChangeTitle".
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }
    void registerCachesFolderID(qint32 identifier) { m_cachesFolderID = identifier; }
    // Old title -> new title; values are taken as strings.
    const QMap<QString, QString> &editCellTitlesDic() const { return m_editCellTitlesDic; }
    bool registerEditCellTitlesDic(const QVariantMap &renames);
    const RowList &tableItemObjectArray() const { return m_tableItemObjectArray; }
    bool registerTableItemObjectArray(const RowList &rows);
    // Title -> width (float).
    const QVariantMap &columnTitlesWidthDic() const { return m_columnTitlesWidthDic; }
    bool registerColumnTitlesWidthDic(const QVariantMap &widths);

private:
    NotificationCenter &center() const;

    qint32 m_cachesFolderID = 0;
    QMap<QString, QString> m_editCellTitlesDic;
    RowList m_tableItemObjectArray;
    QVariantMap m_columnTitlesWidthDic;
    NotificationCenter *m_center = nullptr;
};
