// The teacher's control window as the teacher uses it, over a temporary content tree: the
// window and its panels, the test skeleton, the file dialogs' round trips, subject creation,
// the report review, the editor's keys and the clipboard. The whole road from a skeleton in the
// editor to a student's report read back is TestTeacherToStudent's (tests/app).

#include "ApplicationTitle.h"
#include "CodePage.h"
#include "EditorClipboard.h"
#include "EditorHotKeys.h"
#include "LaterWork.h"
#include "PackedText.h"
#include "QuestionCountBox.h"
#include "support/TestHelpers.h"
#include "support/TextbookTestSupport.h"
#include "support/WidgetTestHelpers.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TeacherLayout.h"
#include "TestSkeleton.h"
#include "TextLines.h"
#include "Unit5.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

#include <memory>

namespace {

using TextbookTestSupport::dump;
using TextbookTestSupport::node;
using WidgetTestHelpers::PressCounter;
using WidgetTestHelpers::typeText;

const QString kAlgebra = QStringLiteral("Алгебра");
const QString kGeometry = QStringLiteral("Геометрия");
const QString kPhysics = QStringLiteral("Физика");

const QString kReportText = QStringLiteral("Имя фамилия: Иван Петров\n"
                                           "Группа: ИС-21\n"
                                           "Предмет: Алгебра\n"
                                           "Тест: Вариант 1.txt\n"
                                           "05.03.2014     9:07:41\n"
                                           "Вопрос № 1- Правильно \n"
                                           "Всего вопросов: 1\n"
                                           "Правильно: 1    (100 %)\n"
                                           "Неправильно: 0\n");

QClipboard* clipboard() {
    return QGuiApplication::clipboard();
}

// The stored text of a packed file, as editor text.
QString packedText(const QString& path) {
    return TextLines::toEditorText(PackedText::OpenFromStream(path));
}

} // namespace

class TestTeacherWindow : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Window
    void createdHiddenWithThreePages();
    void showFillsWorkAreaAndPlacesPanels();
    void exitButtonLiesOverTheTabs();
    void controlsFollowThePage();
    void stateKeptUntilNextSignIn();
    void exitReturnsToLauncher();

    // Test skeleton
    void skeletonFromCount_data();
    void skeletonFromCount();
    void skeletonFromTypedCount_data();
    void skeletonFromTypedCount();
    void otherKeysInCountFieldDoNothing();
    void enterReleaseWithoutPressDoesNothing();
    void bothPanelsOpenAtOnce();

    // File dialogs
    void dialogsStartInContentRoot();
    void openDialogRemembersConfirmedFilter();
    void cancelledDialogsChangeNothing();
    void skeletonSavedAndReopened();
    void savedAndReopened_data();
    void savedAndReopened();
    void openFailureKeepsText_data();
    void openFailureKeepsText();
    void packedFileThroughOpenFile();
    void replaceIsAsked_data();
    void replaceIsAsked();
    void lossIsAsked_data();
    void lossIsAsked();
    void saveOntoFolderFails();
    void statusLineFollowsTheText();

    // Subjects
    void subjectCreated_data();
    void subjectCreated();
    void refusedSubjectName_data();
    void refusedSubjectName();

    // Report review
    void treeListsEverySubject();
    void treeHeldUntilShownOrPainted_data();
    void treeHeldUntilShownOrPainted();
    void clickShowsReport();
    void clicksInTheTree_data();
    void clicksInTheTree();
    void clickOnEmptySpaceReadsSelectedAgain();
    void keyboardAloneOpensNothing();
    void editedLabelBuildsPath();
    void tenThousandReports();

    // Editor keys and clipboard
    void keysFromReportPage();
    void keysFromSubjectField();
    void copyWithoutSelection();
    void pasteWithoutText_data();
    void pasteWithoutText();
    void ctrlNAndCtrlRTakenAndIdle_data();
    void ctrlNAndCtrlRTakenAndIdle();
    void ctrlShiftCPassesThrough();
    void nothingAfterClose();
    void clipboardAtClose_data();
    void clipboardAtClose();

private:
    void signIn();
    void activate();
    void showPage(QWidget* page);
    void clickNode(QTreeWidgetItem* item);
    void clickReport(const QString& path);
    void selectInEditor(const QString& text);
    void restart();
    void typeAtLineStart(int line, const QString& text);
};

