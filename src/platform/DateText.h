#pragma once

#include <QDateTime>
#include <QString>

// The date text the model stores and shows: "YYYY-MM-DD HH:MM:SS ±HHMM",
// in local time with its offset from UTC (two hours ahead ends in +0200).
class DateText
{
public:
    static QString now();
    // An invalid date time gives the empty string.
    static QString fromDateTime(const QDateTime &dateTime);
};
