// The testing window as the student uses it: registration and its refusals, the questions and
// the answer buttons, the report over the whole window and its file, restart, cancel and exit.
// Every test runs on the real window over a temporary content tree with two subjects.

#include "ApplicationTitle.h"
#include "CodePage.h"
#include "Failure.h"
#include "LaterWork.h"
#include "PackedText.h"
#include "SavedAttempt.h"
#include "support/KeeperInThisProcess.h"
#include "support/RecordingNavigation.h"
#include "support/RecordingServices.h"
#include "support/TempContentTree.h"
#include "support/TestHelpers.h"
#include "support/WidgetTestHelpers.h"
#include "support/WindowTestSupport.h"
#include "TestingLayout.h"
#include "TestTextHolder.h"
#include "TextLines.h"
#include "Unit3.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

namespace {

using TestHelpers::entriesOf;
using TestHelpers::unpacked;

const QString kAlgebra = QStringLiteral("Алгебра");
const QString kPhysics = QStringLiteral("Физика");

const QString kGood = QStringLiteral("Вариант 1.txt");
const QString kOneSeparator = QStringLiteral("Вариант 2 (один разделитель).txt");
const QString kFewKeys = QStringLiteral("Вариант 3 (мало ключей).txt");
const QString kDamaged = QStringLiteral("Вариант 4 (испорчен).txt");
const QString kRemoved = QStringLiteral("Вариант 5 (удалён).txt");
const QString kSurplusKeys = QStringLiteral("Вариант 6 (лишние ключи).txt");
const QString kMixedBreaks = QStringLiteral("Вариант 7 (переводы строк).txt");
const QString kEmpty = QStringLiteral("Вариант 8 (пустой файл).txt");
const QString kMechanics = QStringLiteral("Механика.txt");
const QString kOptics = QStringLiteral("Оптика.txt");

const QString kStudent = QStringLiteral("Иван Петров");
const QString kGroup = QStringLiteral("ИС-21");

// Three questions. The first holds its own key line ("`c", shown as "c"); the keys of the
// other two stand after the last separator and are never shown.
const QString kGoodText = QStringLiteral("Алгебра, вариант 1\n"
                                         "---\n"
                                         "1) 2 + 2 = ?\n"
                                         "A) 3\n"
                                         "B) 5\n"
                                         "C) 4\n"
                                         "`c\n"
                                         "---\n"
                                         "2) Корень из 9?\n"
                                         "A) 3\n"
                                         "B) 9\n"
                                         "---\n"
                                         "3) 10 / 2 = ?\n"
                                         "A) 2\n"
                                         "B) 5\n"
                                         "---\n"
                                         "`A\n"
                                         "`B\n");
const QStringList kGoodQuestions[] = {
    {QStringLiteral("1) 2 + 2 = ?"), QStringLiteral("A) 3"), QStringLiteral("B) 5"),
     QStringLiteral("C) 4"), QStringLiteral("c")},
    {QStringLiteral("2) Корень из 9?"), QStringLiteral("A) 3"), QStringLiteral("B) 9")},
    {QStringLiteral("3) 10 / 2 = ?"), QStringLiteral("A) 2"), QStringLiteral("B) 5")},
};

const QStringList kAlgebraVariants{kGood,    kOneSeparator, kFewKeys,     kDamaged,
                                   kRemoved, kSurplusKeys,  kMixedBreaks, kEmpty};
const QStringList kPhysicsVariants{kMechanics, kOptics};

const QDateTime kWhen(QDate(2014, 3, 5), QTime(9, 7, 41));

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

// The text of a packed report file as lines, checking that every line ends with CR LF.
QStringList reportFileLines(const QString& path) {
    const QByteArray bytes = unpacked(path);
    if (bytes.startsWith("<unreadable"))
        return {QString::fromUtf8(bytes)};
    const QString text = CodePage::decode(bytes);
    if (!text.endsWith(QStringLiteral("\r\n")))
        return {QStringLiteral("<no CR LF at the end>")};
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

QPushButton* answerButton(QChar letter) {
    QPushButton* buttons[] = {Form3->btn1, Form3->btn2, Form3->btn3, Form3->btn4, Form3->btn5};
    return buttons[letter.unicode() - 'A'];
}

// Which of the five answer buttons are enabled, as "11011"; the panel's own state aside.
QString buttonStates() {
    QString states;
    for (QPushButton* button : {Form3->btn1, Form3->btn2, Form3->btn3, Form3->btn4, Form3->btn5})
        states += button->isEnabledTo(Form3->pnl2) ? QLatin1Char('1') : QLatin1Char('0');
    return states;
}

// Types `text` into the focused-to-be widget key by key, as a keyboard would.
void typeText(QWidget* widget, const QString& text) {
    widget->setFocus();
    WidgetTestHelpers::typeText(widget, text);
}

} // namespace

class TestTestingWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Registration
    void createdInRegistration();
    void subjectsListedNoneChosen();
    void subjectsHeldUntilShownOrPainted_data();
    void subjectsHeldUntilShownOrPainted();
    void pickingSubjectTwiceListsVariantsOnce();
    void pickingAnotherSubjectReplacesVariants();
    void subjectPickedWithKeyboard();
    void emptyNameOrGroup_data();
    void emptyNameOrGroup();
    void refusedAtStart_data();
    void refusedAtStart();
    void failedStart_data();
    void failedStart();
    void failedStartCanBeCorrected();
    void blankNameStarts();
    void registrationByKeyboard();

    // Questions and answers
    void startShowsFirstQuestion();
    void answeringMovesToNextQuestion();
    void answeringTwiceMarksTwice();
    void lastQuestionStaysWithButtonsUnchanged();
    void revisitMarksGivenAnswer_data();
    void revisitMarksGivenAnswer();
    void whoSelectIgnoresOtherLetters_data();
    void whoSelectIgnoresOtherLetters();
    void arrowKeysShowEachQuestion();
    void keysAnswerAsButtons_data();
    void keysAnswerAsButtons();
    void questionsAreSpoken();
    void keeperEndedInTheMiddle();
    void interruptedTestIsOffered_data();
    void interruptedTestIsOffered();
    void everyLineBreakEndsALine();

    // Report
    void finishShowsReportAndSavesIt();
    void keysAfterReportWriteNoSecondFile();
    void twoPassesGiveTwoFiles();
    void surplusKeysAreListedAsQuestions();
    void allReportNumbersTaken();
    void failedReportWriteKeepsTheTestGoing();
    void restartReturnsToRegistration();
    void restartThenStartUsesSubjectShown();
    void cancelClearsAndHides();
    void exitHidesAndReopeningShowsReport();
    void layoutOnShow();

