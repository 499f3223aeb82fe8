#pragma once

#include <QVariantMap>

// One background job. A fresh worker is made for every task, runs once on the
// task's own thread and is destroyed when run() returns or throws. Workers
// report progress by posting step notifications, never by touching the
// progress model.
class TaskWorker
{
public:
    virtual ~TaskWorker() = default;
    virtual void run(const QVariantMap &task) = 0;
};