void TestTeacherWindow::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestTeacherWindow::init() {
    QVERIFY(startFixture());
    m_content->makePacked(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иван Петров(0)"),
                          kReportText);
    m_content->makePacked(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иван Петров(1)"),
                          QStringLiteral("второй отчёт\n"));
    m_content->makePacked(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Пустой(0)"), QString());
    m_content->makeFolder(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Папка"));
    m_content->makeFolder(QStringLiteral("Content/Геометрия/Тесты/Отчеты"));
    m_content->makeFolder(QStringLiteral("Content/Физика"));
    clipboard()->clear();

    makeWindow(Form5);
}

void TestTeacherWindow::cleanup() {
    LaterWork::drop(); // a failed check may leave it holding
    stopFixture();
    clipboard()->clear();
}

// Helpers ---------------------------------------------------------------------------------

// What the sign-in's hand-over does to the teacher's window (the sign-in itself: TestSignIn).
void TestTeacherWindow::signIn() {
    Form5->showForm();
    QVERIFY(Form5->isVisible());
    STEP(activate());
}

void TestTeacherWindow::activate() {
    QApplication::setActiveWindow(Form5);
    QVERIFY(QTest::qWaitForWindowActive(Form5));
}

void TestTeacherWindow::showPage(QWidget* page) {
    const int index = Form5->pgc1->indexOf(page);
    QVERIFY(index >= 0);
    QTest::mouseClick(Form5->pgc1->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      Form5->pgc1->tabBar()->tabRect(index).center());
    QCOMPARE(Form5->pgc1->currentWidget(), page);
}

void TestTeacherWindow::clickNode(QTreeWidgetItem* item) {
    QTreeWidget* tree = Form5->tv1;
    if (item->parent())
        item->parent()->setExpanded(true);
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualItemRect(item).center());
    QCOMPARE(tree->currentItem(), item);
}

void TestTeacherWindow::clickReport(const QString& path) {
    QTreeWidgetItem* item = node(*Form5->tv1, path);
    QVERIFY2(item, qPrintable(path));
    STEP(clickNode(item));
}

void TestTeacherWindow::selectInEditor(const QString& text) {
    QTextCursor cursor = Form5->mmo1->document()->find(text);
    QVERIFY2(!cursor.isNull(), qPrintable(text));
    Form5->mmo1->setTextCursor(cursor);
    QCOMPARE(Form5->mmo1->textCursor().selectedText(), text);
}

void TestTeacherWindow::restart() {
    WindowTestSupport::destroyWindow(Form5);
    makeWindow(Form5);
}

// Puts the caret at the start of editor line `line` (from 0) and types `text` there.
void TestTeacherWindow::typeAtLineStart(int line, const QString& text) {
    const QTextBlock block = Form5->mmo1->document()->findBlockByNumber(line);
    QVERIFY(block.isValid());
    QTextCursor cursor(block);
    Form5->mmo1->setTextCursor(cursor);
    Form5->mmo1->setFocus();
    typeText(Form5->mmo1, text);
}

// Window ----------------------------------------------------------------------------------

void TestTeacherWindow::createdHiddenWithThreePages() {
    QVERIFY(Form5->isHidden());
    QCOMPARE(Form5->windowTitle(), QStringLiteral("Преподовательский контроль"));
    // The three pages of the teacher's window, and the journal after them.
    QCOMPARE(Form5->pgc1->count(), 4);
    QCOMPARE(Form5->pgc1->tabText(0), QStringLiteral("Редактор"));
    QCOMPARE(Form5->pgc1->tabText(1), QStringLiteral("Проверка отчетов"));
    QCOMPARE(Form5->pgc1->tabText(2), QStringLiteral("Справка"));
    QCOMPARE(Form5->pgc1->tabText(3), QStringLiteral("Журнал"));
    QCOMPARE(Form5->pgc1->currentWidget(), Form5->ts1);
    QCOMPARE(Form5->btn3->text(), QStringLiteral("Создать тест"));
    QCOMPARE(Form5->btn13->text(), QStringLiteral("Предмет"));
    QCOMPARE(Form5->openfile->text(), QStringLiteral("Открыть файл"));
    QCOMPARE(Form5->btn1->text(), QStringLiteral("Открыть документ "));
    QCOMPARE(Form5->btn2->text(), QStringLiteral("Сохранить файл"));
    QCOMPARE(Form5->btn4->text(), QStringLiteral("Ок"));
    QCOMPARE(Form5->btn5->text(), QStringLiteral("Создать"));
    QCOMPARE(Form5->lbl1->text(), QStringLiteral("Укажите Кол-во вопросов:"));
    QCOMPARE(Form5->lbl2->text(), QStringLiteral("Укажите название предмета:"));
    QCOMPARE(Form5->se1->minimum(), 1);
    QCOMPARE(Form5->se1->maximum(), 200);
    QCOMPARE(Form5->se1->value(), 30);
    QCOMPARE(Form5->edt1->text(), QString());
    QVERIFY(!Form5->pnl1->isVisibleTo(Form5));
    QVERIFY(!Form5->pnl2->isVisibleTo(Form5));
    QCOMPARE(Form5->mmo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(Form5->mmo2->lineWrapMode(), QPlainTextEdit::NoWrap);
    QVERIFY(!Form5->mmo1->isReadOnly());
    QVERIFY(!Form5->mmo2->isReadOnly());
    QCOMPARE(Form5->mmo1->font().pixelSize(), 16);
    QVERIFY(!Form5->mmo1->font().bold());
    QCOMPARE(Form5->tv1->indentation(), 19);
    // The browser engine does not start with the window.
    QVERIFY(!Form5->wb1);
    QVERIFY(!Form5->editorClipboard());
    QVERIFY(!Form5->hotKeysStarted());
}

void TestTeacherWindow::showFillsWorkAreaAndPlacesPanels() {
    STEP(signIn());
    const QRect area = Form5->screen()->availableGeometry();
    QCOMPARE(Form5->frameGeometry().topLeft(), area.topLeft());
    QCOMPARE(Form5->minimumSize(), Form5->size());
    QCOMPARE(Form5->maximumSize(), Form5->size());
    QVERIFY(Form5->width() <= area.width() && Form5->height() <= area.height());
    QCOMPARE(Form5->pgc1->geometry(), Form5->rect());
    const QPoint place = TeacherLayout::panelPlace(Form5->size());
    QCOMPARE(Form5->pnl1->pos(), place);
    QCOMPARE(Form5->pnl2->pos(), place);
    QCOMPARE(Form5->pnl1->size(), QSize(300, 89));
    // Within the page, which lies below the tabs: the panels sit below the window's centre.
    const QPoint centre = Form5->pnl1->mapTo(Form5, QPoint(150, 44));
    QVERIFY(centre.y() > Form5->height() / 2);
    QVERIFY(Form5->editorClipboard());
    QVERIFY(Form5->hotKeysStarted());

    // Every show aligns the window again; once the frame is known, the frame fills the area.
    Form5->move(40, 50);
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    STEP(signIn());
    QCOMPARE(Form5->frameGeometry(), area);
    QCOMPARE(Form5->pnl1->pos(), TeacherLayout::panelPlace(Form5->size()));
    QCOMPARE(Form5->pnl2->pos(), TeacherLayout::panelPlace(Form5->size()));
}

void TestTeacherWindow::exitButtonLiesOverTheTabs() {
    STEP(signIn());
    QPushButton* exit = Form5->Button1;
    QCOMPARE(exit->parentWidget(), static_cast<QWidget*>(Form5));
    QCOMPARE(exit->text(), QStringLiteral("Выход"));
    QCOMPARE(exit->size(), QSize(65, 17));
    QCOMPARE(exit->y(), 3);
    QVERIFY(exit->x() >= 260);
    const QTabBar* tabs = Form5->pgc1->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab(tabs->mapTo(Form5, tabs->tabRect(i).topLeft()), tabs->tabRect(i).size());
        QVERIFY2(!tab.intersects(exit->geometry()), qPrintable(tabs->tabText(i)));
    }
    QVERIFY(exit->isVisible());
    // Reachable from every page.
    STEP(showPage(Form5->ts2));
    QVERIFY(exit->isVisible());
    QTest::mouseClick(exit, Qt::LeftButton);
    QVERIFY(Form5->isHidden());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
}

void TestTeacherWindow::controlsFollowThePage() {
    STEP(signIn());
    const TeacherLayout editor = TeacherLayout::forPage(Form5->ts1->size());
    QCOMPARE(Form5->mmo1->geometry(), editor.mmo1);
    QCOMPARE(Form5->lbl3->geometry(), editor.lbl3);
    QCOMPARE(Form5->openfile->geometry(), editor.openfile);
    QCOMPARE(Form5->btn1->geometry(), editor.btn1);
    QCOMPARE(Form5->btn2->geometry(), editor.btn2);
    QCOMPARE(Form5->btn3->geometry(), QRect(0, 16, 121, 25));
    QCOMPARE(Form5->btn13->geometry(), QRect(0, 48, 121, 25));
    QCOMPARE(Form5->mmo1->geometry().right(), Form5->ts1->width() - 1);
    QCOMPARE(Form5->lbl3->geometry().bottom(), Form5->ts1->height() - 1);
    QCOMPARE(Form5->btn2->geometry().bottom(), Form5->ts1->height() - 633 + 626);
    STEP(showPage(Form5->ts2));
    const TeacherLayout report = TeacherLayout::forPage(Form5->ts2->size());
    QCOMPARE(Form5->tv1->geometry(), report.tv1);
    QCOMPARE(Form5->mmo2->geometry(), report.mmo2);
}

void TestTeacherWindow::stateKeptUntilNextSignIn() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("черновик\n"));
    Form5->se1->setValue(12);
    Form5->btn13Click();
    Form5->edt1->setText(QStringLiteral("Химия"));
    Form5->btn3Click();
    STEP(showPage(Form5->ts2));
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    QVERIFY(Form5->isHidden());

    STEP(signIn());
    QCOMPARE(Form5->editorText(), QStringLiteral("черновик\n"));
    QCOMPARE(Form5->se1->value(), 12);
    QCOMPARE(Form5->edt1->text(), QStringLiteral("Химия"));
    QVERIFY(!Form5->pnl1->isHidden());
    QVERIFY(!Form5->pnl2->isHidden());
    QCOMPARE(Form5->pgc1->currentWidget(), Form5->ts2);
}

