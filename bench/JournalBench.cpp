// P6: loading the results journal of 10,000 reports in 20 subjects, against reading and
// inflating the same files with zlib in one loop.

#include "ContentPaths.h"
#include "PackedText.h"
#include "PairTiming.h"
#include "ReportJournal.h"
#include "ReportText.h"
#include "Scoring.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

constexpr int kSubjects = 20;
constexpr int kReportsPerSubject = 500;

class JournalFixture {
public:
    JournalFixture() {
        m_content = m_dir.filePath(QStringLiteral("Content")) + QLatin1Char('/');
        const QLocale russian(QLocale::Russian, QLocale::Russia);
        for (int s = 0; s < kSubjects; ++s) {
            const QString subject = QStringLiteral("Предмет %1").arg(s + 1);
            const QString folder = ContentPaths::reportsDir(m_content, subject);
            QDir().mkpath(folder);
            for (int r = 0; r < kReportsPerSubject; ++r) {
                TestAttempt attempt;
                attempt.StudentName = QStringLiteral("Студент %1").arg(r / 2);
                attempt.GroupName = QStringLiteral("Группа %1").arg(r % 7);
                attempt.SubjectName = subject;
                attempt.VariantName = QStringLiteral("Вариант %1.txt").arg(r % 5 + 1);
                const int questions = 10 + r % 21;
                attempt.AnswerKey = QByteArray(questions, 'A');
                attempt.Answers = attempt.AnswerKey;
                for (int q = 0; q < questions; q += 1 + (r + q) % 3)
                    attempt.Answers[q] = 'B';
                const QStringList lines = ReportText::lines(
                    attempt, Scoring::verdicts(attempt.AnswerKey, attempt.Answers),
                    QDateTime(QDate(2014, 3, 5), QTime(9, 7, r % 60)), russian);
                const QString path = folder + QLatin1Char('/') + attempt.StudentName +
                                     QStringLiteral("(%1)").arg(r % 2);
                PackedText::SaveToStream(
                    path,
                    TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')));
                m_paths.push_back(QFile::encodeName(path).toStdString());
            }
        }
    }

    int loadJournal() const { return int(ReportJournal::load(m_content).rows.size()); }

    // The plainest read of the same files: open, read, inflate, close, one after the other.
    size_t inflateAll() const {
        size_t bytes = 0;
        std::vector<unsigned char> input(64 * 1024);
        std::vector<unsigned char> output(64 * 1024);
        for (const std::string& path : m_paths) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            const ssize_t got = ::read(fd, input.data(), input.size());
            ::close(fd);
            z_stream stream{};
            inflateInit(&stream);
            stream.next_in = input.data();
            stream.avail_in = got > 0 ? uInt(got) : 0;
            stream.next_out = output.data();
            stream.avail_out = uInt(output.size());
            inflate(&stream, Z_FINISH);
            bytes += stream.total_out;
            inflateEnd(&stream);
        }
        return bytes;
    }

    size_t files() const { return m_paths.size(); }

private:
    QTemporaryDir m_dir;
    QString m_content;
    std::vector<std::string> m_paths;
};

void P6_LoadJournal(benchmark::State& state) {
    static JournalFixture fixture;
    comparePair(
        state, [&] { benchmark::DoNotOptimize(fixture.loadJournal()); },
        [&] { benchmark::DoNotOptimize(fixture.inflateAll()); });
    state.counters["reports"] = double(fixture.files());
}

} // namespace

BENCHMARK(P6_LoadJournal)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(5);
