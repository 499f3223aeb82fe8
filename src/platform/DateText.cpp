#include "DateText.h"

QString DateText::now()
{
    return fromDateTime(QDateTime::currentDateTime());
}

QString DateText::fromDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return QStringLiteral("");
    const QDateTime local = dateTime.toLocalTime();
    const int offsetSeconds = local.offsetFromUtc();
    const int offsetMinutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
    const QChar sign = offsetSeconds < 0 ? u'-' : u'+';
    return local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + sign
        + QStringLiteral("%1%2")
              .arg(offsetMinutes / 60, 2, 10, QChar(u'0'))
              .arg(offsetMinutes % 60, 2, 10, QChar(u'0'));
}