void TestTeacherWindow::exitReturnsToLauncher() {
    STEP(signIn());
    QVERIFY(Form5->close()); // a close request from the window system
    QVERIFY(Form5->isHidden());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    QVERIFY(!Form5->editorClipboard());
    QVERIFY(!Form5->hotKeysStarted());
    QVERIFY(m_services->errors.isEmpty());
}

// Test skeleton ---------------------------------------------------------------------------

void TestTeacherWindow::skeletonFromCount_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lines");

    QTest::newRow("N = 1") << 1 << 8;
    QTest::newRow("N = 2") << 2 << 15;
    QTest::newRow("N = 30, the start value") << 30 << 211;
    QTest::newRow("N = 200") << 200 << 1401;
}

void TestTeacherWindow::skeletonFromCount() {
    QFETCH(int, count);
    QFETCH(int, lines);
    STEP(signIn());
    QTest::mouseClick(Form5->btn3, Qt::LeftButton);
    QVERIFY(Form5->pnl1->isVisible());
    Form5->se1->setValue(count);
    QTest::mouseClick(Form5->btn4, Qt::LeftButton);
    QVERIFY(!Form5->pnl1->isVisible());
    const QString text = Form5->editorText();
    QCOMPARE(text, TestSkeleton::text(count));
    QCOMPARE(TextLines::splitLines(text).size(), lines);
    QVERIFY(text.endsWith(QStringLiteral("---\n")));
    if (count == 2) {
        QCOMPARE(TextLines::splitLines(text),
                 (QStringList{"---", "1)", "A)", "B)", "C)", "D)", "E)", "---", "2)", "A)", "B)",
                              "C)", "D)", "E)", "---"}));
    }
    if (count == 200)
        QCOMPARE(TextLines::splitLines(text).mid(1394),
                 (QStringList{"200)", "A)", "B)", "C)", "D)", "E)", "---"}));
}

void TestTeacherWindow::skeletonFromTypedCount_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enter"); // confirmed with Enter in the field, or with "Ок"
    QTest::addColumn<int>("questions");

    QTest::newRow("500 and Enter") << "500" << true << 200;
    QTest::newRow("500 and Ок") << "500" << false << 200;
    QTest::newRow("7 and Enter") << "7" << true << 7;
    QTest::newRow("0 and Enter") << "0" << true << 1;
    QTest::newRow("not a number and Enter") << "abc" << true << 1;
    QTest::newRow("not a number and Ок") << "abc" << false << 1;
}

void TestTeacherWindow::skeletonFromTypedCount() {
    QFETCH(QString, typed);
    QFETCH(bool, enter);
    QFETCH(int, questions);
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("прежний текст"));
    QTest::mouseClick(Form5->btn3, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form5->se1));
    Form5->se1->selectAll();
    QTest::keyClicks(Form5->se1, typed);
    QCOMPARE(Form5->se1->text(), typed);
    if (enter)
        QTest::keyClick(Form5->se1, Qt::Key_Return);
    else
        QTest::mouseClick(Form5->btn4, Qt::LeftButton);
    QVERIFY(!Form5->pnl1->isVisible());
    QCOMPARE(Form5->editorText(), TestSkeleton::text(questions));
    QCOMPARE(Form5->se1->value(), questions);
    QVERIFY(m_services->questions.isEmpty());
}

void TestTeacherWindow::otherKeysInCountFieldDoNothing() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    Form5->btn3Click();
    QTest::keyClick(Form5->se1, Qt::Key_Up);
    QTest::keyClick(Form5->se1, Qt::Key_Tab);
    QCOMPARE(Form5->se1->value(), 31);
    QVERIFY(Form5->pnl1->isVisible());
    QCOMPARE(Form5->editorText(), QStringLiteral("текст"));
}

