// Whole-process start-up: the program's real start-up sequence up to the launcher's first paint,
// against a bare widgets program that paints one empty window. Runs alternate, medians of each.

#include "CourseGenerator.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double maxRssMiB = 0;
    bool ok = false;
};

Run runProcess(const QString& program, const QStringList& arguments) {
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
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && at >= 0;
    return run;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void compareStartUp(benchmark::State& state, const QStringList& probeArguments) {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString ours = dir + QStringLiteral("/normakurs-startup-probe");
    const QString bare = dir + QStringLiteral("/bare-qt-probe");
    const int runs = int(state.range(0));
    std::vector<double> oursTimes, bareTimes, oursRss, bareRss;
    bool allOk = true;
    for (auto _ : state) {
        runProcess(ours, probeArguments); // warm the file cache for both
        runProcess(bare, {});
        for (int i = 0; i < runs; ++i) {
            const Run a = runProcess(bare, {});
            const Run b = runProcess(ours, probeArguments);
            allOk = allOk && a.ok && b.ok;
            bareTimes.push_back(a.seconds);
            oursTimes.push_back(b.seconds);
            bareRss.push_back(a.maxRssMiB);
            oursRss.push_back(b.maxRssMiB);
        }
        state.SetIterationTime(median(oursTimes));
    }
    if (!allOk)
        state.SkipWithError("a probe did not exit cleanly");
    state.counters["ours_ms"] = median(oursTimes) * 1e3;
    state.counters["bare_ms"] = median(bareTimes) * 1e3;
    state.counters["ratio"] = median(oursTimes) / median(bareTimes);
    state.counters["ours_rss_MiB"] = median(oursRss);
    state.counters["bare_rss_MiB"] = median(bareRss);
    state.counters["rss_ratio"] = median(oursRss) / median(bareRss);
}

void StartUp_DemoCourse(benchmark::State& state) {
    compareStartUp(state, {});
}

void StartUp_Course40k(benchmark::State& state) {
    static QTemporaryDir programDir;
    static const int entries =
        CourseGenerator::writeCourse(programDir.filePath(QStringLiteral("Content")), 200, 100, 100);
    state.counters["entries"] = entries;
    compareStartUp(state, {programDir.path()});
}

} // namespace

BENCHMARK(StartUp_DemoCourse)
    ->Arg(10)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StartUp_Course40k)
    ->Arg(10)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
