#pragma once

#include <QtGlobal>

// How much memory the process may still use, for readers that must refuse a
// file before building it. Reads MemAvailable from /proc/meminfo (and the
// address-space limit, when one is set); falls back to 1 GiB when neither
// can be read.
class AvailableMemory
{
public:
    static qint64 bytes();
};