void TestTeacherWindow::enterReleaseWithoutPressDoesNothing() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    Form5->btn3Click();
    Form5->btn13Click();
    // The Enter that closes the notice about a refused name goes down in the notice and comes
    // up in the field: that release alone must not ask again.
    QTest::keyRelease(Form5->edt1, Qt::Key_Return);
    QTest::keyRelease(Form5->se1, Qt::Key_Return);
    QVERIFY(m_services->notices.isEmpty());
    QVERIFY(Form5->pnl1->isVisible());
    QVERIFY(Form5->pnl2->isVisible());
    QCOMPARE(Form5->editorText(), QStringLiteral("текст"));
    // Pressed and released in the field, it acts once.
    QTest::keyClick(Form5->edt1, Qt::Key_Return);
    QCOMPARE(m_services->notices.size(), 1);
    QTest::keyRelease(Form5->edt1, Qt::Key_Return);
    QCOMPARE(m_services->notices.size(), 1);
}

void TestTeacherWindow::bothPanelsOpenAtOnce() {
    STEP(signIn());
    Form5->btn3Click();
    Form5->btn13Click();
    QVERIFY(Form5->pnl1->isVisible());
    QVERIFY(Form5->pnl2->isVisible());
    QCOMPARE(Form5->pnl1->geometry(), Form5->pnl2->geometry());
    // The subject panel covers the skeleton panel.
    const QPoint middle = Form5->pnl1->geometry().center();
    QWidget* top = Form5->ts1->childAt(middle);
    QVERIFY(top == Form5->pnl2 || Form5->pnl2->isAncestorOf(top));
    Form5->edt1->setText(QStringLiteral("Химия"));
    QTest::mouseClick(Form5->btn5, Qt::LeftButton);
    QVERIFY(!Form5->pnl2->isVisible());
    QVERIFY(Form5->pnl1->isVisible());
    top = Form5->ts1->childAt(middle);
    QVERIFY(top == Form5->pnl1 || Form5->pnl1->isAncestorOf(top));
}

// File dialogs ----------------------------------------------------------------------------

void TestTeacherWindow::dialogsStartInContentRoot() {
    STEP(signIn());
    Form5->btn1Click();
    Form5->openfileClick();
    Form5->btn2Click();
    QCOMPARE(m_services->openCalls.size(), 2);
    QCOMPARE(m_services->saveCalls.size(), 1);
    const QString open =
        QStringLiteral("изображения(.jpg,.jpeg,.png) (*.png *.jpg *.jepg);;Все файлы (*)");
    for (const RecordingServices::DialogCall& call : std::as_const(m_services->openCalls)) {
        QCOMPARE(call.folder, m_content->contentDir());
        QCOMPARE(call.filter, open);
    }
    const RecordingServices::DialogCall& save = m_services->saveCalls.first();
    QCOMPARE(save.folder, m_content->contentDir());
    QCOMPARE(save.filter, QStringLiteral("Тесты(.txt) (*.txt);;Материалы(.html) (*.html)"));
    QCOMPARE(save.defaultSuffix, QStringLiteral("txt"));
}

void TestTeacherWindow::openDialogRemembersConfirmedFilter() {
    STEP(signIn());
    const QString images = QStringLiteral("изображения(.jpg,.jpeg,.png) (*.png *.jpg *.jepg)");
    m_services->openFilterAnswers = {images};
    Form5->btn1Click();
    Form5->openfileClick();
    QCOMPARE(m_services->openCalls.size(), 2);
    QCOMPARE(m_services->openCalls.at(0).selectedFilter, QStringLiteral("Все файлы (*)"));
    QCOMPARE(m_services->openCalls.at(1).selectedFilter, images);
}

void TestTeacherWindow::cancelledDialogsChangeNothing() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    const QStringList before = QDir(m_content->contentDir()).entryList();
    QTest::mouseClick(Form5->btn1, Qt::LeftButton);
    QTest::mouseClick(Form5->openfile, Qt::LeftButton);
    QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    QCOMPARE(Form5->editorText(), QStringLiteral("текст"));
    QCOMPARE(QDir(m_content->contentDir()).entryList(), before);
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->questions.isEmpty());
}

void TestTeacherWindow::skeletonSavedAndReopened() {
    STEP(signIn());
    Form5->se1->setValue(3);
    Form5->btn4Click();
    const QString skeleton = Form5->editorText();
    const QString path = m_content->contentDir() + QStringLiteral("Физика/Тесты/Новый.txt");
    QDir().mkpath(QFileInfo(path).path());
    m_services->saveAnswers << path;
    QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(PackedText::OpenFromStream(path), TextLines::fromEditorText(skeleton));

    Form5->mmo1->setPlainText(QStringLiteral("другое"));
    m_services->openAnswers << path;
    QTest::mouseClick(Form5->btn1, Qt::LeftButton);
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form5->editorText(), skeleton);
    QCOMPARE(TextLines::splitLines(Form5->editorText()).size(), 22);
}

void TestTeacherWindow::savedAndReopened_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("with a final line break") << "---\nВопрос\n`A\n---\n";
    QTest::newRow("without a final line break") << "---\nВопрос\n`A\n---";
    QTest::newRow("ending with an empty line") << "строка\n\n";
    QTest::newRow("non-breaking blank") << QString("a") + QChar(0xA0) + "b";
    QTest::newRow("long line") << QString(6000, QLatin1Char('z')) + "\n";
    QTest::newRow("empty editor") << QString(); // stored length 0
}

void TestTeacherWindow::savedAndReopened() {
    QFETCH(QString, text);
    STEP(signIn());
    Form5->mmo1->setPlainText(text);
    QCOMPARE(Form5->editorText(), text);
    const QString path = m_content->contentDir() + QStringLiteral("документ.txt");
    m_services->saveAnswers << path;
    Form5->btn2Click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.peek(2), QByteArray("\x78\xDA"));
    QCOMPARE(PackedText::readStream(file), TextLines::fromEditorText(text));
    Form5->mmo1->setPlainText(QStringLiteral("что-то"));
    m_services->openAnswers << path;
    Form5->btn1Click();
    QCOMPARE(Form5->editorText(), text);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTeacherWindow::openFailureKeepsText_data() {
    QTest::addColumn<bool>("packed"); // "Открыть документ"; else "Открыть файл"
    QTest::addColumn<QByteArray>("bytes"); // the file's bytes; empty: there is no file
    QTest::addColumn<QString>("message");  // %1: the file's path

    const QString missing = QStringLiteral("Cannot open file \"%1\". No such file or directory.");
    QTest::newRow("plain document") << true << CodePage::encode("просто текст\r\n") << "Error.";
    QTest::newRow("missing document") << true << QByteArray() << missing;
    QTest::newRow("missing file") << false << QByteArray() << missing;
}

