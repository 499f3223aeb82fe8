#include "StorageTaskWorker.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/NotificationCenter.h"
#include "platform/RequestKey.h"
#include "tasks/ProgressReport.h"

using namespace Qt::StringLiterals;

StorageTaskWorker::StorageTaskWorker(const QString &classWords, const QString &stepName)
    : m_classWords(classWords)
    , m_stepName(stepName)
{
}

NotificationCenter &StorageTaskWorker::center() const
{
    return m_center ? *m_center : NotificationCenter::defaultCenter();
}

void StorageTaskWorker::indicatorAtStep(int step, double count, const QString &message)
{
    ErrorLog::guardedVoid(lcStorage(), m_classWords, u"indicatorAtStep", [&] {
        ProgressReport::post(center(), m_stepName, step, count, message);
    });
}

void StorageTaskWorker::registerCachesFolderID(const QVariantMap &task)
{
    m_cachesFolderID = task.value(RequestKey::cachesFolderID).toInt();
}

bool StorageTaskWorker::failWith(const QString &reason)
{
    m_failureReason = reason;
    return false;
}

bool StorageTaskWorker::registerText(QString &field, const QString &value)
{
    field = value.isEmpty() ? u""_s : value;
    return !value.isEmpty();
}
