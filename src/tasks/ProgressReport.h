#pragma once

#include "platform/NotificationCenter.h"

#include <QString>
#include <QVariantMap>

// The payload every worker's step notification carries:
// {"step": int, "count": double 0..100 (0 = not measurable), "message": string}.
class ProgressReport
{
public:
    static QVariantMap payload(int step, double count, const QString &message)
    {
        return {{QStringLiteral("step"), step},
                {QStringLiteral("count"), count},
                {QStringLiteral("message"), message.isNull() ? QString(QLatin1String("")) : message}};
    }

    static void post(NotificationCenter &center, const QString &name, int step, double count,
                     const QString &message)
    {
        center.post(name, payload(step, count, message));
    }
};
