// The program's windows over hostile content trees (HostileTrees). The five windows are made,
// each lists what it can (the ordinary subject with its page, variant and report always, and
// every entry whose name can be shown), a test is taken from the ordinary variant and its report
// saved and read back in the report review, and the other entries are tried. Named pipes named
// like a variant, a document or a report are refused at once: a watch would open each pipe's
// other end after a while to free a window that waits on it, and a test that needed that fails.

#include "CodePage.h"
#include "ContentPaths.h"
#include "HostileTrees.h"
#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "support/KeeperInThisProcess.h"
#include "support/ProgramTestSupport.h"
#include "support/WindowFixture.h"
#include "TextbookTree.h"
#include "TextLines.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <QTreeWidget>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace Reliability;
using HostileTrees::Kind;

Q_DECLARE_METATYPE(HostileTrees::Kind)

namespace {

const QString kStudent = QStringLiteral("Пётр Сидоров");
const QString kGroup = QStringLiteral("ИС-21");
// How many of a crowded list's entries are tried beyond the expected ones.
constexpr int kTried = 5;

// After `seconds`, opens the writing end of each pipe without waiting: that succeeds only when
// somebody is blocked opening it for reading, and frees them. How often that happened is the
// number of hangs the watch ended.
class PipeWatch {
public:
    PipeWatch(const QStringList& pipes, int seconds)
        : m_thread([this, pipes, seconds] { run(pipes, seconds); }) {}
    ~PipeWatch() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    int released() const { return m_released; }

private:
    void run(const QStringList& pipes, int seconds) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_stop; }))
            return;
        while (!m_stop) {
            for (const QString& pipe : pipes) {
                const int fd =
                    ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ++m_released;
                    ::close(fd);
                }
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; });
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::atomic<int> m_released{0};
    std::thread m_thread;
};

QString shown(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

QStringList topLevel(const QTreeWidget* tree) {
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0);
    return names;
}

QTreeWidgetItem* branch(const QTreeWidget* tree, const QString& subject) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0) == subject)
            return tree->topLevelItem(i);
    }
    return nullptr;
}

QStringList childNames(const QTreeWidget* tree, const QString& subject) {
    QStringList names;
    if (const QTreeWidgetItem* node = branch(tree, subject)) {
        for (int i = 0; i < node->childCount(); ++i)
            names << node->child(i)->text(0);
    }
    return names;
}

QStringList items(const QComboBox* box) {
    QStringList names;
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    return names;
}

// Names of `wanted` that `listed` lacks, and names of `never` that it has.
QString listingProblem(const QStringList& listed, const QStringList& wanted,
                       const QStringList& never) {
    QStringList problems;
    for (const QString& name : wanted) {
        if (!listed.contains(name))
            problems << QStringLiteral("missing ") + shown(name);
    }
    for (const QString& name : never) {
        if (listed.contains(name))
            problems << QStringLiteral("lists ") + shown(name);
    }
    return problems.join(QStringLiteral(", "));
}

} // namespace

class TestHostileWindows : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void windows_data();
    void windows();
    void programStarts_data();
    void programStarts();

private:
    void checkTextbook(const HostileTrees::Expected& expected);
    void takeTest(const QString& subject, const QString& variant, bool mustStart);
    void checkTesting(const HostileTrees::Expected& expected);
    void openReport(const QString& subject, const QString& report, const QString& text);
    void checkTeacher(const HostileTrees::Expected& expected);
    void refusePipes(const HostileTrees::Expected& expected);

    std::unique_ptr<QTemporaryDir> m_outside;
    KeeperInThisProcess m_keeper;
    int m_reportsSaved = 0;
};

void TestHostileWindows::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestHostileWindows::cleanup() {
    stopFixture();
    m_outside.reset();
}

void TestHostileWindows::windows_data() {
    QTest::addColumn<Kind>("kind");
    for (const auto& [name, kind] : HostileTrees::all())
        QTest::newRow(qPrintable(name)) << kind;
}

