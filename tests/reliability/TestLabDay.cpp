// A whole lab day in one run of the program: a thousand test attempts through the testing
// window, with reports (three subjects, twenty names that come back again and again, so the
// report numbers climb), a thousand report reads on the teacher's report page and two hundred
// save/open rounds in the teacher's editor. After the first tenth of the day the process keeps
// its size (resident memory; under AddressSanitizer, whose freed-memory quarantine fills the
// resident set by design, the live heap) within 2 MiB and opens no more descriptors than it
// had; every report on disk is complete and holds the attempt that wrote it.

#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "support/KeeperInThisProcess.h"
#include "support/ProgramTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TextLines.h"
#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <cstddef>
#include <memory>
#include <unistd.h>

#ifdef NORMAKURS_ASAN
// The allocator's own count; declared here because GCC ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

constexpr int kRounds = 10; // each: 100 attempts, 100 report reads, 20 editor rounds
constexpr int kAttemptsPerRound = 100;
constexpr int kReadsPerRound = 100;
constexpr int kEditorRoundsPerRound = 20;
constexpr int kNames = 20;
constexpr int kQuestions = 10;
constexpr int kReportsPerSubjectAtStart = 10;
constexpr qint64 kGrowthBudget = 2 * 1024 * 1024;

const QStringList kSubjects{QStringLiteral("Алгебра"), QStringLiteral("Физика"),
                            QStringLiteral("История")};
const QString kVariant = QStringLiteral("Вариант 1.txt");
const QString kKey = QStringLiteral("ABCDEEDCBA");

QString variantText() {
    QString text = QStringLiteral("---\n");
    for (int q = 0; q < kQuestions; ++q) {
        text += QStringLiteral("Вопрос %1\n").arg(q + 1);
        for (int a = 0; a < 5; ++a) {
            text += (QChar(u'A' + a) == kKey.at(q) ? QStringLiteral("`") : QString()) +
                    QChar(u'A' + a) + QStringLiteral(") ответ %1\n").arg(a);
        }
        text += QStringLiteral("---\n");
    }
    return text;
}

QString startReport(const QString& subject, int k) {
    return QStringLiteral("Отчёт %1 по предмету %2\nПравильно: %1\n").arg(k).arg(subject);
}

// What the process holds now: resident memory, or under AddressSanitizer the live heap.
qint64 sizeNow() {
#ifdef NORMAKURS_ASAN
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
#endif
}

// The event loop's turn, as between a student's clicks: what the windows posted (repaints,
// layouts, deferred deletions) is handled, not piled up as it would be in a test that only
// sends clicks.
void letEventLoopRun() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

int descriptorsNow() {
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

} // namespace

class TestLabDay : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void labDay();

private:
    void attempt(int number);
    void readReport(int number);
    void editorRound(int number);

    KeeperInThisProcess m_keeper{[] { return QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41)); }};
    QMap<QString, int> m_reportsOf; // "subject/name": reports written so far today
    int m_reportsChecked = 0;
};

void TestLabDay::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestLabDay::attempt(int number) {
    const QString subject = kSubjects.at(number % kSubjects.size());
    const QString name = QStringLiteral("Студент %1").arg((number / kSubjects.size()) % kNames);
    Form3->edt1->setText(name);
    Form3->edt2->setText(QStringLiteral("ИС-%1").arg(number % 4));
    const int subjectIndex = Form3->cbb1->findText(subject);
    QVERIFY(subjectIndex >= 0);
    Form3->cbb1->setCurrentIndex(subjectIndex);
    emit Form3->cbb1->activated(subjectIndex);
    const int variantIndex = Form3->cbb2->findText(kVariant);
    QVERIFY(variantIndex >= 0);
    Form3->cbb2->setCurrentIndex(variantIndex);
    emit Form3->cbb2->activated(variantIndex);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Testing);

    // Each attempt answers its own way, so each report is told apart by its count.
    QPushButton* buttons[] = {Form3->btn1, Form3->btn2, Form3->btn3, Form3->btn4, Form3->btn5};
    int right = 0;
    for (int q = 0; q < kQuestions; ++q) {
        const int letter = (number + q * (number % 3 + 1)) % 5;
        if (QChar(u'A' + letter) == kKey.at(q))
            ++right;
        QTest::mouseClick(buttons[letter], Qt::LeftButton);
    }
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Report);

    const QString key = subject + QLatin1Char('/') + name;
    const int n = m_reportsOf[key]++;
    const QString file = m_content->contentDir() + subject + QStringLiteral("/Тесты/Отчеты/") +
                         ReportFile::reportName(name, n);
    const QString shown = Form3->mmo3->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("\nПравильно: %1    (").arg(right)), qPrintable(shown));
    QCOMPARE(PackedText::OpenFromStream(file), TextLines::fromEditorText(shown));
    ++m_reportsChecked;
    QTest::mouseClick(Form3->btn8, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Registration);
}