void TestTeacherWindow::openFailureKeepsText() {
    QFETCH(bool, packed);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    STEP(signIn());
    const QString path = bytes.isEmpty()
                             ? m_content->contentDir() + QStringLiteral("нет.txt")
                             : m_content->makeFile(QStringLiteral("Content/простой.txt"), bytes);
    Form5->mmo1->setPlainText(QStringLiteral("остаётся\n"));
    m_services->openAnswers << path;
    QTest::mouseClick(packed ? Form5->btn1 : Form5->openfile, Qt::LeftButton);
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors.first().message, message.arg(path));
    QCOMPARE(m_services->errors.first().title, applicationTitle());
    QCOMPARE(Form5->editorText(), QStringLiteral("остаётся\n"));
}

void TestTeacherWindow::packedFileThroughOpenFile() {
    STEP(signIn());
    const QString path = m_content->makePacked(QStringLiteral("Content/упакованный.txt"),
                                               QStringLiteral("---\nВопрос\n"));
    m_services->openAnswers << path;
    QTest::mouseClick(Form5->openfile, Qt::LeftButton);
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form5->editorText(), TextLines::toEditorText(m_content->readFile(
                                      QStringLiteral("Content/упакованный.txt"))));
    QVERIFY(Form5->editorText().startsWith(CodePage::decode("\x78\xDA")));

    // A plain file comes in with its line breaks made uniform.
    const QString plain =
        m_content->makeFile(QStringLiteral("Content/простой.txt"), QByteArray("a\rb\nc\r\n\xDF"));
    m_services->openAnswers << plain;
    Form5->openfileClick();
    QCOMPARE(Form5->editorText(), QStringLiteral("a\nb\nc\nЯ"));
}

void TestTeacherWindow::replaceIsAsked_data() {
    QTest::addColumn<bool>("answer");

    QTest::newRow("yes replaces") << true;
    QTest::newRow("no keeps the old file") << false;
}

void TestTeacherWindow::replaceIsAsked() {
    QFETCH(bool, answer);
    STEP(signIn());
    const QString path = m_content->makePacked(QStringLiteral("Content/Физика/Тесты/Вариант.txt"),
                                               QStringLiteral("старый\n"));
    Form5->mmo1->setPlainText(QStringLiteral("новый\n"));
    m_services->saveAnswers << path;
    m_services->yesNoAnswers << answer;
    Form5->btn2Click();
    QCOMPARE(m_services->questions,
             QStringList{QStringLiteral("Файл «Вариант.txt» уже существует.\nЗаменить его?")});
    QCOMPARE(packedText(path), answer ? QStringLiteral("новый\n") : QStringLiteral("старый\n"));
    QVERIFY(m_services->errors.isEmpty());
}

void TestTeacherWindow::lossIsAsked_data() {
    QTest::addColumn<bool>("answer");

    QTest::newRow("yes saves with question marks") << true;
    QTest::newRow("no goes back to the text") << false;
}

void TestTeacherWindow::lossIsAsked() {
    QFETCH(bool, answer);
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("Ответ 😀 и 中\n"));
    const QString path = m_content->contentDir() + QStringLiteral("эмодзи.txt");
    m_services->yesNoAnswers << answer;
    m_services->saveAnswers << path;
    Form5->btn2Click();
    QCOMPARE(m_services->questions.size(), 1);
    QVERIFY(m_services->questions.first().contains(QStringLiteral("«😀», «中»")));
    if (answer) {
        QCOMPARE(m_services->saveCalls.size(), 1);
        QCOMPARE(packedText(path), QStringLiteral("Ответ ? и ?\n"));
    } else {
        // Asked before the dialog: the teacher has chosen no file for nothing.
        QCOMPARE(m_services->saveCalls.size(), 0);
        QVERIFY(!QFileInfo::exists(path));
    }
    QCOMPARE(Form5->editorText(), QStringLiteral("Ответ 😀 и 中\n"));
}

void TestTeacherWindow::saveOntoFolderFails() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    const QString folder = m_content->contentDir() + kPhysics;
    m_services->saveAnswers << folder;
    QTest::mouseClick(Form5->btn2, Qt::LeftButton);
    QVERIFY(m_services->questions.isEmpty());
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors.first().message,
             QStringLiteral("Cannot create file \"%1\". Is a directory.").arg(folder));
    QVERIFY(QFileInfo(folder).isDir());
}

void TestTeacherWindow::statusLineFollowsTheText() {
    STEP(signIn());
    QCOMPARE(Form5->lbl3->text(), QStringLiteral("Текст пуст."));
    Form5->se1->setValue(2);
    Form5->btn4Click();
    QTRY_VERIFY(Form5->lbl3->text().startsWith(QStringLiteral("Вопросов: 2, строк с ключом: 0. ")));
    QVERIFY(Form5->lbl3->text().contains(QStringLiteral("Первый вопрос без ключа — № 1")));

    STEP(typeAtLineStart(4, QStringLiteral("`")));  // "`C)" in question 1
    STEP(typeAtLineStart(12, QStringLiteral("`"))); // "`D)" in question 2
    QTRY_COMPARE(Form5->lbl3->text(),
                 QStringLiteral("Вопросов: 2, строк с ключом: 2. Ошибок в тесте не найдено."));

    // A Cyrillic look-alike typed as a key letter is named.
    Form5->mmo1->setPlainText(QStringLiteral("---\n1)\n`С\n---\n"));
    Form5->updateStatus();
    QVERIFY(Form5->lbl3->text().contains(QStringLiteral("русская")));
    // The status line never stands in the way of saving.
    const QString path = m_content->contentDir() + QStringLiteral("с ошибкой.txt");
    m_services->saveAnswers << path;
    Form5->btn2Click();
    QCOMPARE(packedText(path), QStringLiteral("---\n1)\n`С\n---\n"));
}

