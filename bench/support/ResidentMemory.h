#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>

#include <malloc.h>
#include <unistd.h>

// Resident memory of this process in MB (2^20 bytes), after handing memory
// that is free again back to the system, so that only what is held counts.
inline double residentMegabytes()
{
    malloc_trim(0);
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return double(fields.value(1).toLongLong()) * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}
