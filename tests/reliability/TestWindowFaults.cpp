// Failures as the windows meet them. A report that cannot be written stays on screen with
// "Начать заново" and "Выход", the error box says why, and no report file (whole or partial) is
// left; the 257th report for one name is refused with a notice. An editor save that fails keeps
// the old variant byte for byte and the editor's text. A decompression bomb or a file beyond the
// memo capacity, opened by the editor, the report review or the testing window, shows "Text
// exceeds memo capacity" and changes nothing on screen.

#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "support/KeeperInThisProcess.h"
#include "support/ProgramTestSupport.h"
#include "support/WindowFixture.h"
#include "TextLines.h"
#include "Unit3.h"
#include "Unit5.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Reliability;

namespace {

const QString kSubject = QStringLiteral("Алгебра");
const QString kVariant = QStringLiteral("Вариант 1.txt");
const QString kBombVariant = QStringLiteral("Бомба.txt");
const QString kStudent = QStringLiteral("Иван Петров");
const QString kGroup = QStringLiteral("ИС-21");
const QString kVariantText = QStringLiteral("---\nВопрос 1\nA) да\nB) нет\n---\n"
                                            "Вопрос 2\nA) да\nB) нет\n---\n`A\n`B\n");
const QString kTooLarge = QStringLiteral("Text exceeds memo capacity.");
constexpr qint64 kGiB = qint64(1) << 30;

QStringList messages(const QList<RecordingServices::Box>& boxes) {
    QStringList texts;
    for (const RecordingServices::Box& box : boxes)
        texts.append(box.message);
    return texts;
}

QString createFailure(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), reason);
}

} // namespace

class TestWindowFaults : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void reportFailureKeepsTheTestGoing_data();
    void reportFailureKeepsTheTestGoing();
    void allNumbersTakenIsANotice();
    void editorSaveFailureKeepsOldFile_data();
    void editorSaveFailureKeepsOldFile();
    void tooLargeChangesNothingOnScreen_data();
    void tooLargeChangesNothingOnScreen();

private:
    void startAndFinish(); // registration, start, answers, finish
    QString reportsDir() const;

    QByteArray m_bomb;
    KeeperInThisProcess m_keeper;
};

void TestWindowFaults::initTestCase() {
    WindowFixture::prepareApplication();
    m_bomb = zerosStream(kGiB, kGiB); // about a megabyte on disk
    QVERIFY(m_bomb.size() > 0 && m_bomb.size() < 2 * 1024 * 1024);
}

void TestWindowFaults::init() {
    QVERIFY(startFixture());
    const QString tests = QStringLiteral("Content/") + kSubject + QStringLiteral("/Тесты/");
    m_content->makePacked(tests + kVariant, kVariantText);
    m_content->makeFile(tests + kBombVariant, m_bomb);
    m_content->makeFile(tests + QStringLiteral("Отчеты/") + ReportFile::reportName(kStudent, 0),
                        m_bomb);
    m_content->makePacked(tests + QStringLiteral("Отчеты/Анна(0)"), QStringLiteral("отчёт\n"));
    ProgramTestSupport::makeProgramWindows(*this);
    QVERIFY(Form3 && Form5);
}

void TestWindowFaults::cleanup() {
    stopFixture();
}

QString TestWindowFaults::reportsDir() const {
    return m_content->contentDir() + kSubject + QStringLiteral("/Тесты/Отчеты");
}

void TestWindowFaults::startAndFinish() {
    Form3->showForm();
    Form3->edt1->setText(QStringLiteral("Пётр Сидоров"));
    Form3->edt2->setText(kGroup);
    const int subject = Form3->cbb1->findText(kSubject);
    QVERIFY(subject >= 0);
    Form3->cbb1->setCurrentIndex(subject);
    emit Form3->cbb1->activated(subject);
    const int variant = Form3->cbb2->findText(kVariant);
    QVERIFY(variant >= 0);
    Form3->cbb2->setCurrentIndex(variant);
    emit Form3->cbb2->activated(variant);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QTest::mouseClick(Form3->btn1, Qt::LeftButton);
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
}

// The report ----------------------------------------------------------------------------------

void TestWindowFaults::reportFailureKeepsTheTestGoing_data() {
    QTest::addColumn<QString>("fault");

    QTest::newRow("reports folder is a file") << "file";
    QTest::newRow("tests folder gone after the start") << "gone";
    QTest::newRow("disk full after 64 bytes") << "limit";
}

