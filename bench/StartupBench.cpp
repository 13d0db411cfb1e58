// Whole-process start-up on the display the benchmark runs on (bench/run.sh gives it an X11
// display with a window manager): the program's real start-up sequence up to the launcher's
// first paint, against a bare widgets program that paints a window with the launcher's four
// captioned buttons (and, for a generated course, first reads the same folders). Runs
// alternate, medians of each. For the demo course a third, alternated run shows what the floor
// itself costs in the program's skin: the same bare window under the skin's style sheet.

#include "CourseGenerator.h"
#include "ProbeRun.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

namespace {

using ProbeRun::median;
using ProbeRun::Run;
using ProbeRun::runProcess;

void compareStartUp(benchmark::State& state, const QStringList& probeArguments,
                    const QStringList& bareArguments, const QStringList& skinnedArguments = {}) {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString ours = dir + QStringLiteral("/normakurs-startup-probe");
    const QString bare = dir + QStringLiteral("/bare-qt-probe");
    const int runs = int(state.range(0));
    std::vector<double> oursTimes, bareTimes, oursRss, bareRss, skinnedTimes, skinnedRss;
    bool allOk = true;
    for (auto _ : state) {
        runProcess(ours, probeArguments); // warm the file cache for both
        runProcess(bare, bareArguments);
        for (int i = 0; i < runs; ++i) {
            const Run a = runProcess(bare, bareArguments);
            const Run b = runProcess(ours, probeArguments);
            allOk = allOk && a.ok && b.ok;
            bareTimes.push_back(a.seconds);
            oursTimes.push_back(b.seconds);
            bareRss.push_back(a.maxRssMiB);
            oursRss.push_back(b.maxRssMiB);
            if (skinnedArguments.isEmpty())
                continue;
            const Run c = runProcess(bare, skinnedArguments);
            allOk = allOk && c.ok;
            skinnedTimes.push_back(c.seconds);
            skinnedRss.push_back(c.maxRssMiB);
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
    if (skinnedArguments.isEmpty())
        return;
    state.counters["skinned_bare_ms"] = median(skinnedTimes) * 1e3;
    state.counters["skinned_ratio"] = median(oursTimes) / median(skinnedTimes);
    state.counters["skinned_bare_rss_MiB"] = median(skinnedRss);
}

void StartUp_DemoCourse(benchmark::State& state) {
    const QString skin =
        QCoreApplication::applicationDirPath() + QStringLiteral("/Source/Skin/Deep/deep.qss");
    compareStartUp(state, {}, {}, {QStringLiteral("--skin"), skin});
}

void StartUp_Course40k(benchmark::State& state) {
    static QTemporaryDir programDir;
    static const int entries =
        CourseGenerator::writeCourse(programDir.filePath(QStringLiteral("Content")), 200, 100, 100);
    state.counters["entries"] = entries;
    compareStartUp(state, {programDir.path()},
                   {QStringLiteral("--walk"), programDir.filePath(QStringLiteral("Content"))});
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
