#include "AvailableMemory.h"

#include <QByteArray>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>

qint64 AvailableMemory::bytes()
{
    qint64 available = -1;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        const QByteArray text = meminfo.read(64 * 1024);
        for (const QByteArray &line : text.split('\n')) {
            if (!line.startsWith("MemAvailable:"))
                continue;
            bool ok = false;
            const qint64 kib = line.mid(13).trimmed().split(' ').value(0).toLongLong(&ok);
            if (ok && kib > 0 && kib < (qint64(1) << 52))
                available = kib * 1024;
            break;
        }
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const qint64 cap = qint64(std::min<rlim_t>(limit.rlim_cur, rlim_t(1) << 62));
        available = available < 0 ? cap : std::min(available, cap);
    }
    return available > 0 ? available : (qint64(1) << 30);
}