    void endToEnd();

private:
    void pickSubject(const QString& subject);
    void pickVariant(const QString& variant);
    void fillIn(const QString& name, const QString& group);
    void startTest(const QString& subject, const QString& variant);
    void answer(QChar letter);
    void selectQuestion(int row);
    void finish();
    void activate();
    // The window is at the registration panel with the test controls off.
    void expectRegistration();
    QString reportsDir(const QString& subject) const;

    std::unique_ptr<TempContentTree> m_content;
    KeeperInThisProcess m_keeper{[] { return kWhen; }};
    std::unique_ptr<RecordingServices> m_services;
    std::unique_ptr<RecordingNavigation> m_navigation;
};

void TestTestingWindow::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestTestingWindow::init() {
    m_content = std::make_unique<TempContentTree>();
    QVERIFY(m_content->isValid());
    const QString algebra = QStringLiteral("Content/") + kAlgebra + QStringLiteral("/Тесты/");
    const QString physics = QStringLiteral("Content/") + kPhysics + QStringLiteral("/Тесты/");
    m_content->makePacked(algebra + kGood, kGoodText);
    m_content->makePacked(algebra + kOneSeparator, QStringLiteral("---\nВопрос\nA) да\n`A\n"));
    m_content->makePacked(algebra + kFewKeys, QStringLiteral("---\n1\n---\n2\n---\n3\n---\n`A\n"));
    m_content->makeFile(algebra + kDamaged, CodePage::encode(QStringLiteral("не упакованный")));
    m_content->makeFile(algebra + kEmpty);
    m_content->makePacked(algebra + kRemoved, kGoodText);
    m_content->makePacked(algebra + kSurplusKeys,
                          QStringLiteral("---\nВопрос 1\n---\nВопрос 2\n---\n`A\n`B\n`C\n`\n"));
    // CR, LF and CR LF each end a line.
    const QString mixed = m_content->path(algebra + kMixedBreaks);
    PackedText::SaveToStream(
        mixed, CodePage::encode(QStringLiteral("Вступление\r---\nВопрос 1\r\nA) x\r---\r\n"
                                               "Вопрос 2\n---\r`B\n`a\r")));
    m_content->makePacked(physics + kMechanics,
                          QStringLiteral("---\nСила?\n---\nМасса?\n---\n`D\n`E\n"));
    m_content->makePacked(physics + kOptics, QStringLiteral("---\nСвет?\n---\n`A\n"));

    m_services = std::make_unique<RecordingServices>();
    m_navigation = std::make_unique<RecordingNavigation>();
    // As in the program, the controls are made as the window is first shown.
    WindowTestSupport::makeWindow(Form3, WindowTestSupport::Controls::WhenShown);
    Form3->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    Form3->showForm();
    QVERIFY(Form3->isVisible());
}

void TestTestingWindow::cleanup() {
    LaterWork::drop(); // a failed check may leave it holding
    WindowTestSupport::destroyWindow(Form3);
    m_navigation.reset();
    m_services.reset();
    m_content.reset();
}

// Helpers ---------------------------------------------------------------------------------

QString TestTestingWindow::reportsDir(const QString& subject) const {
    return m_content->contentDir() + subject + QStringLiteral("/Тесты/Отчеты");
}

void TestTestingWindow::pickSubject(const QString& subject) {
    const int index = Form3->cbb1->findText(subject);
    QVERIFY2(index >= 0, qPrintable(subject));
    // What the drop-down does when the student picks an item from its list.
    Form3->cbb1->setCurrentIndex(index);
    emit Form3->cbb1->activated(index);
}

void TestTestingWindow::pickVariant(const QString& variant) {
    const int index = Form3->cbb2->findText(variant);
    QVERIFY2(index >= 0, qPrintable(variant));
    Form3->cbb2->setCurrentIndex(index);
    emit Form3->cbb2->activated(index);
}

void TestTestingWindow::fillIn(const QString& name, const QString& group) {
    Form3->edt1->setText(name);
    Form3->edt2->setText(group);
}

void TestTestingWindow::startTest(const QString& subject, const QString& variant) {
    fillIn(kStudent, kGroup);
    STEP(pickSubject(subject));
    STEP(pickVariant(variant));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
    QCOMPARE(Form3->state(), TForm3::State::Testing);
}

void TestTestingWindow::answer(QChar letter) {
    QPushButton* button = answerButton(letter);
    QVERIFY2(button->isEnabled(), qPrintable(QString(letter)));
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestTestingWindow::selectQuestion(int row) {
    QListWidget* list = Form3->lst1;
    QVERIFY(row >= 0 && row < list->count());
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
    QCOMPARE(list->currentRow(), row);
}

void TestTestingWindow::finish() {
    QVERIFY(Form3->btn7->isEnabled());
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Report);
}

void TestTestingWindow::activate() {
    QApplication::setActiveWindow(Form3);
    QVERIFY(QTest::qWaitForWindowActive(Form3));
}

void TestTestingWindow::expectRegistration() {
    QCOMPARE(Form3->state(), TForm3::State::Registration);
    QVERIFY(Form3->pnl1->isVisibleTo(Form3));
    QVERIFY(!Form3->lst1->isEnabled());
    QVERIFY(!Form3->mmo1->isEnabled());
    QVERIFY(!Form3->pnl2->isEnabled());
    QVERIFY(!Form3->btn7->isEnabled());
    QVERIFY(!Form3->mmo3->isVisibleTo(Form3));
    QVERIFY(!Form3->btn8->isVisibleTo(Form3));
    QVERIFY(!Form3->btn9->isVisibleTo(Form3));
    QVERIFY(Form3->attempt().QuestStarts.isEmpty());
    QVERIFY(Form3->attempt().AnswerKey.isEmpty());
    QVERIFY(Form3->attempt().Answers.isEmpty());
    QCOMPARE(Form3->lst1->count(), 0);
    QCOMPARE(Form3->mmo1->toPlainText(), QString());
}

// Registration ----------------------------------------------------------------------------

void TestTestingWindow::createdInRegistration() {
    WindowTestSupport::destroyWindow(Form3);
    WindowTestSupport::makeWindow(Form3);
    QVERIFY(!Form3->isVisible()); // created hidden
    STEP(expectRegistration());
    QCOMPARE(Form3->windowTitle(), QStringLiteral("Тесты"));
    QCOMPARE(Form3->attempt().ContentDir, m_content->contentDir());
    QCOMPARE(Form3->attempt().RightCount, 0);
    QVERIFY(!Form3->mmo2->isVisibleTo(Form3));
    QCOMPARE(Form3->btn6->text(), QStringLiteral("Начать"));
    QCOMPARE(Form3->Button1->text(), QStringLiteral("Отмена"));
    QCOMPARE(Form3->btn7->text(), QStringLiteral("Завершить тест"));
    QCOMPARE(Form3->btn8->text(), QStringLiteral("Начать заново"));
    QCOMPARE(Form3->btn9->text(), QStringLiteral("Выход"));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
    const QString captions = QStringLiteral("ABCDE");
    for (int i = 0; i < 5; ++i)
        QCOMPARE(answerButton(captions.at(i))->text(), QString(captions.at(i)));
}

