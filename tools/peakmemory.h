#pragma once

#include <QByteArray>
#include <QFile>

// The process's peak resident memory in KiB (VmHWM of /proc/self/status),
// or -1 where that cannot be read.
inline long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