// Subjects --------------------------------------------------------------------------------

void TestTeacherWindow::subjectCreated_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("enter");

    QTest::newRow("Создать") << "Информатика" << false;
    QTest::newRow("Enter in the name field") << "Информатика" << true;
    QTest::newRow("a subject there, completed") << "Алгебра" << false;
}

void TestTeacherWindow::subjectCreated() {
    QFETCH(QString, name);
    QFETCH(bool, enter);
    STEP(signIn());
    const bool existed = node(*Form5->tv1, name);
    QTest::mouseClick(Form5->btn13, Qt::LeftButton);
    QVERIFY(Form5->pnl2->isVisible());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form5->edt1));
    typeText(Form5->edt1, name);
    if (enter)
        QTest::keyClick(Form5->edt1, Qt::Key_Return);
    else
        QTest::mouseClick(Form5->btn5, Qt::LeftButton);
    QVERIFY(!Form5->pnl2->isVisible());
    const QString subject = m_content->contentDir() + name;
    QCOMPARE(QDir(subject).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"Видео", "Презентации", "Тесты"}));
    QCOMPARE(Form5->edt1->text(), name);
    QVERIFY(m_services->notices.isEmpty());
    if (existed) {
        // What the subject held is kept.
        QCOMPARE(packedText(subject + QStringLiteral("/Тесты/Отчеты/Иван Петров(0)")), kReportText);
        return;
    }
    QVERIFY(QDir(subject + QStringLiteral("/Тесты")).isEmpty());
    // Nothing is refreshed: the tree shows the subject from the next start.
    QVERIFY(!node(*Form5->tv1, name));
}

void TestTeacherWindow::refusedSubjectName_data() {
    QTest::addColumn<QString>("name");

    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "Физика/Механика";
    QTest::newRow("backslash") << "Физика\\Механика";
    QTest::newRow("dot") << ".";
    QTest::newRow("two dots") << "..";
}

void TestTeacherWindow::refusedSubjectName() {
    QFETCH(QString, name);
    STEP(signIn());
    const QStringList before =
        QDir(m_content->contentDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QStringList physicsBefore = QDir(m_content->contentDir() + kPhysics).entryList();
    Form5->btn13Click();
    Form5->edt1->setText(name);
    QTest::keyClick(Form5->edt1, Qt::Key_Return);
    QCOMPARE(m_services->notices.size(), 1);
    QCOMPARE(m_services->notices.first().title, applicationTitle());
    QVERIFY(!m_services->notices.first().message.isEmpty());
    // The panel stays, with the name, so that the teacher can put it right.
    QVERIFY(Form5->pnl2->isVisible());
    QCOMPARE(Form5->edt1->text(), name);
    QCOMPARE(QDir(m_content->contentDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             before);
    QCOMPARE(QDir(m_content->contentDir() + kPhysics).entryList(), physicsBefore);
    QVERIFY(QDir(m_content->programDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot) ==
            QStringList{QStringLiteral("Content")});

    Form5->edt1->setText(QStringLiteral("Механика"));
    Form5->btn5Click();
    QVERIFY(!Form5->pnl2->isVisible());
    QVERIFY(QFileInfo(m_content->contentDir() + QStringLiteral("Механика/Тесты")).isDir());
}

// Report review ---------------------------------------------------------------------------

void TestTeacherWindow::treeListsEverySubject() {
    QCOMPARE(dump(*Form5->tv1), QStringLiteral("Алгебра: Иван Петров(0), Иван Петров(1), Папка, "
                                               "Пустой(0) | Геометрия: | Физика:"));
    QCOMPARE(Form5->mmo2->toPlainText(), QString());
}

void TestTeacherWindow::treeHeldUntilShownOrPainted_data() {
    QTest::addColumn<bool>("showFirst");     // shown before the launcher has painted
    QTest::addColumn<bool>("madeWhenShown"); // controls made when first shown, as in the program
    QTest::newRow("launcher painted") << false << false;
    QTest::newRow("shown before") << true << false;
    QTest::newRow("made when shown, after the launcher painted") << false << true;
    QTest::newRow("made when shown, before the launcher painted") << true << true;
}

void TestTeacherWindow::treeHeldUntilShownOrPainted() {
    QFETCH(bool, showFirst);
    QFETCH(bool, madeWhenShown);
    WindowTestSupport::destroyWindow(Form5);
    LaterWork::hold();
    WindowTestSupport::makeWindow(Form5, madeWhenShown ? WindowTestSupport::Controls::WhenShown
                                                       : WindowTestSupport::Controls::AtOnce);
    QCOMPARE(Form5->controlsMade(), !madeWhenShown);
    if (!madeWhenShown)
        QCOMPARE(Form5->tv1->topLevelItemCount(), 0);
    if (showFirst) {
        STEP(signIn());
        STEP(treeListsEverySubject());
    }
    LaterWork::run();
    if (!showFirst)
        STEP(signIn());
    STEP(treeListsEverySubject());
}

void TestTeacherWindow::clickShowsReport() {
    STEP(signIn());
    STEP(showPage(Form5->ts2));
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(0)")));
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(Form5->mmo2->toPlainText(), kReportText);

    // Clicking the report shown reads it again: edits in the view are lost.
    Form5->mmo2->setPlainText(QStringLiteral("правка"));
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(0)")));
    QCOMPARE(Form5->mmo2->toPlainText(), kReportText);
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(1)")));
    QCOMPARE(Form5->mmo2->toPlainText(), QStringLiteral("второй отчёт\n"));
}

void TestTeacherWindow::clicksInTheTree_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("shown"); // the view held "прежнее" before the clicks
    QTest::addColumn<QString>("error"); // the box the last click gave; %1: the content folder

    const QString report = QStringLiteral("Алгебра/Иван Петров(0)");
    QTest::newRow("subjects") << QStringList{kGeometry, kAlgebra} << "прежнее" << QString();
    QTest::newRow("empty") << QStringList{report, "Алгебра/Пустой(0)"} << QString() << QString();
    QTest::newRow("folder") << QStringList{report, "Алгебра/Папка"} << kReportText
                            << "Cannot open file \"%1Алгебра/Тесты/Отчеты/Папка\". Is a directory.";
}

void TestTeacherWindow::clicksInTheTree() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, shown);
    QFETCH(QString, error);
    STEP(signIn());
    STEP(showPage(Form5->ts2));
    Form5->mmo2->setPlainText(QStringLiteral("прежнее"));
    for (const QString& click : std::as_const(clicks))
        STEP(clickReport(click));
    QCOMPARE(Form5->mmo2->toPlainText(), shown);
    QCOMPARE(m_services->errors.size(), int(!error.isEmpty()));
    if (!error.isEmpty())
        QCOMPARE(m_services->errors.first().message, error.arg(m_content->contentDir()));
}