void TestWindowFaults::reportFailureKeepsTheTestGoing() {
    QFETCH(QString, fault);

    const QString student = QStringLiteral("Пётр Сидоров");
    const QString report = reportsDir() + QLatin1Char('/') + ReportFile::reportName(student, 0);
    QString expected;
    if (fault == QLatin1String("file")) {
        QVERIFY(QDir(reportsDir()).removeRecursively());
        QVERIFY(writeAll(reportsDir(), "not a folder"));
        expected = createFailure(report, QStringLiteral("Not a directory"));
    }
    Form3->showForm();
    Form3->edt1->setText(student);
    Form3->edt2->setText(kGroup);
    const int subject = Form3->cbb1->findText(kSubject);
    Form3->cbb1->setCurrentIndex(subject);
    emit Form3->cbb1->activated(subject);
    const int variant = Form3->cbb2->findText(kVariant);
    Form3->cbb2->setCurrentIndex(variant);
    emit Form3->cbb2->activated(variant);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QTest::mouseClick(Form3->btn1, Qt::LeftButton);

    const QString testsDir = m_content->contentDir() + kSubject + QStringLiteral("/Тесты");
    if (fault == QLatin1String("gone")) {
        QVERIFY(QDir(testsDir).removeRecursively());
        expected = createFailure(report, QStringLiteral("No such file or directory"));
    }
    if (fault == QLatin1String("limit")) {
        FileSizeLimit limit(64);
        QVERIFY(limit.ok());
        QTest::mouseClick(Form3->btn7, Qt::LeftButton);
        expected = QStringLiteral("Stream write error.");
    } else {
        QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    }

    QCOMPARE(messages(m_services->errors), QStringList{expected});
    // No score without its report: the test stays on screen with the answers given, to be
    // finished again once the report can be stored.
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QVERIFY(!Form3->mmo3->isVisible());
    QVERIFY(Form3->btn7->isEnabled());
    QCOMPARE(Form3->attempt().Answers.at(0), 'A');
    // No report file, whole or partial, and no temporary file left behind.
    QVERIFY(!QFileInfo::exists(report));
    if (QFileInfo(reportsDir()).isDir()) {
        QStringList others = entriesOf(reportsDir());
        others.removeAll(ReportFile::reportName(kStudent, 0));
        others.removeAll(QStringLiteral("Анна(0)"));
        QCOMPARE(others, QStringList());
    }
}

void TestWindowFaults::allNumbersTakenIsANotice() {
    const QString student = QStringLiteral("Пётр Сидоров");
    for (int n = 0; n < ReportFile::kMaxReports; ++n)
        QVERIFY(writeAll(reportsDir() + QLatin1Char('/') + ReportFile::reportName(student, n),
                         "earlier"));
    const QStringList before = entriesOf(reportsDir());
    startAndFinish();
    QCOMPARE(messages(m_services->errors), QStringList());
    QCOMPARE(m_services->notices.size(), 1);
    QVERIFY2(m_services->notices.first().message.contains(QStringLiteral("256")),
             qPrintable(m_services->notices.first().message));
    QCOMPARE(entriesOf(reportsDir()), before);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QVERIFY(!Form3->mmo3->isVisible());
}

// The editor ----------------------------------------------------------------------------------

void TestWindowFaults::editorSaveFailureKeepsOldFile_data() {
    QTest::addColumn<QString>("fault");

    QTest::newRow("disk full after 0 bytes") << "limit 0";
    QTest::newRow("disk full after 16 bytes") << "limit 16";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("folder missing") << "missing";
    QTest::newRow("through a file") << "through";
}

void TestWindowFaults::editorSaveFailureKeepsOldFile() {
    QFETCH(QString, fault);

    const QString variant =
        m_content->contentDir() + kSubject + QStringLiteral("/Тесты/") + kVariant;
    const QByteArray oldBytes = readAll(variant);
    QString target = variant;
    QString expected = QStringLiteral("Stream write error.");
    if (fault == QLatin1String("folder")) {
        target = m_content->makeFolder(QStringLiteral("Content/Папка.txt"));
        expected = createFailure(target, QStringLiteral("Is a directory"));
    } else if (fault == QLatin1String("missing")) {
        target = m_content->contentDir() + QStringLiteral("Нет/v.txt");
        expected = createFailure(target, QStringLiteral("No such file or directory"));
    } else if (fault == QLatin1String("through")) {
        target = variant + QStringLiteral("/v.txt");
        expected = createFailure(target, QStringLiteral("Not a directory"));
    }
    const QStringList contentBefore = entriesOf(m_content->contentDir());
    const QStringList testsBefore = entriesOf(QFileInfo(variant).path());

    Form5->showForm();
    const QString text = QStringLiteral("---\nНовый вопрос\n`C\n---\n");
    Form5->mmo1->setPlainText(text);
    m_services->saveAnswers << target;
    m_services->yesNoAnswers << true; // replace the file that is there
    if (fault.startsWith(QLatin1String("limit"))) {
        FileSizeLimit limit(fault.mid(6).toLongLong());
        QVERIFY(limit.ok());
        QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    } else {
        QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    }
    QCOMPARE(messages(m_services->errors), QStringList{expected});
    QCOMPARE(readAll(variant), oldBytes);
    QCOMPARE(entriesOf(m_content->contentDir()), contentBefore);
    QCOMPARE(entriesOf(QFileInfo(variant).path()), testsBefore);
    QCOMPARE(Form5->editorText(), text);
}

