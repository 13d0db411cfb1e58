// P4: listing a large course into the windows' trees and lists, against a raw walk over the
// same folders with std::filesystem.

#include "ContentPaths.h"
#include "CourseGenerator.h"
#include "PairTiming.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The four listings of start-up: the textbook's three trees, the testing window's subject list
// and the teacher's report tree. Every name the windows show, read the plainest way: no sorting, no
// filtering beyond "is it a folder", no widgets.
size_t rawWalk(const fs::path& content) {
    std::vector<std::string> names;
    std::vector<fs::path> subjects;
    for (const fs::directory_entry& entry : fs::directory_iterator(content)) {
        if (entry.is_directory()) {
            subjects.push_back(entry.path());
            names.push_back(entry.path().filename().string());
        }
    }
    const char* sub[] = {"", "Презентации", "Видео", "Тесты/Отчеты"};
    for (const fs::path& subject : subjects) {
        for (const char* folder : sub) {
            std::error_code error;
            for (fs::directory_iterator it(subject / folder, error), end; !error && it != end;
                 it.increment(error))
                names.push_back(it->path().filename().string());
        }
    }
    return names.size();
}

class CourseFixture {
public:
    CourseFixture() {
        m_entries =
            CourseGenerator::writeCourse(m_dir.filePath(QStringLiteral("Content")), 200, 100, 100);
        ContentPaths::setProgramDir(m_dir.path());
        m_textbook = std::make_unique<TForm2>();
        m_testing = std::make_unique<TForm3>();
        m_teacher = std::make_unique<TForm5>();
        // The windows as a user has seen them: their controls made.
        for (Form* window :
             {static_cast<Form*>(m_textbook.get()), static_cast<Form*>(m_testing.get()),
              static_cast<Form*>(m_teacher.get())})
            window->makeControls();
        m_textbook->FormCreate();
    }
    ~CourseFixture() { ContentPaths::setProgramDir(QString()); }

    void listIntoWindows() {
        m_textbook->btn6Click(); // the textbook's three trees, as "Обновить" refills them
        m_testing->cbb1->clear();
        m_testing->FormCreate(); // the subject list
        m_teacher->tv1->clear();
        m_teacher->FormCreate(); // the report tree
    }
    size_t walk() {
        return rawWalk(fs::path(QFile::encodeName(m_dir.filePath("Content")).toStdString()));
    }
    int entries() const { return m_entries; }

private:
    QTemporaryDir m_dir;
    int m_entries = 0;
    std::unique_ptr<TForm2> m_textbook;
    std::unique_ptr<TForm3> m_testing;
    std::unique_ptr<TForm5> m_teacher;
};

void P4_ListCourseIntoTrees(benchmark::State& state) {
    static CourseFixture fixture;
    comparePair(
        state, [&] { fixture.listIntoWindows(); },
        [&] { benchmark::DoNotOptimize(fixture.walk()); });
    state.counters["entries"] = fixture.entries();
    state.counters["walked"] = double(fixture.walk());
}

} // namespace

BENCHMARK(P4_ListCourseIntoTrees)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3);
