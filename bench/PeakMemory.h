#pragma once

#include <QByteArray>
#include <QFile>

#include <cstdio>

// Prints the peak resident memory of this process (its own, not the spawning parent's) for the
// start-up benchmark, which reads it from the pipe.
inline void printPeakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            std::fprintf(stdout, "%s\n", line.constData());
    }
    std::fflush(stdout);
}
