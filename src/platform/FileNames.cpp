#include "FileNames.h"

using namespace Qt::StringLiterals;

bool FileNames::isSafeName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || u == u'/' || u == u'\\' || (u >= 0x80 && u < 0xa0))
            return false;
    }
    return true;
}

QString FileNames::transientName(const QString &name, QStringView kind, QStringView suffix)
{
    return u"."_s + name + u'.' + kind.toString() + u'-' + suffix.toString();
}
