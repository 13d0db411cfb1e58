// P5: saving a report when numbers 0 to 254 are taken for the name, against one plain listing
// of the same folder.

#include "content/PackedText.h"
#include "PairTiming.h"
#include "testing/ReportFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <dirent.h>

namespace {

int listOnce(const QByteArray& folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (::readdir(dir))
            ++count;
        ::closedir(dir);
    }
    return count;
}

void P5_ReportNameWith255Taken(benchmark::State& state) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QString student = QStringLiteral("Иван Петров");
    const QByteArray text("report");
    for (int n = 0; n < 255; ++n)
        PackedText::SaveToStream(folder + QLatin1Char('/') + ReportFile::reportName(student, n),
                                 text);
    const QByteArray nativeFolder = QFile::encodeName(folder);
    ReportFile::SaveStats stats;
    QString written;
    double oursTotal = 0;
    double baseTotal = 0;
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(listOnce(nativeFolder));
        const auto t1 = Clock::now();
        stats = {};
        written = ReportFile::saveNew(folder, student, text, &stats);
        const auto t2 = Clock::now();
        QFile::remove(written); // not timed: the next save must find 255 free again
        const double ours = std::chrono::duration<double>(t2 - t1).count();
        oursTotal += ours;
        baseTotal += std::chrono::duration<double>(t1 - t0).count();
        state.SetIterationTime(ours);
    }
    state.counters["ours_us"] = oursTotal / double(state.iterations()) * 1e6;
    state.counters["base_us"] = baseTotal / double(state.iterations()) * 1e6;
    state.counters["ratio"] = oursTotal / baseTotal;
    state.counters["fs_calls"] = stats.listings + stats.createAttempts;
    state.counters["number"] = written.endsWith(QStringLiteral("(255)")) ? 255 : -1;
}

} // namespace

BENCHMARK(P5_ReportNameWith255Taken)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(3);
