// The first pages in the textbook on a cold start, against a minimal program that makes one
// engine view and loads the same pages (both end at the page's load-finished). The click comes
// at once after the window appeared, or a second later, as a student who first looks for the
// topic. Fresh processes each time, alternated; medians.

#include "ProbeRun.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace {

using ProbeRun::median;
using ProbeRun::printedFigure;
using ProbeRun::runProcess;

// The first two pages of the first subject of the demo course, in the topic tree's order.
const QString kFirstPage = QStringLiteral("Content/Алгоритмы/01_Понятие_алгоритма.html");
const QString kSecondPage = QStringLiteral("Content/Алгоритмы/02_Блок-схемы.html");

void comparePages(benchmark::State& state) {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString ours = dir + QStringLiteral("/normakurs-page-probe");
    const QString floor = dir + QStringLiteral("/engine-floor-probe");
    const QString delay = QString::number(state.range(0));
    const QStringList floorArguments{delay, dir + QLatin1Char('/') + kFirstPage,
                                     dir + QLatin1Char('/') + kSecondPage};
    const int runs = int(state.range(1));
    std::vector<double> oursFirst, oursSecond, floorFirst, floorSecond;
    bool allOk = true;
    for (auto _ : state) {
        runProcess(ours, {delay}, false); // warm the file cache for both
        runProcess(floor, floorArguments, false);
        for (int i = 0; i < runs; ++i) {
            const auto a =
                i % 2 ? runProcess(ours, {delay}, false) : runProcess(floor, floorArguments, false);
            const auto b =
                i % 2 ? runProcess(floor, floorArguments, false) : runProcess(ours, {delay}, false);
            const auto& o = i % 2 ? a : b;
            const auto& f = i % 2 ? b : a;
            allOk = allOk && o.ok && f.ok;
            oursFirst.push_back(printedFigure(o.printed, "first_ms"));
            oursSecond.push_back(printedFigure(o.printed, "second_ms"));
            floorFirst.push_back(printedFigure(f.printed, "first_ms"));
            floorSecond.push_back(printedFigure(f.printed, "second_ms"));
        }
        state.SetIterationTime(median(oursFirst) / 1e3);
    }
    if (!allOk)
        state.SkipWithError("a probe did not exit cleanly");
    state.counters["ours_first_ms"] = median(oursFirst);
    state.counters["floor_first_ms"] = median(floorFirst);
    state.counters["first_ratio"] = median(oursFirst) / median(floorFirst);
    state.counters["ours_second_ms"] = median(oursSecond);
    state.counters["floor_second_ms"] = median(floorSecond);
    state.counters["second_ratio"] = median(oursSecond) / median(floorSecond);
}

} // namespace

BENCHMARK(comparePages)
    ->Name("FirstPage_ClickAtOnce")
    ->Args({0, 6})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(comparePages)
    ->Name("FirstPage_ClickAfter1s")
    ->Args({1000, 6})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