void TestTestingWindow::subjectsListedNoneChosen() {
    QCOMPARE(itemsOf(Form3->cbb1), (QStringList{kAlgebra, kPhysics}));
    QCOMPARE(Form3->cbb1->currentIndex(), -1);
    QCOMPARE(Form3->cbb1->currentText(), QString());
    QCOMPARE(Form3->cbb2->count(), 0);
    QVERIFY(!Form3->cbb1->isEditable());
    QVERIFY(!Form3->cbb2->isEditable());
}

void TestTestingWindow::subjectsHeldUntilShownOrPainted_data() {
    QTest::addColumn<bool>("showFirst"); // shown before the launcher has painted
    QTest::newRow("launcher painted") << false;
    QTest::newRow("shown before") << true;
}

// Read at creation, the subjects are sorted and listed once: as the launcher paints or earlier.
void TestTestingWindow::subjectsHeldUntilShownOrPainted() {
    QFETCH(bool, showFirst);
    m_content->makeFolder(QStringLiteral("Content/Биология"));
    WindowTestSupport::destroyWindow(Form3);
    LaterWork::hold();
    WindowTestSupport::makeWindow(Form3, WindowTestSupport::Controls::WhenShown);
    const QStringList sorted{kAlgebra, QStringLiteral("Биология"), kPhysics};
    if (showFirst) {
        Form3->showForm();
        QCOMPARE(itemsOf(Form3->cbb1), sorted);
        Form3->closeForm();
    }
    LaterWork::run();
    Form3->showForm();
    QCOMPARE(itemsOf(Form3->cbb1), sorted);
    QCOMPARE(Form3->cbb1->currentIndex(), -1);
}

void TestTestingWindow::pickingSubjectTwiceListsVariantsOnce() {
    STEP(pickSubject(kAlgebra));
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
    QCOMPARE(Form3->cbb2->currentIndex(), -1); // no variant chosen
    STEP(pickVariant(kFewKeys));
    STEP(pickSubject(kAlgebra));
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
    QCOMPARE(Form3->cbb2->currentIndex(), -1);
}

void TestTestingWindow::pickingAnotherSubjectReplacesVariants() {
    STEP(pickSubject(kAlgebra));
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
    STEP(pickSubject(kPhysics));
    QCOMPARE(itemsOf(Form3->cbb2), kPhysicsVariants);
    STEP(pickSubject(kAlgebra));
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
}

void TestTestingWindow::subjectPickedWithKeyboard() {
    STEP(activate());
    Form3->cbb1->setFocus();
    QTest::keyClick(Form3->cbb1, Qt::Key_Down);
    QCOMPARE(Form3->cbb1->currentText(), kAlgebra);
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
    QTest::keyClick(Form3->cbb1, Qt::Key_Down);
    QCOMPARE(Form3->cbb1->currentText(), kPhysics);
    QCOMPARE(itemsOf(Form3->cbb2), kPhysicsVariants);
    QTest::keyClick(Form3->cbb1, Qt::Key_Up);
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
}

void TestTestingWindow::emptyNameOrGroup_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("group");
    QTest::newRow("name empty") << "" << kGroup;
    QTest::newRow("group empty") << kStudent << "";
    QTest::newRow("both empty") << ""
                                << "";
}

void TestTestingWindow::emptyNameOrGroup() {
    QFETCH(QString, name);
    QFETCH(QString, group);
    fillIn(name, group);
    STEP(pickSubject(kAlgebra));
    STEP(pickVariant(kGood));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);

    QCOMPARE(m_services->notices.size(), 1);
    QCOMPARE(m_services->notices[0].message, QStringLiteral("Не все параметры указаны"));
    QCOMPARE(m_services->notices[0].title, applicationTitle());
    QVERIFY(m_services->errors.isEmpty());
    STEP(expectRegistration());
    QCOMPARE(Form3->edt1->text(), name);
    QCOMPARE(Form3->edt2->text(), group);
    QCOMPARE(Form3->cbb1->currentText(), kAlgebra);
    QCOMPARE(Form3->cbb2->currentText(), kGood);
    QCOMPARE(Form3->attempt().StudentName, QString()); // nothing is stored
    QCOMPARE(Form3->attempt().VariantName, QString());
}

void TestTestingWindow::refusedAtStart_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("notice"); // a piece of it

    QTest::newRow("slash in name")
        << QStringLiteral("Иван/Петров") << kGood << QStringLiteral("не может содержать");
    QTest::newRow("colon in name")
        << QStringLiteral("Иван: Петров") << kGood << QStringLiteral("не может содержать");
    QTest::newRow("tab in name") << QStringLiteral("Иван\tПетров") << kGood
                                 << QStringLiteral("управляющие");
    QTest::newRow("name of two dots") << ".." << kGood << QStringLiteral("точек");
    QTest::newRow("one separator")
        << kStudent << kOneSeparator << QStringLiteral("нельзя пройти: Нет ни одного вопроса");
    QTest::newRow("fewer keys than questions")
        << kStudent << kFewKeys << QStringLiteral("Не у всех вопросов есть ключ");
}

void TestTestingWindow::refusedAtStart() {
    QFETCH(QString, name);
    QFETCH(QString, variant);
    QFETCH(QString, notice);
    fillIn(name, kGroup);
    STEP(pickSubject(kAlgebra));
    STEP(pickVariant(variant));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);

    QCOMPARE(m_services->notices.size(), 1);
    QVERIFY2(m_services->notices[0].message.contains(notice),
             qPrintable(m_services->notices[0].message));
    QVERIFY(m_services->errors.isEmpty());
    STEP(expectRegistration());
    QCOMPARE(Form3->edt1->text(), name);
    QCOMPARE(Form3->edt2->text(), kGroup);
    QCOMPARE(Form3->cbb1->currentText(), kAlgebra);
    QCOMPARE(Form3->cbb2->currentText(), variant);
    QCOMPARE(Form3->attempt().StudentName, QString());
    QCOMPARE(Form3->attempt().SubjectName, QString());
    QCOMPARE(Form3->mmo2->toPlainText(), QString());
    QVERIFY(Form3->testLines().isEmpty());
}