// Texts beyond the memo capacity ----------------------------------------------------------------

void TestWindowFaults::tooLargeChangesNothingOnScreen_data() {
    QTest::addColumn<QString>("where");

    QTest::newRow("editor, open document: bomb") << "document";
    QTest::newRow("editor, open file: beyond the capacity") << "plain";
    QTest::newRow("report review: bomb") << "report";
    QTest::newRow("testing window, start: bomb") << "start";
}

void TestWindowFaults::tooLargeChangesNothingOnScreen() {
    QFETCH(QString, where);

    if (where == QLatin1String("start")) {
        Form3->showForm();
        Form3->edt1->setText(kStudent);
        Form3->edt2->setText(kGroup);
        const int subject = Form3->cbb1->findText(kSubject);
        Form3->cbb1->setCurrentIndex(subject);
        emit Form3->cbb1->activated(subject);
        const int variant = Form3->cbb2->findText(kBombVariant);
        QVERIFY(variant >= 0);
        Form3->cbb2->setCurrentIndex(variant);
        emit Form3->cbb2->activated(variant);
        QTest::mouseClick(Form3->btn6, Qt::LeftButton);
        QCOMPARE(messages(m_services->errors), QStringList{kTooLarge});
        QCOMPARE(Form3->state(), TForm3::State::Registration);
        QVERIFY(Form3->pnl1->isVisible());
        QCOMPARE(Form3->edt1->text(), kStudent);
        QCOMPARE(Form3->edt2->text(), kGroup);
        QCOMPARE(Form3->cbb2->currentText(), kBombVariant);
        QVERIFY(!Form3->lst1->isEnabled());
        QCOMPARE(Form3->lst1->count(), 0);
        return;
    }

    Form5->showForm();
    const QString before = QStringLiteral("текст, который\nуже открыт\n");
    QPlainTextEdit* memo = where == QLatin1String("report") ? Form5->mmo2 : Form5->mmo1;
    memo->setPlainText(before);
    memo->document()->setModified(false);
    if (where == QLatin1String("document")) {
        m_services->openAnswers << m_content->contentDir() + kSubject + QStringLiteral("/Тесты/") +
                                       kBombVariant;
        QTest::mouseClick(Form5->btn1, Qt::LeftButton);
    } else if (where == QLatin1String("plain")) {
        const QString large = m_content->makeFile(QStringLiteral("Content/большой.txt"));
        QVERIFY(QFile::resize(large, PackedText::kMemoCapacity + 1)); // sparse: no disk used
        m_services->openAnswers << large;
        QTest::mouseClick(Form5->openfile, Qt::LeftButton);
    } else {
        Form5->pgc1->setCurrentWidget(Form5->ts2);
        QTreeWidget* tree = Form5->tv1;
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; i < tree->topLevelItemCount() && !node; ++i) {
            QTreeWidgetItem* subject = tree->topLevelItem(i);
            for (int j = 0; j < subject->childCount(); ++j) {
                if (subject->child(j)->text(0) == ReportFile::reportName(kStudent, 0))
                    node = subject->child(j);
            }
        }
        QVERIFY(node);
        node->parent()->setExpanded(true);
        tree->scrollToItem(node);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                          tree->visualItemRect(node).center());
        QCOMPARE(tree->currentItem(), node);
    }
    QCOMPARE(messages(m_services->errors), QStringList{kTooLarge});
    QCOMPARE(memo->toPlainText(), before);
    QVERIFY(!memo->document()->isModified());
}

QTEST_MAIN(TestWindowFaults)
#include "TestWindowFaults.moc"