void TestTeacherWindow::clickOnEmptySpaceReadsSelectedAgain() {
    STEP(signIn());
    STEP(showPage(Form5->ts2));
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(1)")));
    Form5->mmo2->setPlainText(QStringLiteral("правка"));
    QTest::mouseClick(
        Form5->tv1->viewport(), Qt::LeftButton, Qt::NoModifier,
        QPoint(Form5->tv1->viewport()->width() / 2, Form5->tv1->viewport()->height() - 3));
    QCOMPARE(Form5->mmo2->toPlainText(), QStringLiteral("второй отчёт\n"));
}

void TestTeacherWindow::keyboardAloneOpensNothing() {
    STEP(signIn());
    STEP(showPage(Form5->ts2));
    STEP(clickReport(kAlgebra));
    node(*Form5->tv1, kAlgebra)->setExpanded(true);
    Form5->tv1->setFocus();
    QTest::keyClick(Form5->tv1, Qt::Key_Down);
    QCOMPARE(Form5->tv1->currentItem(),
             node(*Form5->tv1, QStringLiteral("Алгебра/Иван Петров(0)")));
    QCOMPARE(Form5->mmo2->toPlainText(), QString());
}

void TestTeacherWindow::editedLabelBuildsPath() {
    STEP(signIn());
    STEP(showPage(Form5->ts2));
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(1)")));
    QTreeWidgetItem* item = node(*Form5->tv1, QStringLiteral("Алгебра/Иван Петров(1)"));
    // F2 edits the label in place.
    QTest::keyClick(Form5->tv1, Qt::Key_F2);
    auto* editor = Form5->tv1->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    typeText(editor, QStringLiteral("Иван Петров(0)"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The tree takes the edited label once the editor has closed.
    QTRY_COMPARE(item->text(0), QStringLiteral("Иван Петров(0)"));
    // The path comes from the label: now it names the other report.
    STEP(clickNode(item));
    QCOMPARE(Form5->mmo2->toPlainText(), kReportText);

    item->setText(0, QStringLiteral("Нет такого(0)"));
    STEP(clickNode(item));
    QCOMPARE(m_services->errors.size(), 1);
    QVERIFY(m_services->errors.first().message.startsWith(QStringLiteral("Cannot open file")));
    QCOMPARE(Form5->mmo2->toPlainText(), kReportText);
    // Nothing on disk was renamed.
    QVERIFY(QFileInfo::exists(m_content->contentDir() +
                              QStringLiteral("Алгебра/Тесты/Отчеты/Иван Петров(1)")));
}

void TestTeacherWindow::tenThousandReports() {
    for (int s = 0; s < 10; ++s) {
        const QString folder =
            QStringLiteral("Content/Предмет %1/Тесты/Отчеты/").arg(s, 2, 10, QLatin1Char('0'));
        m_content->makeFolder(folder);
        for (int r = 0; r < 1000; ++r)
            m_content->makeFile(folder + QStringLiteral("Студент %1(0)").arg(r), QByteArray());
    }
    TForm5 window;
    QElapsedTimer timer;
    timer.start();
    window.FormCreate();
    window.makeControls();
    const qint64 elapsed = timer.elapsed();
    int reports = 0;
    for (int i = 0; i < window.tv1->topLevelItemCount(); ++i)
        reports += window.tv1->topLevelItem(i)->childCount();
    QCOMPARE(window.tv1->topLevelItemCount(), 13);
    QCOMPARE(reports, 10000 + 4);
    qInfo("filling the report tree with 10004 reports in 13 subjects took %lld ms", elapsed);
}

// Editor keys and clipboard ---------------------------------------------------------------

void TestTeacherWindow::keysFromReportPage() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("первая строка\nвторая строка"));
    STEP(selectInEditor(QStringLiteral("вторая")));
    STEP(showPage(Form5->ts2));
    STEP(clickReport(QStringLiteral("Алгебра/Иван Петров(1)")));
    Form5->mmo2->setFocus();
    Form5->mmo2->selectAll();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form5->mmo2));

    // Ctrl+C copies the editor's selection, not the report's.
    QTest::keyClick(Form5->mmo2, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("вторая"));

    // Ctrl+A selects the editor's text; the report's selection is not touched.
    Form5->mmo2->moveCursor(QTextCursor::End);
    QTest::keyClick(Form5->mmo2, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Form5->mmo1->textCursor().selectedText(), QStringLiteral("первая строка") +
                                                           QChar(QChar::ParagraphSeparator) +
                                                           QStringLiteral("вторая строка"));
    QVERIFY(!Form5->mmo2->textCursor().hasSelection());

    // Ctrl+C then copies all of it, with a plain line break.
    QTest::keyClick(Form5->mmo2, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("первая строка\nвторая строка"));

    // Ctrl+V puts the clipboard's text in place of the editor's selection.
    clipboard()->setText(QStringLiteral("вставка\r\nв две строки"));
    QTest::keyClick(Form5->mmo2, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Form5->editorText(), QStringLiteral("вставка\nв две строки"));
    QCOMPARE(Form5->mmo2->toPlainText(), QStringLiteral("второй отчёт\n"));
    QCOMPARE(Form5->pgc1->currentWidget(), Form5->ts2);
}