void TestTestingWindow::failedStart_data() {
    QTest::addColumn<QString>("subject"); // empty: none picked
    QTest::addColumn<QString>("variant"); // empty: none picked
    QTest::addColumn<QString>("message"); // the error box's text begins so

    QTest::newRow("no subject") << ""
                                << "" << QStringLiteral("Cannot open file \"");
    QTest::newRow("no variant") << kAlgebra << "" << QStringLiteral("Cannot open file \"");
    QTest::newRow("missing file") << kAlgebra << kRemoved << QStringLiteral("Cannot open file \"");
    QTest::newRow("damaged file") << kAlgebra << kDamaged << QStringLiteral("Error.");
    QTest::newRow("empty file") << kAlgebra << kEmpty << QStringLiteral("Stream read error.");
}

void TestTestingWindow::failedStart() {
    QFETCH(QString, subject);
    QFETCH(QString, variant);
    QFETCH(QString, message);

    fillIn(kStudent, kGroup);
    if (!subject.isEmpty())
        STEP(pickSubject(subject));
    if (!variant.isEmpty())
        STEP(pickVariant(variant));
    if (variant == kRemoved)
        QVERIFY(QFile::remove(m_content->contentDir() + kAlgebra + QStringLiteral("/Тесты/") +
                              kRemoved));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);

    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors[0].title, applicationTitle());
    QVERIFY2(m_services->errors[0].message.startsWith(message),
             qPrintable(m_services->errors[0].message));
    QVERIFY(m_services->notices.isEmpty());
    STEP(expectRegistration());
    QCOMPARE(Form3->edt1->text(), kStudent);
    QCOMPARE(Form3->edt2->text(), kGroup);
    QCOMPARE(Form3->cbb1->currentText(), subject);
    QCOMPARE(Form3->cbb2->currentText(), variant);
    QVERIFY(Form3->btn6->isEnabled());
    QVERIFY(Form3->Button1->isEnabled());
}

void TestTestingWindow::failedStartCanBeCorrected() {
    fillIn(kStudent, kGroup);
    STEP(pickSubject(kAlgebra));
    STEP(pickVariant(kDamaged));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 1);
    STEP(expectRegistration());

    // Not a dead window: choosing another variant starts the test.
    STEP(pickVariant(kGood));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->lst1->count(), 3);
}

void TestTestingWindow::blankNameStarts() {
    fillIn(QStringLiteral("   "), QStringLiteral(" "));
    STEP(pickSubject(kPhysics));
    STEP(pickVariant(kOptics));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QVERIFY(m_services->notices.isEmpty());
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->attempt().StudentName, QStringLiteral("   "));
    QCOMPARE(Form3->attempt().GroupName, QStringLiteral(" "));
}

void TestTestingWindow::registrationByKeyboard() {
    STEP(activate());
    Form3->edt1->setFocus();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form3->edt1));
    const QList<QWidget*> order{Form3->edt2, Form3->cbb1, Form3->cbb2, Form3->btn6, Form3->Button1};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }

    typeText(Form3->edt1, kStudent);
    typeText(Form3->edt2, kGroup);
    Form3->cbb1->setFocus();
    QTest::keyClick(Form3->cbb1, Qt::Key_Down);
    Form3->cbb2->setFocus();
    QTest::keyClick(Form3->cbb2, Qt::Key_Down);
    QCOMPARE(Form3->cbb2->currentText(), kGood);
    Form3->btn6->setFocus();
    QTest::keyClick(Form3->btn6, Qt::Key_Return); // Enter presses the focused button
    QVERIFY(m_services->notices.isEmpty());
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->attempt().StudentName, kStudent);
    QCOMPARE(Form3->attempt().GroupName, kGroup);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form3->lst1));
}

// Questions and answers -------------------------------------------------------------------

void TestTestingWindow::startShowsFirstQuestion() {
    STEP(startTest(kAlgebra, kGood));
    QVERIFY(!Form3->pnl1->isVisibleTo(Form3));
    QVERIFY(Form3->lst1->isEnabled());
    QVERIFY(Form3->mmo1->isEnabled());
    QVERIFY(Form3->pnl2->isEnabled());
    QVERIFY(Form3->btn7->isEnabled());
    QVERIFY(!Form3->mmo3->isVisibleTo(Form3));
    QVERIFY(!Form3->btn8->isVisibleTo(Form3));
    QVERIFY(!Form3->btn9->isVisibleTo(Form3));

    QCOMPARE(itemsOf(Form3->lst1),
             (QStringList{QStringLiteral("Вопрос №1"), QStringLiteral("Вопрос №2"),
                          QStringLiteral("Вопрос №3")}));
    QCOMPARE(Form3->lst1->currentRow(), 0);
    QCOMPARE(Form3->lst1->visualItemRect(Form3->lst1->item(0)).height(), 16);
    // The question and the report wrap long lines; the hidden test text keeps them whole.
    QCOMPARE(Form3->mmo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(Form3->mmo3->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[0].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));

    const TestAttempt& attempt = Form3->attempt();
    QCOMPARE(attempt.StudentName, kStudent);
    QCOMPARE(attempt.GroupName, kGroup);
    QCOMPARE(attempt.SubjectName, kAlgebra);
    QCOMPARE(attempt.VariantName, kGood);
    QCOMPARE(attempt.Answers, QByteArray(3, '\0'));
    QCOMPARE(attempt.CurQuest, 0);

    // The window holds only the questions as shown: no key, no line outside them, no accent.
    QVERIFY(attempt.AnswerKey.isEmpty());
    QCOMPARE(attempt.QuestStarts, (QVector<qint32>{0, 6, 10, 14}));
    QStringList shown{QStringLiteral("---")};
    for (const QStringList& question : kGoodQuestions)
        shown << question << QStringLiteral("---");
    QCOMPARE(Form3->testLines(), shown);
    QCOMPARE(Form3->mmo2->toPlainText(), Form3->testLines().join(QLatin1Char('\n')));
}

void TestTestingWindow::answeringMovesToNextQuestion() {
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(u'C'));
    QCOMPARE(Form3->attempt().Answers, QByteArray("C\0\0", 3));
    QCOMPARE(Form3->lst1->item(0)->text(), QStringLiteral("Вопрос №1(отвечен)"));
    QCOMPARE(Form3->lst1->currentRow(), 1);
    QCOMPARE(Form3->attempt().CurQuest, 1);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[1].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("11111")); // question 2 is not answered yet

    STEP(answer(u'E'));
    QCOMPARE(Form3->attempt().Answers, QByteArray("CE\0", 3));
    QCOMPARE(Form3->lst1->currentRow(), 2);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[2].join(QLatin1Char('\n')));
    QCOMPARE(itemsOf(Form3->lst1),
             (QStringList{QStringLiteral("Вопрос №1(отвечен)"),
                          QStringLiteral("Вопрос №2(отвечен)"), QStringLiteral("Вопрос №3")}));
}