void TestHostileWindows::windows() {
    QFETCH(Kind, kind);

    m_outside = std::make_unique<QTemporaryDir>();
    QVERIFY(startFixture() && m_outside->isValid());
    // Taken apart after the windows, before the tree goes: some entries need more than a
    // removal of the folder.
    atStop([this] { HostileTrees::removeAll(m_content->programDir()); });
    const HostileTrees::Expected expected =
        HostileTrees::build(kind, *m_content, m_outside->path());

    QElapsedTimer clock;
    clock.start();
    {
        PipeWatch watch(expected.pipes, 15);
        ProgramTestSupport::makeProgramWindows(*this);
        QVERIFY(Form2 && Form3 && Form5);
        QCOMPARE(m_services->errors.size(), 0);
        const qint64 created = clock.elapsed();

        checkTextbook(expected);
        if (QTest::currentTestFailed())
            return;
        checkTesting(expected);
        if (QTest::currentTestFailed())
            return;
        checkTeacher(expected);
        if (QTest::currentTestFailed())
            return;
        refusePipes(expected);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(watch.released(), 0);
        qInfo("windows made in %lld ms, all of it done in %lld ms, %d reports saved", created,
              clock.elapsed(), m_reportsSaved);
    }
}

void TestHostileWindows::programStarts_data() {
    windows_data();
}

void TestHostileWindows::programStarts() {
    QFETCH(Kind, kind);

    // The program itself, in a process of its own, from the start to the launcher on screen.
    m_outside = std::make_unique<QTemporaryDir>();
    QVERIFY(startFixture() && m_outside->isValid());
    atStop([this] { HostileTrees::removeAll(m_content->programDir()); });
    HostileTrees::build(kind, *m_content, m_outside->path());
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    program.start(QStringLiteral(PROGRAM_START), {m_content->programDir()});
    const bool ended = program.waitForFinished(120000);
    const QByteArray output = program.readAll();
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    QVERIFY2(ended, "still starting after two minutes");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, output.constData());
    QVERIFY2(!output.contains("Sanitizer") && !output.contains("runtime error"),
             output.constData());
    qInfo("started and painted in %lld ms", clock.elapsed());
}

void TestHostileWindows::checkTextbook(const HostileTrees::Expected& expected) {
    const QStringList subjects = topLevel(Form2->tv1);
    QVERIFY2(listingProblem(subjects, expected.subjects, expected.neverListed).isEmpty(),
             qPrintable(listingProblem(subjects, expected.subjects, expected.neverListed)));
    QCOMPARE(topLevel(Form2->tv2), subjects);
    QCOMPARE(topLevel(Form2->tv3), subjects);
    for (auto it = expected.pages.cbegin(); it != expected.pages.cend(); ++it) {
        const QString problem =
            listingProblem(childNames(Form2->tv1, it.key()), it.value(), expected.neverListed);
        QVERIFY2(problem.isEmpty(), qPrintable(shown(it.key()) + QStringLiteral(": ") + problem));
    }
    // "Обновить" lists it all again, the same way.
    QTest::mouseClick(Form2->btn6, Qt::LeftButton);
    QCOMPARE(topLevel(Form2->tv1), subjects);
}

