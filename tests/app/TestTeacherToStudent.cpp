// The whole road through the program: the teacher writes a test from a skeleton in the editor,
// a student takes it in the testing window, and the teacher reads the report back on
// "Проверка отчетов", across sign-ins and restarts.

#include "Forms.h"
#include "QuestionCountBox.h"
#include "support/KeeperInThisProcess.h"
#include "support/ProgramTestSupport.h"
#include "support/TestHelpers.h"
#include "support/TextbookTestSupport.h"
#include "support/WidgetTestHelpers.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TextLines.h"
#include "Unit1.h"
#include "Unit3.h"
#include "Unit5.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

#include <memory>

using TextbookTestSupport::node;
using WidgetTestHelpers::typeText;

class TestTeacherToStudent : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void teacherToStudentLoop();

private:
    void signIn();
    void restart();
    void typeAtLineStart(int line, const QString& text);
    void appendToLine(int line, const QString& text);

    KeeperInThisProcess m_keeper;
};

void TestTeacherToStudent::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestTeacherToStudent::init() {
    QVERIFY(startFixture());
    ProgramTestSupport::makeProgramWindows(*this);
}

void TestTeacherToStudent::cleanup() {
    stopFixture();
}

void TestTeacherToStudent::signIn() {
    Form1->showForm();
    QVERIFY(ProgramTestSupport::clickThroughTo(QStringLiteral("Form5")));
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form5"});
    QApplication::setActiveWindow(Form5);
    QVERIFY(QTest::qWaitForWindowActive(Form5));
}

void TestTeacherToStudent::restart() {
    destroyForms();
    createForms();
}

// Puts the caret at the start of editor line `line` (from 0) and types `text` there.
void TestTeacherToStudent::typeAtLineStart(int line, const QString& text) {
    const QTextBlock block = Form5->mmo1->document()->findBlockByNumber(line);
    QVERIFY(block.isValid());
    Form5->mmo1->setTextCursor(QTextCursor(block));
    Form5->mmo1->setFocus();
    typeText(Form5->mmo1, text);
}

void TestTeacherToStudent::appendToLine(int line, const QString& text) {
    const QTextBlock block = Form5->mmo1->document()->findBlockByNumber(line);
    QVERIFY(block.isValid());
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock);
    Form5->mmo1->setTextCursor(cursor);
    Form5->mmo1->setFocus();
    typeText(Form5->mmo1, text);
}

void TestTeacherToStudent::teacherToStudentLoop() {
    const QString subject = QStringLiteral("Информатика");
    const QString variant = QStringLiteral("Контрольная.txt");
    const QString student = QStringLiteral("Иван Петров");

    // The teacher makes a subject and writes a test from a two-question skeleton.
    STEP(signIn());
    Form5->btn13Click();
    typeText(Form5->edt1, subject);
    QTest::keyClick(Form5->edt1, Qt::Key_Return);
    QTest::mouseClick(Form5->btn3, Qt::LeftButton);
    Form5->se1->selectAll();
    QTest::keyClicks(Form5->se1, QStringLiteral("2"));
    QTest::keyClick(Form5->se1, Qt::Key_Return);
    QCOMPARE(TextLines::splitLines(Form5->editorText()).size(), 15);
    STEP(appendToLine(1, QStringLiteral(" 2 + 2 = ?")));
    STEP(appendToLine(2, QStringLiteral(" 3")));
    STEP(appendToLine(3, QStringLiteral(" 5")));
    STEP(appendToLine(4, QStringLiteral(" 4")));
    STEP(typeAtLineStart(4, QStringLiteral("`"))); // the right answer of question 1: C
    STEP(appendToLine(8, QStringLiteral(" Столица России?")));
    STEP(appendToLine(9, QStringLiteral(" Москва")));
    STEP(typeAtLineStart(9, QStringLiteral("`"))); // question 2: A
    Form5->updateStatus();
    QCOMPARE(Form5->lbl3->text(),
             QStringLiteral("Вопросов: 2, строк с ключом: 2. Ошибок в тесте не найдено."));

    const QString variantPath =
        m_content->contentDir() + subject + QStringLiteral("/Тесты/") + variant;
    m_services->saveAnswers << variantPath;
    QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->questions.isEmpty());
    QVERIFY(QFileInfo(variantPath).isFile());
    // The testing window and the report tree listed the subjects at this start, before it.
    QCOMPARE(Form3->cbb1->findText(subject), -1);
    QVERIFY(!node(*Form5->tv1, subject));
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);

    // Next start: a student takes the test.
    STEP(restart());
    Form1->showForm();
    QTest::mouseClick(Form1->btn6, Qt::LeftButton);
    QVERIFY(Form3->isVisible());
    Form3->edt1->setText(student);
    Form3->edt2->setText(QStringLiteral("ИС-21"));
    const int subjectIndex = Form3->cbb1->findText(subject);
    QVERIFY(subjectIndex >= 0);
    Form3->cbb1->setCurrentIndex(subjectIndex);
    emit Form3->cbb1->activated(subjectIndex);
    const int variantIndex = Form3->cbb2->findText(variant);
    QVERIFY(variantIndex >= 0);
    Form3->cbb2->setCurrentIndex(variantIndex);
    emit Form3->cbb2->activated(variantIndex);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QVERIFY(m_services->notices.isEmpty());
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QVERIFY(Form3->attempt().AnswerKey.isEmpty()); // the keeper keeps it
    QCOMPARE(Form3->mmo1->toPlainText(), QStringLiteral("1) 2 + 2 = ?\nA) 3\nB) 5\nC) 4\nD)\nE)"));
    QTest::mouseClick(Form3->btn3, Qt::LeftButton); // question 1: C, right
    QTest::mouseClick(Form3->btn2, Qt::LeftButton); // question 2: B, wrong
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Report);
    const QString report = Form3->mmo3->toPlainText();
    QVERIFY(report.contains(QStringLiteral("Вопрос № 1- Правильно \n")));
    QVERIFY(report.contains(QStringLiteral("Вопрос № 2- Неправильно \n")));
    const QString reportPath =
        m_content->contentDir() + subject + QStringLiteral("/Тесты/Отчеты/") + student + "(0)";
    QVERIFY(QFileInfo(reportPath).isFile());
    QTest::mouseClick(Form3->btn9, Qt::LeftButton);

    // In the same run the teacher's tree shows the subject without the report.
    STEP(signIn());
    QTreeWidgetItem* subjectNode = node(*Form5->tv1, subject);
    QVERIFY(subjectNode);
    QCOMPARE(subjectNode->childCount(), 0);
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);

    // From the next start on it is listed, and reads back as the student saw it.
    STEP(restart());
    STEP(signIn());
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    QTreeWidgetItem* reportNode = node(*Form5->tv1, subject + QLatin1Char('/') + student + "(0)");
    QVERIFY(reportNode);
    reportNode->parent()->setExpanded(true);
    Form5->tv1->scrollToItem(reportNode);
    QTest::mouseClick(Form5->tv1->viewport(), Qt::LeftButton, Qt::NoModifier,
                      Form5->tv1->visualItemRect(reportNode).center());
    QCOMPARE(Form5->tv1->currentItem(), reportNode);
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form5->mmo2->toPlainText(), report);
}

QTEST_MAIN(TestTeacherToStudent)
#include "TestTeacherToStudent.moc"