void TestTestingWindow::answeringTwiceMarksTwice() {
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(u'B'));
    STEP(selectQuestion(0));
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[0].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("10111"));
    STEP(answer(u'A'));
    QCOMPARE(Form3->lst1->item(0)->text(), QStringLiteral("Вопрос №1(отвечен)(отвечен)"));
    QCOMPARE(Form3->attempt().Answers.at(0), 'A'); // the later answer replaces the earlier
    QCOMPARE(Form3->lst1->currentRow(), 1);
}

void TestTestingWindow::lastQuestionStaysWithButtonsUnchanged() {
    STEP(startTest(kAlgebra, kGood));
    STEP(selectQuestion(2));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
    STEP(answer(u'A'));
    QCOMPARE(Form3->lst1->currentRow(), 2);
    QCOMPARE(Form3->attempt().CurQuest, 2);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[2].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("11111")); // unchanged by the click
    QCOMPARE(Form3->attempt().Answers, QByteArray("\0\0A", 3));

    // Shown afresh, the question marks its answer; a second answer again changes no button.
    STEP(selectQuestion(1));
    STEP(selectQuestion(2));
    QCOMPARE(buttonStates(), QStringLiteral("01111"));
    STEP(answer(u'C'));
    QCOMPARE(buttonStates(), QStringLiteral("01111"));
    QCOMPARE(Form3->lst1->currentRow(), 2);
    QCOMPARE(Form3->attempt().Answers, QByteArray("\0\0C", 3));
    QCOMPARE(Form3->lst1->item(2)->text(), QStringLiteral("Вопрос №3(отвечен)(отвечен)"));
}

void TestTestingWindow::revisitMarksGivenAnswer_data() {
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QString>("states");
    QTest::newRow("A") << QChar(u'A') << "01111";
    QTest::newRow("B") << QChar(u'B') << "10111";
    QTest::newRow("C") << QChar(u'C') << "11011";
    QTest::newRow("D") << QChar(u'D') << "11101";
    QTest::newRow("E") << QChar(u'E') << "11110";
}

void TestTestingWindow::revisitMarksGivenAnswer() {
    QFETCH(QChar, letter);
    QFETCH(QString, states);
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(letter));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
    STEP(selectQuestion(0));
    QCOMPARE(buttonStates(), states);
    STEP(selectQuestion(1));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
}

void TestTestingWindow::whoSelectIgnoresOtherLetters_data() {
    QTest::addColumn<char>("letter");
    QTest::newRow("not answered") << char(0);
    QTest::newRow("small a") << 'a';
    QTest::newRow("F") << 'F';
    QTest::newRow("cyrillic А") << char(0xC0);
}

void TestTestingWindow::whoSelectIgnoresOtherLetters() {
    QFETCH(char, letter);
    STEP(startTest(kAlgebra, kGood));
    Form3->WhoSelect('B');
    QCOMPARE(buttonStates(), QStringLiteral("10111"));
    Form3->WhoSelect(letter);
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
}

void TestTestingWindow::arrowKeysShowEachQuestion() {
    STEP(startTest(kAlgebra, kGood));
    STEP(activate());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form3->lst1));
    QTest::keyClick(Form3->lst1, Qt::Key_Down);
    QCOMPARE(Form3->lst1->currentRow(), 1);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[1].join(QLatin1Char('\n')));
    QTest::keyClick(Form3->lst1, Qt::Key_Down);
    QCOMPARE(Form3->lst1->currentRow(), 2);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[2].join(QLatin1Char('\n')));
    QTest::keyClick(Form3->lst1, Qt::Key_Down); // stays on the last
    QCOMPARE(Form3->lst1->currentRow(), 2);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[2].join(QLatin1Char('\n')));
    QTest::keyClick(Form3->lst1, Qt::Key_Up);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[1].join(QLatin1Char('\n')));
    QTest::keyClick(Form3->lst1, Qt::Key_Up);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[0].join(QLatin1Char('\n')));
    QCOMPARE(Form3->attempt().CurQuest, 0);

    // Answer with the keyboard, then come back: the given answer is marked.
    Form3->btn4->setFocus();
    QTest::keyClick(Form3->btn4, Qt::Key_Space);
    QCOMPARE(Form3->attempt().Answers.at(0), 'D');
    QCOMPARE(Form3->lst1->currentRow(), 1);
    QTest::keyClick(Form3->lst1, Qt::Key_Up);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[0].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("11101"));
}

void TestTestingWindow::keysAnswerAsButtons_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<char>("answer"); // given by the key on question 1, then on question 2
    QTest::newRow("Latin") << "c" << 'C';
    QTest::newRow("Russian layout, A's place") << "ф" << 'A';
    QTest::newRow("Russian layout, D's place") << "В" << 'D';
    QTest::newRow("Cyrillic look-alike of E") << "Е" << 'E';
    QTest::newRow("digit") << "2" << 'B';
    QTest::newRow("no answer key") << "f" << '\0';
}

void TestTestingWindow::keysAnswerAsButtons() {
    QFETCH(QString, key);
    QFETCH(char, answer);
    STEP(startTest(kAlgebra, kGood));
    STEP(activate());
    auto press = [&key](QWidget* target) {
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(key.at(0).toUpper().unicode()), key,
                            Qt::NoModifier);
    };
    press(Form3->lst1);
    QCOMPARE(Form3->attempt().Answers.left(1), QByteArray(1, answer));
    QCOMPARE(Form3->lst1->currentRow(), answer ? 1 : 0);
    Form3->mmo1->setFocus();
    if (!answer)
        STEP(selectQuestion(1));
    press(Form3->mmo1);
    QCOMPARE(Form3->attempt().Answers.left(2), QByteArray(2, answer));
    // A key of a disabled button does nothing: the answer stays, marked once.
    STEP(selectQuestion(0));
    press(Form3->lst1);
    QCOMPARE(Form3->lst1->item(0)->text(), QString(answer ? "Вопрос №1(отвечен)" : "Вопрос №1"));
    QCOMPARE(Form3->state(), TForm3::State::Testing);
}

// What a screen reader reads of the question list: the question, the answer, the news.
void TestTestingWindow::questionsAreSpoken() {
    STEP(startTest(kAlgebra, kGood));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(Form3->lst1);
    QVERIFY(list);
    auto spoken = [list](int row) { return list->child(row)->text(QAccessible::Name); };
    const QString first = "Вопрос №1: " + kGoodQuestions[0].join(u'\n');
    const QString second = "Вопрос №2: " + kGoodQuestions[1].join(u'\n');
    QCOMPARE(spoken(0), first);
    STEP(answer(u'C'));
    QCOMPARE(spoken(0), first + "\nДан ответ: C");
    QCOMPARE(spoken(1), "Ответ C принят. " + second);
    // Coming back later, the news is gone.
    STEP(selectQuestion(0));
    STEP(selectQuestion(1));
    QCOMPARE(spoken(1), second);
    QCOMPARE(Form3->lst1->item(1)->text(), QStringLiteral("Вопрос №2"));
}

