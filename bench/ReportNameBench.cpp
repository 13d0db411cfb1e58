// P5: saving a report when numbers 0 to 254 are taken for the name, against one plain listing
// of the same folder. P5 durable: what one report costs now that it is on the device when the
// save returns, against creating and writing the same bytes without waiting for the device.
// P5 attempt: keeping a 200-question test in progress after an answer, against writing the same
// bytes into a file without waiting for the device.

#include "PackedText.h"
#include "PairTiming.h"
#include "ReportFile.h"
#include "ReportText.h"
#include "SavedAttempt.h"
#include "Scoring.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

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

// A report as the testing window writes it, `questions` long.
QByteArray reportText(int questions) {
    TestAttempt attempt;
    attempt.StudentName = QStringLiteral("Иван Петров");
    attempt.GroupName = QStringLiteral("ИС-21");
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    for (int k = 0; k < questions; ++k) {
        attempt.AnswerKey.append("ABCDE"[k % 5]);
        attempt.Answers.append("ABCDE"[(k * 3) % 5]);
    }
    const QVector<bool> verdicts = Scoring::verdicts(attempt.AnswerKey, attempt.Answers);
    const QStringList lines = ReportText::lines(attempt, verdicts, QDateTime::currentDateTime(),
                                                QLocale(QLocale::Russian, QLocale::Russia));
    return TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

// The folder lies where reports lie: on a disk, not in memory (a tmpfs flushes for free).
void P5_DurableReport(benchmark::State& state) {
    QTemporaryDir dir(QDir::homePath() + QStringLiteral("/normakurs-bench-XXXXXX"));
    const QString reports = dir.filePath(QStringLiteral("reports"));
    const QString plain = dir.filePath(QStringLiteral("plain"));
    QDir().mkpath(reports);
    QDir().mkpath(plain);
    const QByteArray text = reportText(40);
    QByteArray packed;
    {
        QBuffer buffer(&packed);
        buffer.open(QIODevice::WriteOnly);
        PackedText::writeStream(buffer, text);
    }
    int round = 0;
    comparePair(
        state,
        [&] {
            const QString student = QStringLiteral("Студент %1").arg(round);
            benchmark::DoNotOptimize(ReportFile::saveNew(reports, student, text));
        },
        [&] {
            // Creating and writing the file as before, without the flushes; the packing is
            // left out, so the difference is the flushes and more.
            const QByteArray path =
                QFile::encodeName(plain + QStringLiteral("/Студент %1(0)").arg(round++));
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                benchmark::DoNotOptimize(::write(fd, packed.constData(), size_t(packed.size())));
                ::close(fd);
            }
        });
}

// Where the account keeps its state: on its home's disk (or the share it lies on).
void P5_KeepAttempt(benchmark::State& state) {
    QTemporaryDir dir(QDir::homePath() + QStringLiteral("/normakurs-bench-XXXXXX"));
    AttemptStore::setFolder(dir.filePath(QStringLiteral("state")));
    SavedAttempt attempt{QStringLiteral("/opt/normakurs/Content/"),
                         QStringLiteral("Иван Петров"),
                         QStringLiteral("ИС-21"),
                         QStringLiteral("Алгоритмы"),
                         QStringLiteral("Вариант 1.txt"),
                         QStringLiteral("2049:1234567:4096:1765000000.123456789"),
                         QByteArray(200, '\0'),
                         0};
    const QByteArray plain = QFile::encodeName(dir.filePath(QStringLiteral("plain")));
    const QByteArray bytes(400, 'x');
    comparePair(
        state,
        [&] {
            attempt.answers[attempt.current] = 'C';
            attempt.current = (attempt.current + 1) % 200;
            AttemptStore::save(attempt);
        },
        [&] {
            const int fd =
                ::open(plain.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd >= 0) {
                benchmark::DoNotOptimize(::write(fd, bytes.constData(), size_t(bytes.size())));
                ::close(fd);
            }
        });
    AttemptStore::setFolder(QString());
}

} // namespace

BENCHMARK(P5_KeepAttempt)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100)
    ->Repetitions(5);

BENCHMARK(P5_DurableReport)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100)
    ->Repetitions(5);

BENCHMARK(P5_ReportNameWith255Taken)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(3);