void TestLabDay::readReport(int number) {
    const int subjectIndex = number % kSubjects.size();
    const int k = (number / kSubjects.size()) % kReportsPerSubjectAtStart;
    QTreeWidget* tree = Form5->tv1;
    QTreeWidgetItem* subject = nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0) == kSubjects.at(subjectIndex))
            subject = tree->topLevelItem(i);
    }
    QVERIFY(subject);
    QTreeWidgetItem* report = nullptr;
    const QString name = ReportFile::reportName(QStringLiteral("Ранний %1").arg(k), 0);
    for (int j = 0; j < subject->childCount(); ++j) {
        if (subject->child(j)->text(0) == name)
            report = subject->child(j);
    }
    QVERIFY2(report, qPrintable(name));
    subject->setExpanded(true);
    tree->scrollToItem(report);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualItemRect(report).center());
    QCOMPARE(Form5->mmo2->toPlainText(), startReport(kSubjects.at(subjectIndex), k));
}

void TestLabDay::editorRound(int number) {
    const QString draft = m_content->programDir() + QStringLiteral("Черновики/Вариант.txt");
    QString text = variantText();
    for (int i = 0; i < number % 7; ++i)
        text += QStringLiteral("дополнение %1\n").arg(number);
    Form5->mmo1->setPlainText(text);
    m_services->saveAnswers = {draft};
    m_services->yesNoAnswers = {true}; // replace the draft of the round before
    Form5->btn2Click();
    Form5->mmo1->setPlainText(QStringLiteral("другое"));
    m_services->openAnswers = {draft};
    Form5->btn1Click();
    QCOMPARE(Form5->mmo1->toPlainText(), text);
    // The services' own records of the day are not the program's memory.
    m_services->openCalls.clear();
    m_services->saveCalls.clear();
    m_services->questions.clear();
}

void TestLabDay::labDay() {
    QVERIFY(startFixture());
    const QString misplaced = Reliability::notOnShare(m_content->programDir());
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    for (const QString& subject : kSubjects) {
        m_content->makePacked(QStringLiteral("Content/") + subject + QStringLiteral("/Тесты/") +
                                  kVariant,
                              variantText());
        for (int k = 0; k < kReportsPerSubjectAtStart; ++k)
            m_content->makePacked(QStringLiteral("Content/") + subject +
                                      QStringLiteral("/Тесты/Отчеты/") +
                                      ReportFile::reportName(QStringLiteral("Ранний %1").arg(k), 0),
                                  startReport(subject, k));
    }
    m_content->makeFolder(QStringLiteral("Черновики"));
    ProgramTestSupport::makeProgramWindows(*this);
    Form3->setLocale(QLocale(QLocale::Russian, QLocale::Russia));

    Form1->showForm();
    QTest::mouseClick(Form1->btn3, Qt::LeftButton);
    Form4->edt1->setText(QStringLiteral("tutor"));
    Form4->edt2->setText(QStringLiteral("lmn5827"));
    QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    QVERIFY(Form5->isVisible());
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    Form3->showForm();

    qint64 sizeAfterFirst = 0;
    int descriptorsAfterFirst = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kAttemptsPerRound; ++i) {
            attempt(round * kAttemptsPerRound + i);
            letEventLoopRun();
            if (QTest::currentTestFailed())
                return;
        }
        for (int i = 0; i < kReadsPerRound; ++i) {
            readReport(round * kReadsPerRound + i);
            letEventLoopRun();
            if (QTest::currentTestFailed())
                return;
        }
        for (int i = 0; i < kEditorRoundsPerRound; ++i) {
            editorRound(round * kEditorRoundsPerRound + i);
            letEventLoopRun();
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY2(m_services->errors.isEmpty(), qPrintable(m_services->errors.value(0).message));
        QVERIFY(m_services->notices.isEmpty());
        if (qEnvironmentVariableIsSet("LABDAY_TRACE"))
            qInfo("round %d: %lld KiB", round, sizeNow() / 1024);
        if (round == 0) {
            sizeAfterFirst = sizeNow();
            descriptorsAfterFirst = descriptorsNow();
        }
    }
    const qint64 sizeAtEnd = sizeNow();
    const int descriptorsAtEnd = descriptorsNow();
    qInfo("after the first hundred: %lld KiB, %d descriptors; at the end: %lld KiB, %d "
          "descriptors (%s)",
          sizeAfterFirst / 1024, descriptorsAfterFirst, sizeAtEnd / 1024, descriptorsAtEnd,
#ifdef NORMAKURS_ASAN
          "live heap"
#else
          "resident"
#endif
    );
    QVERIFY(sizeAfterFirst > 0);
    QVERIFY2(sizeAtEnd - sizeAfterFirst < kGrowthBudget,
             qPrintable(QStringLiteral("grew by %1 KiB").arg((sizeAtEnd - sizeAfterFirst) / 1024)));
    QVERIFY(descriptorsAtEnd <= descriptorsAfterFirst);

    // Every report of the day is on disk, under the numbers that climbed, and nothing else is.
    int files = 0;
    for (const QString& subject : kSubjects) {
        files += int(Reliability::entriesOf(m_content->contentDir() + subject +
                                            QStringLiteral("/Тесты/Отчеты"))
                         .size()) -
                 kReportsPerSubjectAtStart;
    }
    QCOMPARE(files, kRounds * kAttemptsPerRound);
    QCOMPARE(m_reportsChecked, kRounds * kAttemptsPerRound);
    qInfo("reports written and checked: %d", m_reportsChecked);

    stopFixture();
}

QTEST_MAIN(TestLabDay)
#include "TestLabDay.moc"