// A keeper that ends mid-test costs nothing: the finish fails, the next try stores the report.
void TestTestingWindow::keeperEndedInTheMiddle() {
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(u'C'));
    KeeperInThisProcess::endNextKeeper();
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    STEP(finish());
    QCOMPARE(reportFileLines(reportsDir(kAlgebra) + "/Иван Петров(0)").value(5),
             QStringLiteral("Вопрос № 1- Правильно "));
}

void TestTestingWindow::interruptedTestIsOffered_data() {
    QTest::addColumn<bool>("goOn");
    QTest::addColumn<bool>("variantChanged");
    QTest::addColumn<bool>("heldElsewhere"); // by another copy of the program: not offered
    QTest::newRow("continued") << true << false << false;
    QTest::newRow("given up") << false << false << false;
    QTest::newRow("variant saved since") << true << true << false;
    QTest::newRow("held by another copy") << true << false << true;
}

void TestTestingWindow::interruptedTestIsOffered() {
    QFETCH(bool, goOn);
    QFETCH(bool, variantChanged);
    QFETCH(bool, heldElsewhere);
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(u'C'));
    STEP(answer(u'B'));
    WindowTestSupport::destroyWindow(Form3); // the program ends mid-test
    if (variantChanged) // a line more after the last question: not shown, yet another file
        m_content->makePacked("Content/" + kAlgebra + "/Тесты/" + kGood, kGoodText + "`E\n");
    std::optional<AttemptStore::Claim> otherCopy;
    if (heldElsewhere)
        QVERIFY(otherCopy.emplace().held());
    m_services->yesNoAnswers.append(goOn);
    WindowTestSupport::makeWindow(Form3);
    auto show = [this, heldElsewhere] {
        Form3->hide();
        Form3->showForm();
        QCoreApplication::processEvents(); // the check waits for the window to be shown
        QTRY_COMPARE(m_services->questions.size(), heldElsewhere ? 0 : 1);
    };
    STEP(show());
    QVERIFY(heldElsewhere || m_services->questions.first().contains(kGood));
    QCOMPARE(m_services->notices.size(), variantChanged ? 1 : 0);
    if (!goOn || heldElsewhere) {
        STEP(expectRegistration());
        STEP(show()); // asked again: never, whether given up for good or held elsewhere
        return;
    }
    QCOMPARE(Form3->attempt().Answers,
             variantChanged ? QByteArray(4, '\0') : QByteArray("CB\0", 3));
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->lst1->currentRow(), variantChanged ? 0 : 2);
    QCOMPARE(Form3->lst1->item(1)->text(),
             QString(variantChanged ? "Вопрос №2" : "Вопрос №2(отвечен)"));
    STEP(finish());
    QCOMPARE(reportFileLines(reportsDir(kAlgebra) + "/Иван Петров(0)").mid(5, 2),
             (QStringList{variantChanged ? "Вопрос № 1- Неправильно " : "Вопрос № 1- Правильно ",
                          "Вопрос № 2- Неправильно "}));
}

void TestTestingWindow::everyLineBreakEndsALine() {
    STEP(startTest(kAlgebra, kMixedBreaks));
    QCOMPARE(Form3->testLines(), (QStringList{QStringLiteral("---"), QStringLiteral("Вопрос 1"),
                                              QStringLiteral("A) x"), QStringLiteral("---"),
                                              QStringLiteral("Вопрос 2"), QStringLiteral("---")}));
    QCOMPARE(Form3->attempt().QuestStarts, (QVector<qint32>{0, 3, 5}));
    QCOMPARE(Form3->attempt().Answers.size(), 2);
    QCOMPARE(Form3->mmo1->toPlainText(), QStringLiteral("Вопрос 1\nA) x"));
}

// Report ----------------------------------------------------------------------------------