void TestHostileWindows::takeTest(const QString& subject, const QString& variant, bool mustStart) {
    const int errorsBefore = int(m_services->errors.size() + m_services->notices.size());
    Form3->edt1->setText(kStudent);
    Form3->edt2->setText(kGroup);
    const int s = Form3->cbb1->findText(subject);
    QVERIFY2(s >= 0, qPrintable(shown(subject)));
    Form3->cbb1->setCurrentIndex(s);
    emit Form3->cbb1->activated(s);
    const int v = Form3->cbb2->findText(variant);
    QVERIFY2(v >= 0, qPrintable(shown(variant)));
    Form3->cbb2->setCurrentIndex(v);
    emit Form3->cbb2->activated(v);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);

    if (Form3->state() != TForm3::State::Testing) {
        // Refused with a box; the student is back at the registration with what was typed.
        QVERIFY2(!mustStart, qPrintable(shown(variant)));
        QVERIFY(m_services->errors.size() + m_services->notices.size() > errorsBefore);
        QCOMPARE(Form3->state(), TForm3::State::Registration);
        QCOMPARE(Form3->edt1->text(), kStudent);
        return;
    }
    QTest::mouseClick(Form3->btn1, Qt::LeftButton);
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Report);
    const QString folder = ContentPaths::reportsDir(ContentPaths::ContentDir(), subject);
    const QString first = folder + QLatin1Char('/') + ReportFile::reportName(kStudent, 0);
    if (m_services->errors.size() + m_services->notices.size() == errorsBefore) {
        // By its bytes on disk: a subject named in Windows-1251 holds its report there.
        struct stat report {};
        QVERIFY2(::stat(CodePage::nativePath(first).constData(), &report) == 0 &&
                     S_ISREG(report.st_mode),
                 qPrintable(shown(first)));
        ++m_reportsSaved;
    }
    QTest::mouseClick(Form3->btn8, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Registration);
}

void TestHostileWindows::checkTesting(const HostileTrees::Expected& expected) {
    Form3->showForm();
    const QStringList subjects = items(Form3->cbb1);
    QVERIFY2(listingProblem(subjects, expected.subjects, expected.neverListed).isEmpty(),
             qPrintable(listingProblem(subjects, expected.subjects, expected.neverListed)));
    if (expected.noContent) {
        QCOMPARE(subjects, QStringList());
        return;
    }
    // Root reads every folder; anyone else meets the permission bits instead.
    const bool root = ::geteuid() == 0;
    for (const QString& subject : subjects) {
        const int s = Form3->cbb1->findText(subject);
        Form3->cbb1->setCurrentIndex(s);
        emit Form3->cbb1->activated(s);
        const QStringList variants = items(Form3->cbb2);
        const QStringList wanted = root ? expected.variants.value(subject) : QStringList();
        const QString problem = listingProblem(variants, wanted, expected.neverListed);
        QVERIFY2(problem.isEmpty(), qPrintable(shown(subject) + QStringLiteral(": ") + problem));

        QStringList tried = wanted;
        for (int i = 0; i < variants.size() && i < kTried; ++i) {
            if (!tried.contains(variants.at(i)))
                tried << variants.at(i);
        }
        for (const QString& variant : tried) {
            takeTest(subject, variant, wanted.contains(variant));
            if (QTest::currentTestFailed())
                return;
        }
    }
}

void TestHostileWindows::openReport(const QString& subject, const QString& report,
                                    const QString& text) {
    QTreeWidget* tree = Form5->tv1;
    QTreeWidgetItem* parent = branch(tree, subject);
    QVERIFY(parent);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < parent->childCount() && !node; ++i) {
        if (parent->child(i)->text(0) == report)
            node = parent->child(i);
    }
    QVERIFY2(node, qPrintable(shown(report)));
    parent->setExpanded(true);
    tree->scrollToItem(node);
    const int errorsBefore = int(m_services->errors.size());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualItemRect(node).center());
    QCOMPARE(tree->currentItem(), node);
    if (!text.isNull()) {
        QCOMPARE(m_services->errors.size(), errorsBefore);
        QCOMPARE(Form5->mmo2->toPlainText(), text);
    }
}

