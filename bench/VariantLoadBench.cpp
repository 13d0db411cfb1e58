// P3: starting a test: reading the variant, loading it and filling the question list, for
// variants of 200, 2,000 and 20,000 questions.

#include "ContentPaths.h"
#include "CourseGenerator.h"
#include "PackedText.h"
#include "TextLines.h"
#include "Unit3.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <chrono>
#include <memory>

namespace {

// A testing window over a course of one subject holding one variant per size.
class StartFixture {
public:
    explicit StartFixture(const QList<int>& sizes) {
        ContentPaths::setProgramDir(m_dir.path());
        const QString content = ContentPaths::ContentDir();
        const QString tests = ContentPaths::testsDir(content, QStringLiteral("Предмет"));
        QDir().mkpath(tests);
        for (int size : sizes) {
            PackedText::SaveToStream(
                tests + QStringLiteral("/%1.txt").arg(size, 6, 10, QLatin1Char('0')),
                TextLines::fromEditorText(CourseGenerator::variantText(size)));
        }
        m_form = std::make_unique<TForm3>();
        m_form->makeControls();
        m_form->FormCreate();
        m_form->cbb1->setCurrentIndex(0);
        m_form->cbb1Select();
    }
    ~StartFixture() { ContentPaths::setProgramDir(QString()); }

    // Seconds for "Начать" on the variant at `index` (variants sorted by size).
    double start(int index) {
        m_form->edt1->setText(QStringLiteral("Студент"));
        m_form->edt2->setText(QStringLiteral("Группа"));
        m_form->cbb1->setCurrentIndex(0);
        m_form->cbb1Select();
        m_form->cbb2->setCurrentIndex(index);
        const auto begin = std::chrono::steady_clock::now();
        m_form->btn6Click();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        m_questions = m_form->lst1->count();
        m_form->btn8Click();
        return seconds;
    }
    int questions() const { return m_questions; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TForm3> m_form;
    int m_questions = 0;
};

void P3_StartVariant200(benchmark::State& state) {
    StartFixture fixture({200});
    double total = 0;
    for (auto _ : state) {
        const double seconds = fixture.start(0);
        total += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["questions"] = fixture.questions();
    state.counters["start_ms"] = total / double(state.iterations()) * 1e3;
}

// Linear growth: the time for 20,000 questions over the time for 2,000.
void P3_StartVariantGrowth(benchmark::State& state) {
    StartFixture fixture({2000, 20000});
    double small = 0;
    double large = 0;
    for (auto _ : state) {
        const double s = fixture.start(0);
        const double l = fixture.start(1);
        small += s;
        large += l;
        state.SetIterationTime(l);
    }
    const double n = double(state.iterations());
    state.counters["q2000_ms"] = small / n * 1e3;
    state.counters["q20000_ms"] = large / n * 1e3;
    state.counters["ratio"] = small > 0 ? large / small : 0;
}

} // namespace

BENCHMARK(P3_StartVariant200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(3);
BENCHMARK(P3_StartVariantGrowth)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3);