void TestTestingWindow::finishShowsReportAndSavesIt() {
    QVERIFY(!QFileInfo::exists(reportsDir(kAlgebra)));
    STEP(startTest(kAlgebra, kGood));
    STEP(answer(u'C'));
    STEP(answer(u'B'));
    STEP(finish());

    const QStringList expected{QStringLiteral("Имя фамилия: Иван Петров"),
                               QStringLiteral("Группа: ИС-21"),
                               QStringLiteral("Предмет: Алгебра"),
                               QStringLiteral("Тест: Вариант 1.txt"),
                               QStringLiteral("05.03.2014     09:07:41"),
                               QStringLiteral("Вопрос № 1- Правильно "),
                               QStringLiteral("Вопрос № 2- Неправильно "),
                               QStringLiteral("Вопрос № 3- Неправильно "),
                               QStringLiteral("Всего вопросов: 3"),
                               QStringLiteral("Правильно: 1    (33,3333333333333 %)"),
                               QStringLiteral("Неправильно: 2")};
    QCOMPARE(Form3->mmo3->toPlainText(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    // The report lies over the whole window, the two buttons above it.
    QVERIFY(Form3->mmo3->isVisible());
    QCOMPARE(Form3->mmo3->geometry(), Form3->rect());
    QVERIFY(Form3->btn8->isVisible());
    QVERIFY(Form3->btn9->isVisible());
    QCOMPARE(Form3->childAt(Form3->btn8->geometry().center()), Form3->btn8);
    QCOMPARE(Form3->childAt(Form3->btn9->geometry().center()), Form3->btn9);
    for (QWidget* covered : {static_cast<QWidget*>(Form3->mmo1), static_cast<QWidget*>(Form3->pnl2),
                             static_cast<QWidget*>(Form3->btn7)}) {
        QWidget* top = Form3->childAt(covered->geometry().center());
        QVERIFY(top == Form3->mmo3 || Form3->mmo3->isAncestorOf(top));
    }

    // The folder was created and holds exactly the one report, which decodes to the view.
    QVERIFY(QFileInfo(reportsDir(kAlgebra)).isDir());
    QCOMPARE(entriesOf(reportsDir(kAlgebra)), QStringList{QStringLiteral("Иван Петров(0)")});
    const QString file = reportsDir(kAlgebra) + QStringLiteral("/Иван Петров(0)");
    QCOMPARE(unpacked(file), TextLines::fromEditorText(Form3->mmo3->toPlainText()));
    QCOMPARE(reportFileLines(file), expected);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
}

void TestTestingWindow::keysAfterReportWriteNoSecondFile() {
    STEP(startTest(kAlgebra, kGood));
    STEP(activate());
    Form3->btn7->setFocus();
    QTest::keyClick(Form3->btn7, Qt::Key_Return); // finish from the keyboard
    QCOMPARE(Form3->state(), TForm3::State::Report);
    QCOMPARE(entriesOf(reportsDir(kAlgebra)).size(), 1);

    for (const Qt::Key key :
         {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Return, Qt::Key_Space}) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QVERIFY(focus != Form3->btn7);
        QVERIFY(focus->isVisible());
        QTest::keyClick(focus, key);
    }
    // Even a key sent to the covered finish button itself does nothing.
    QTest::keyClick(Form3->btn7, Qt::Key_Space);
    QTest::keyClick(Form3->btn7, Qt::Key_Return);
    QCOMPARE(entriesOf(reportsDir(kAlgebra)), QStringList{QStringLiteral("Иван Петров(0)")});
    QVERIFY(m_services->errors.isEmpty());
}

void TestTestingWindow::twoPassesGiveTwoFiles() {
    STEP(startTest(kPhysics, kMechanics));
    STEP(answer(u'D'));
    STEP(finish());
    const QString first = Form3->mmo3->toPlainText();
    Form3->QuestEnd(); // the pass once more on the same attempt
    QCOMPARE(entriesOf(reportsDir(kPhysics)),
             (QStringList{QStringLiteral("Иван Петров(0)"), QStringLiteral("Иван Петров(1)")}));
    for (const QString& name :
         {QStringLiteral("Иван Петров(0)"), QStringLiteral("Иван Петров(1)")}) {
        const QStringList lines = reportFileLines(reportsDir(kPhysics) + QLatin1Char('/') + name);
        QCOMPARE(lines.mid(5), (QStringList{QStringLiteral("Вопрос № 1- Правильно "),
                                            QStringLiteral("Вопрос № 2- Неправильно "),
                                            QStringLiteral("Всего вопросов: 2"),
                                            QStringLiteral("Правильно: 1    (50 %)"),
                                            QStringLiteral("Неправильно: 1")}));
    }
    QCOMPARE(Form3->mmo3->toPlainText(), first);
}

void TestTestingWindow::surplusKeysAreListedAsQuestions() {
    STEP(startTest(kAlgebra, kSurplusKeys));
    QCOMPARE(Form3->lst1->count(), 2);
    QCOMPARE(Form3->attempt().Answers.size(), 4);
    STEP(answer(u'A'));
    STEP(answer(u'B'));
    STEP(finish());
    const QStringList lines =
        reportFileLines(reportsDir(kAlgebra) + QStringLiteral("/Иван Петров(0)"));
    QCOMPARE(lines.mid(5),
             (QStringList{
                 QStringLiteral("Вопрос № 1- Правильно "), QStringLiteral("Вопрос № 2- Правильно "),
                 QStringLiteral("Вопрос № 3- Неправильно "),
                 QStringLiteral("Вопрос № 4- Правильно "), QStringLiteral("Всего вопросов: 4"),
                 QStringLiteral("Правильно: 3    (75 %)"), QStringLiteral("Неправильно: 1")}));
}

void TestTestingWindow::allReportNumbersTaken() {
    const QString reports = reportsDir(kPhysics);
    QVERIFY(QDir().mkpath(reports));
    for (int n = 0; n < 256; ++n) {
        QFile file(reports + QStringLiteral("/Иван Петров(%1)").arg(n));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(n));
    }
    const QStringList before = entriesOf(reports);

    STEP(startTest(kPhysics, kOptics));
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(m_services->notices.size(), 1);
    QVERIFY2(m_services->notices[0].message.contains(QStringLiteral("Отчёт не сохранён")),
             qPrintable(m_services->notices[0].message));
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(entriesOf(reports), before);
    // No score without its report: the test stays on screen.
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QVERIFY(!Form3->mmo3->isVisible());
}

void TestTestingWindow::failedReportWriteKeepsTheTestGoing() {
    // A regular file where the reports folder should be: neither the folder nor the report
    // can be created.
    const QString reports = reportsDir(kPhysics);
    {
        QFile file(reports);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a folder");
    }
    STEP(startTest(kPhysics, kOptics));
    STEP(answer(u'A'));
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 1);
    QVERIFY2(m_services->errors[0].message.startsWith(QStringLiteral("Cannot create file \"")),
             qPrintable(m_services->errors[0].message));
    QVERIFY(QFileInfo(reports).isFile());
    QCOMPARE(entriesOf(m_content->contentDir() + kPhysics + QStringLiteral("/Тесты")),
             (QStringList{kMechanics, kOptics, QStringLiteral("Отчеты")}));
    // No score without its report stored; the answers wait for the next try.
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QVERIFY(!Form3->mmo3->isVisible());
    QCOMPARE(Form3->attempt().Answers, QByteArray("A"));

    // Once the folder can be made, the same attempt is finished and stored.
    QVERIFY(QFile::remove(reports));
    STEP(finish());
    QCOMPARE(reportFileLines(reports + QStringLiteral("/Иван Петров(0)")).mid(5, 1),
             QStringList{QStringLiteral("Вопрос № 1- Правильно ")});
    QTest::mouseClick(Form3->btn8, Qt::LeftButton);
    STEP(expectRegistration());
}

void TestTestingWindow::restartReturnsToRegistration() {
    STEP(startTest(kPhysics, kMechanics));
    STEP(answer(u'D'));
    STEP(finish());
    const QString report = Form3->mmo3->toPlainText();
    QTest::mouseClick(Form3->btn8, Qt::LeftButton);

    STEP(expectRegistration());
    QCOMPARE(Form3->edt1->text(), QString());
    QCOMPARE(Form3->edt2->text(), QString());
    QCOMPARE(Form3->cbb1->currentIndex(), 0);
    QCOMPARE(Form3->cbb1->currentText(), kAlgebra);
    // The variants belong to the subject shown, not to the one of the test before.
    QCOMPARE(itemsOf(Form3->cbb2), kAlgebraVariants);
    QCOMPARE(Form3->cbb2->currentIndex(), 0);
    QCOMPARE(Form3->cbb2->currentText(), kGood);
    const TestAttempt& attempt = Form3->attempt();
    QCOMPARE(attempt.StudentName, QString());
    QCOMPARE(attempt.GroupName, QString());
    QCOMPARE(attempt.SubjectName, QString());
    QCOMPARE(attempt.VariantName, QString());
    QCOMPARE(attempt.CurQuest, 0);
    QCOMPARE(attempt.RightCount, 0);
    QCOMPARE(Form3->mmo2->toPlainText(), QString());
    QVERIFY(Form3->testLines().isEmpty());
    // The report view keeps its text, hidden.
    QCOMPARE(Form3->mmo3->toPlainText(), report);
}

void TestTestingWindow::restartThenStartUsesSubjectShown() {
    STEP(startTest(kPhysics, kOptics));
    STEP(finish());
    QTest::mouseClick(Form3->btn8, Qt::LeftButton);
    STEP(expectRegistration());

    fillIn(QStringLiteral("Анна"), kGroup);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton); // no new pick
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->attempt().SubjectName, kAlgebra);
    QCOMPARE(Form3->attempt().VariantName, kGood);
    QCOMPARE(Form3->lst1->count(), 3);
    QCOMPARE(Form3->mmo1->toPlainText(), kGoodQuestions[0].join(QLatin1Char('\n')));
    QCOMPARE(buttonStates(), QStringLiteral("11111"));
}