void TestTeacherWindow::keysFromSubjectField() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("начало конец"));
    STEP(selectInEditor(QStringLiteral("конец")));
    Form5->btn13Click();
    typeText(Form5->edt1, QStringLiteral("Физика"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form5->edt1));

    clipboard()->setText(QStringLiteral("середина"));
    QTest::keyClick(Form5->edt1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Form5->editorText(), QStringLiteral("начало середина"));
    QCOMPARE(Form5->edt1->text(), QStringLiteral("Физика"));

    QTest::keyClick(Form5->edt1, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(Form5->edt1->selectedText(), QString());
    QTest::keyClick(Form5->edt1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QStringLiteral("начало середина"));
    QCOMPARE(Form5->edt1->text(), QStringLiteral("Физика"));
    QVERIFY(Form5->pnl2->isVisible());
}

void TestTeacherWindow::copyWithoutSelection() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    QVERIFY(!Form5->mmo1->textCursor().hasSelection());
    clipboard()->setText(QStringLiteral("что было"));
    Form5->mmo1->setFocus();
    QTest::keyClick(Form5->mmo1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard()->text(), QString());
    QVERIFY(clipboard()->mimeData()->hasText());
    QCOMPARE(Form5->editorText(), QStringLiteral("текст"));
}

void TestTeacherWindow::pasteWithoutText_data() {
    QTest::addColumn<bool>("image"); // the clipboard holds an image; otherwise it is empty

    QTest::newRow("empty clipboard") << false;
    QTest::newRow("an image, no text") << true;
}

void TestTeacherWindow::pasteWithoutText() {
    QFETCH(bool, image);
    STEP(signIn());
    if (image) {
        auto* data = new QMimeData;
        data->setImageData(QImage(2, 2, QImage::Format_RGB32));
        clipboard()->setMimeData(data);
    } else {
        clipboard()->clear();
    }
    Form5->mmo1->setPlainText(QStringLiteral("оставить удалить"));
    STEP(selectInEditor(QStringLiteral(" удалить")));
    Form5->mmo1->setFocus();
    QTest::keyClick(Form5->mmo1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Form5->editorText(), QStringLiteral("оставить"));
}

void TestTeacherWindow::ctrlNAndCtrlRTakenAndIdle_data() {
    QTest::addColumn<int>("key");

    QTest::newRow("Ctrl+N") << int(Qt::Key_N);
    QTest::newRow("Ctrl+R") << int(Qt::Key_R);
}

void TestTeacherWindow::ctrlNAndCtrlRTakenAndIdle() {
    QFETCH(int, key);
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст"));
    clipboard()->setText(QStringLiteral("буфер"));
    Form5->mmo1->setFocus();
    PressCounter counter;
    Form5->mmo1->installEventFilter(&counter);
    QTest::keyClick(Form5->mmo1, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(counter.presses, 0);
    QCOMPARE(Form5->editorText(), QStringLiteral("текст"));
    QCOMPARE(clipboard()->text(), QStringLiteral("буфер"));
    QCOMPARE(Form5->pgc1->currentWidget(), Form5->ts1);
}

void TestTeacherWindow::ctrlShiftCPassesThrough() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("редактор"));
    Form5->mmo1->selectAll();
    clipboard()->setText(QStringLiteral("буфер"));
    STEP(showPage(Form5->ts2));
    Form5->mmo2->setPlainText(QStringLiteral("отчёт"));
    Form5->mmo2->setFocus();
    PressCounter counter;
    Form5->mmo2->installEventFilter(&counter);
    QTest::keyClick(Form5->mmo2, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(counter.presses, 1); // it reached the focused control
    QCOMPARE(clipboard()->text(), QStringLiteral("буфер"));
    QTest::keyClick(Form5->mmo2, Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(counter.presses, 2);
    QCOMPARE(Form5->editorText(), QStringLiteral("редактор"));
}

void TestTeacherWindow::nothingAfterClose() {
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("текст редактора"));
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    QVERIFY(Form5->isHidden());
    QVERIFY(!Form5->editorClipboard());
    QVERIFY(!Form5->hotKeysStarted());

    // In another window (the launcher, in the program) the keys belong to that window.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(QTest::qWaitForWindowActive(&other));
    clipboard()->setText(QStringLiteral("буфер"));
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &other;
    QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(focus, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(!Form5->mmo1->textCursor().hasSelection());
    QCOMPARE(Form5->editorText(), QStringLiteral("текст редактора"));
    QCOMPARE(clipboard()->text(), QStringLiteral("буфер"));
    // Without a clipboard accessor, copying and pasting do nothing even when asked directly.
    Form5->WMHotkey(EditorHotKeys::Copy);
    Form5->WMHotkey(EditorHotKeys::Paste);
    QCOMPARE(Form5->editorText(), QStringLiteral("текст редактора"));
    QCOMPARE(clipboard()->text(), QStringLiteral("буфер"));

    // After the next sign-in they act again.
    STEP(signIn());
    Form5->mmo1->setFocus();
    Form5->mmo1->moveCursor(QTextCursor::End);
    QTest::keyClick(Form5->mmo1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Form5->editorText(), QStringLiteral("текст редакторабуфер"));
}

void TestTeacherWindow::clipboardAtClose_data() {
    QTest::addColumn<bool>("copied");   // the teacher copied from the editor
    QTest::addColumn<QString>("later"); // what another program copied after that; empty: none
    QTest::addColumn<QString>("after"); // the clipboard's text after the close

    QTest::newRow("our text: emptied") << true << ""
                                       << "";
    QTest::newRow("another program's text after ours: kept") << true << "чужое"
                                                             << "чужое";
    QTest::newRow("only another program's text: kept") << false << "чужое"
                                                       << "чужое";
}

void TestTeacherWindow::clipboardAtClose() {
    QFETCH(bool, copied);
    QFETCH(QString, later);
    QFETCH(QString, after);
    STEP(signIn());
    Form5->mmo1->setPlainText(QStringLiteral("скопировать"));
    Form5->mmo1->selectAll();
    Form5->mmo1->setFocus();
    if (copied) {
        QTest::keyClick(Form5->mmo1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard()->text(), QStringLiteral("скопировать"));
    }
    if (!later.isEmpty())
        clipboard()->setText(later);
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    QVERIFY(Form5->isHidden());
    QCOMPARE(clipboard()->text(), after);
    if (after.isEmpty())
        QVERIFY(!clipboard()->mimeData() || !clipboard()->mimeData()->hasText());
}

QTEST_MAIN(TestTeacherWindow)
#include "TestTeacherWindow.moc"