void TestHostileWindows::checkTeacher(const HostileTrees::Expected& expected) {
    // The report tree was filled when the window was made, before this run's reports.
    Form5->showForm();
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    const QStringList subjects = topLevel(Form5->tv1);
    QVERIFY2(listingProblem(subjects, expected.subjects, expected.neverListed).isEmpty(),
             qPrintable(listingProblem(subjects, expected.subjects, expected.neverListed)));
    if (expected.noContent)
        return;
    const bool root = ::geteuid() == 0;
    for (const QString& subject : subjects) {
        const QStringList reports = childNames(Form5->tv1, subject);
        const QStringList wanted = root ? expected.reports.value(subject) : QStringList();
        const QString problem = listingProblem(reports, wanted, expected.neverListed);
        QVERIFY2(problem.isEmpty(), qPrintable(shown(subject) + QStringLiteral(": ") + problem));
        for (int i = 0; i < reports.size() && i < kTried; ++i) {
            openReport(subject, reports.at(i), QString());
            if (QTest::currentTestFailed())
                return;
        }
    }
    // The ordinary report reads back whole.
    const QByteArray report = PackedText::OpenFromStream(
        ContentPaths::reportsDir(ContentPaths::ContentDir(), HostileTrees::kSubject) +
        QLatin1Char('/') + HostileTrees::kReport);
    openReport(HostileTrees::kSubject, HostileTrees::kReport, TextLines::toEditorText(report));
}

void TestHostileWindows::refusePipes(const HostileTrees::Expected& expected) {
    for (const QString& pipe : expected.pipes) {
        const QString refusal =
            QStringLiteral("Cannot open file \"%1\". No such device or address.")
                .arg(QDir::toNativeSeparators(pipe));
        const QFileInfo info(pipe);
        const QString name = info.fileName();

        // As a document and as a plain file in the editor.
        m_services->errors.clear();
        Form5->pgc1->setCurrentWidget(Form5->ts1);
        Form5->mmo1->setPlainText(QStringLiteral("как было"));
        m_services->openAnswers << pipe << pipe;
        QTest::mouseClick(Form5->btn1, Qt::LeftButton);
        QTest::mouseClick(Form5->openfile, Qt::LeftButton);
        QCOMPARE(m_services->errors.size(), 2);
        QCOMPARE(m_services->errors.at(0).message, refusal);
        QCOMPARE(m_services->errors.at(1).message, refusal);
        QCOMPARE(Form5->editorText(), QStringLiteral("как было"));

        // As a variant the list never showed, picked all the same.
        if (info.path().endsWith(QStringLiteral("/Тесты"))) {
            m_services->errors.clear();
            Form3->edt1->setText(kStudent);
            Form3->edt2->setText(kGroup);
            const int s = Form3->cbb1->findText(HostileTrees::kSubject);
            Form3->cbb1->setCurrentIndex(s);
            emit Form3->cbb1->activated(s);
            Form3->cbb2->addItem(name);
            Form3->cbb2->setCurrentIndex(Form3->cbb2->count() - 1);
            QTest::mouseClick(Form3->btn6, Qt::LeftButton);
            QCOMPARE(m_services->errors.size(), 1);
            QCOMPARE(m_services->errors.at(0).message, refusal);
            QCOMPARE(Form3->state(), TForm3::State::Registration);
        }

        // As a report the tree never showed.
        if (info.path().endsWith(QStringLiteral("/Отчеты"))) {
            m_services->errors.clear();
            Form5->pgc1->setCurrentWidget(Form5->ts2);
            QTreeWidgetItem* parent = branch(Form5->tv1, HostileTrees::kSubject);
            QVERIFY(parent);
            parent->addChild(new QTreeWidgetItem(QStringList{name}));
            Form5->mmo2->setPlainText(QStringLiteral("как было"));
            openReport(HostileTrees::kSubject, name, QString());
            QCOMPARE(m_services->errors.size(), 1);
            QCOMPARE(m_services->errors.at(0).message, refusal);
            QCOMPARE(Form5->mmo2->toPlainText(), QStringLiteral("как было"));
        }
    }
}

QTEST_MAIN(TestHostileWindows)
#include "TestHostileWindows.moc"