void TestTestingWindow::cancelClearsAndHides() {
    fillIn(kStudent, kGroup);
    STEP(pickSubject(kPhysics));
    STEP(pickVariant(kOptics));
    QTest::mouseClick(Form3->Button1, Qt::LeftButton);

    QVERIFY(!Form3->isVisible());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"}); // closing shows the launcher
    QCOMPARE(Form3->edt1->text(), QString());
    QCOMPARE(Form3->edt2->text(), QString());
    QCOMPARE(itemsOf(Form3->cbb1), (QStringList{kAlgebra, kPhysics}));
    QCOMPARE(Form3->cbb1->currentIndex(), -1);
    QCOMPARE(Form3->cbb2->count(), 0);

    Form3->showForm();
    STEP(expectRegistration());
    QCOMPARE(Form3->cbb1->currentIndex(), -1);
    QCOMPARE(Form3->cbb2->count(), 0);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
}

void TestTestingWindow::exitHidesAndReopeningShowsReport() {
    STEP(startTest(kAlgebra, kGood));
    STEP(finish());
    const QString report = Form3->mmo3->toPlainText();
    QTest::mouseClick(Form3->btn9, Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    QCOMPARE(Form3->state(), TForm3::State::Report);

    Form3->showForm();
    QVERIFY(Form3->isVisible());
    QCOMPARE(Form3->state(), TForm3::State::Report);
    QVERIFY(Form3->mmo3->isVisible());
    QCOMPARE(Form3->mmo3->toPlainText(), report);
    QCOMPARE(Form3->mmo3->geometry(), Form3->rect());
    QVERIFY(Form3->btn8->isVisible());
    QVERIFY(Form3->btn9->isVisible());
    QVERIFY(!Form3->pnl1->isVisible());
    QCOMPARE(entriesOf(reportsDir(kAlgebra)).size(), 1); // showing writes nothing
}

void TestTestingWindow::layoutOnShow() {
    QCOMPARE(Form3->minimumSize(), Form3->size());
    QCOMPARE(Form3->maximumSize(), Form3->size());
    const TestingLayout l = TestingLayout::forClient(Form3->width(), Form3->height());
    QCOMPARE(Form3->pnl1->geometry(), l.pnl1);
    QCOMPARE(Form3->lst1->geometry(), l.lst1);
    QCOMPARE(Form3->mmo1->geometry(), l.mmo1);
    QCOMPARE(Form3->pnl2->geometry(), l.pnl2);
    QCOMPARE(Form3->btn7->geometry(), l.btn7);
    QCOMPARE(Form3->btn9->geometry(), l.btn9);
    QCOMPARE(Form3->btn8->geometry(), l.btn8);
    // Inside the panels nothing moves.
    QCOMPARE(Form3->edt1->geometry(), QRect(120, 32, 241, 24));
    QCOMPARE(Form3->btn6->geometry(), QRect(184, 160, 75, 25));
    QCOMPARE(Form3->Button1->geometry(), QRect(288, 160, 75, 25));
    QCOMPARE(Form3->btn5->geometry(), QRect(328, 8, 75, 25));
}

// End to end ------------------------------------------------------------------------------

void TestTestingWindow::endToEnd() {
    // A variant packed on disk, taken by keyboard and mouse as a student would.
    const QString variant = QStringLiteral("Итоговый.txt");
    m_content->makePacked(QStringLiteral("Content/") + kPhysics + QStringLiteral("/Тесты/") +
                              variant,
                          QStringLiteral("Итоговый тест по физике\n"
                                         "`b\n"
                                         "---\n"
                                         "Единица силы?\n"
                                         "A) джоуль\n"
                                         "B) ньютон\n"
                                         "---\n"
                                         "Скорость света, км/с?\n"
                                         "A) 300 000\n"
                                         "---\n"
                                         "\n"
                                         "Формула работы?\n"
                                         "`е\n"
                                         "---\n"
                                         "Пустой вопрос ниже\n"
                                         "---\n"
                                         "---\n"
                                         "`a\n"
                                         "`\n"
                                         "`d\n"));
    STEP(activate());
    typeText(Form3->edt1, QStringLiteral("Мария Иванова"));
    typeText(Form3->edt2, QStringLiteral("Ф-11"));
    Form3->cbb1->setFocus();
    QTest::keyClick(Form3->cbb1, Qt::Key_Down);
    QTest::keyClick(Form3->cbb1, Qt::Key_Down);
    QCOMPARE(Form3->cbb1->currentText(), kPhysics);
    STEP(pickVariant(variant));
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(Form3->lst1->count(), 5);
    QVERIFY(Form3->attempt().AnswerKey.isEmpty());
    QCOMPARE(Form3->attempt().Answers.size(), 5);

    // Keys: B (before the first separator), Cyrillic Е, A, a lone accent (0), D.
    STEP(answer(u'B')); // 1: right
    STEP(answer(u'E')); // 2: the Latin E never matches the Cyrillic key: wrong
    STEP(answer(u'E')); // 3: key A, wrong
    // 4 stays unanswered against the key 0: right. 5 is the empty question, key D.
    STEP(selectQuestion(4));
    QCOMPARE(Form3->mmo1->toPlainText(), QString());
    STEP(answer(u'D')); // 5: right
    STEP(finish());

    const QStringList expected{QStringLiteral("Имя фамилия: Мария Иванова"),
                               QStringLiteral("Группа: Ф-11"),
                               QStringLiteral("Предмет: Физика"),
                               QStringLiteral("Тест: Итоговый.txt"),
                               QStringLiteral("05.03.2014     09:07:41"),
                               QStringLiteral("Вопрос № 1- Правильно "),
                               QStringLiteral("Вопрос № 2- Неправильно "),
                               QStringLiteral("Вопрос № 3- Неправильно "),
                               QStringLiteral("Вопрос № 4- Правильно "),
                               QStringLiteral("Вопрос № 5- Правильно "),
                               QStringLiteral("Всего вопросов: 5"),
                               QStringLiteral("Правильно: 3    (60 %)"),
                               QStringLiteral("Неправильно: 2")};
    const QString file = reportsDir(kPhysics) + QStringLiteral("/Мария Иванова(0)");
    QVERIFY(QFileInfo(file).isFile());
    const QStringList lines = reportFileLines(file);
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(lines.at(i), expected.at(i));
    QCOMPARE(Form3->mmo3->toPlainText(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

QTEST_MAIN(TestTestingWindow)
#include "TestTestingWindow.moc"
