#pragma once

// Runs a probe program as a child process and reads what it printed: the benchmarks that
// measure whole processes (start-up, first pages) share it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ProbeRun {

struct Run {
    double seconds = 0;
    double maxRssMiB = 0;
    bool ok = false;
    QByteArray printed;
};

inline Run runProcess(const QString& program, const QStringList& arguments, bool needsPeak = true) {
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> storage{path};
    for (const QString& argument : arguments)
        storage.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    Run run;
    int out[2];
    if (::pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // The probes' own chatter (platform notes) is not part of the table.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, path.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    QByteArray printed;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, n);
    ::close(out[0]);
    if (spawned != 0)
        return run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The child's own peak, as it printed it: the kernel's figure for a spawned child also
    // counts the parent's pages from before the new program replaced them.
    const qsizetype at = printed.indexOf("VmHWM:");
    if (at >= 0)
        run.maxRssMiB = printed.mid(at + 6).trimmed().split(' ').first().toDouble() / 1024.0;
    run.printed = printed;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && (at >= 0 || !needsPeak);
    return run;
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The number printed after `key=` ("first_ms=12.5"), or -1.
inline double printedFigure(const QByteArray& printed, const QByteArray& key) {
    const qsizetype at = printed.indexOf(key + '=');
    if (at < 0)
        return -1;
    return printed.mid(at + key.size() + 1).split(' ').first().trimmed().toDouble();
}

} // namespace ProbeRun
