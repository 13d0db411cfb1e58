// The launcher and the hand-over rule: the five windows as start-up leaves them, the launcher's
// layout and keyboard behaviour, and how every window passes control to another and back.

#include "Forms.h"
#include "LauncherArtwork.h"
#include "LauncherPicture.h"
#include "support/ProgramTestSupport.h"
#include "support/TestHelpers.h"
#include "support/TextbookTestSupport.h"
#include "support/WidgetTestHelpers.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include <memory>

namespace {

QList<Form*> allForms() {
    return {Form1, Form2, Form3, Form4, Form5};
}

Form* formNamed(const QString& name) {
    for (Form* form : allForms()) {
        if (form && form->objectName() == name)
            return form;
    }
    return nullptr;
}

QPushButton* launcherButton(const QString& name) {
    return Form1->findChild<QPushButton*>(name);
}

// Records the top-level widgets in the order in which they are constructed.
class WindowCreationRecorder : public QObject {
public:
    QList<QObject*> windows;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Create && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            windows.append(watched);
        return false;
    }
};

using WidgetTestHelpers::ShowCounter;

} // namespace

class TestShell : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // First: nothing may have started the engine yet.
    void noEngineWhileEveryWindowIsShownAndLeft();
    void windowsAreCreatedInOrder();
    void windowFrame_data();
    void windowFrame();
    void launcherClientSizeIsFixed();
    void launcherControls_data();
    void launcherControls();
    void launcherHoldsNothingElse();
    void launcherTabOrderStartsAtTeacher();
    void launcherIsCentredWhenFirstShown();
    void launcherHasNoDefaultButton();
    void keyPressesFocusedButton_data();
    void keyPressesFocusedButton();
    void escapeDoesNothing();

    void launcherHandsOver_data();
    void launcherHandsOver();
    void closingReturnsToLauncher_data();
    void closingReturnsToLauncher();
    void focusReturnsToLastPressedButton_data();
    void focusReturnsToLastPressedButton();
    void handOverBetweenSecondaryWindows();
    void secondShowKeepsState_data();
    void secondShowKeepsState();
    void exitRequestsTerminationWithoutQuestion_data();
    void exitRequestsTerminationWithoutQuestion();

private:
    // Shows the launcher as start-up does and waits until it is the active window.
    void showLauncher();
    // Reaches a secondary window from the launcher the way the user does.
    void openFromLauncher(const QString& window);
};

void TestShell::initTestCase() {
    // As in the program: only the launcher ends the run, never the last window closing.
    WindowFixture::prepareApplication();
}

void TestShell::init() {
    QVERIFY(startFixture());
    ProgramTestSupport::makeProgramWindows(*this);
}

void TestShell::cleanup() {
    stopFixture();
}

void TestShell::showLauncher() {
    Form1->showForm();
    QApplication::setActiveWindow(Form1);
    QVERIFY(QTest::qWaitForWindowActive(Form1));
}

void TestShell::openFromLauncher(const QString& window) {
    QVERIFY2(ProgramTestSupport::clickThroughTo(window),
             qPrintable(QStringLiteral("no way to %1").arg(window)));
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{window});
}

void TestShell::noEngineWhileEveryWindowIsShownAndLeft() {
    STEP(showLauncher());
    STEP(openFromLauncher(QStringLiteral("Form2")));
    Form2->btn1Click();
    Form2->btn1Click();
    Form2->btn4Click();
    Form2->btn6Click();
    QTest::mouseClick(Form2->btn2, Qt::LeftButton); // to the testing window
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form3"});
    Form3->close();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    Form1->btn3Click();
    Form4->close();
    STEP(openFromLauncher(QStringLiteral("Form5")));
    Form5->pgc1->setCurrentWidget(Form5->ts2);
    Form5->close();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    for (QWidget* widget : QApplication::allWidgets())
        QVERIFY2(!qobject_cast<QWebEngineView*>(widget), "a browser view exists before any page");
    QCOMPARE(TextbookTestSupport::engineProcesses(), 0);
}

void TestShell::windowsAreCreatedInOrder() {
    destroyForms();
    WindowCreationRecorder recorder;
    qApp->installEventFilter(&recorder);
    createForms();
    qApp->removeEventFilter(&recorder);

    // Pop-ups inside the windows are top-level widgets too; keep only the five windows.
    QList<QObject*> forms;
    for (QObject* window : std::as_const(recorder.windows)) {
        if (allForms().contains(window))
            forms.append(window);
    }
    const QList<QObject*> expected{Form1, Form2, Form3, Form4, Form5};
    QCOMPARE(forms, expected);
}

void TestShell::windowFrame_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");

    QTest::newRow("launcher") << "Form1" << QStringLiteral("Нормакурс");
    QTest::newRow("textbook") << "Form2" << QStringLiteral("Электронный учебник ");
    QTest::newRow("testing") << "Form3" << QStringLiteral("Тесты");
    QTest::newRow("sign-in") << "Form4" << QStringLiteral("Авторизация");
    QTest::newRow("teacher") << "Form5" << QStringLiteral("Преподовательский контроль");
}

void TestShell::windowFrame() {
    QFETCH(QString, window);
    QFETCH(QString, caption);

    Form* form = formNamed(window);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), caption);
    QVERIFY(form->isWindow());
    QVERIFY(!form->isVisible());

    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));

    // A single border that cannot be resized.
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QCOMPARE(form->size(), form->minimumSize());

    QVERIFY(form->font().bold());
    QCOMPARE(form->font().pixelSize(), 11);
}

void TestShell::launcherClientSizeIsFixed() {
    const QSize client(869, 447);
    QCOMPARE(Form1->size(), client); // and so its least and largest size (see windowFrame)

    STEP(showLauncher());
    QCOMPARE(Form1->size(), client);
    Form1->resize(1000, 600);
    QCOMPARE(Form1->size(), client);
}

void TestShell::launcherControls_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("img1") << "img1" << QString() << QRect(0, 0, 876, 452);
    QTest::newRow("btn4") << "btn4" << QStringLiteral("Учебник") << QRect(94, 248, 139, 36);
    QTest::newRow("btn6") << "btn6" << QStringLiteral("Тесты") << QRect(96, 312, 137, 36);
    QTest::newRow("btn3") << "btn3" << QStringLiteral("Преподаватель") << QRect(96, 363, 137, 41);
    QTest::newRow("Button1") << "Button1" << QStringLiteral("Выход") << QRect(598, 392, 169, 35);
}

void TestShell::launcherControls() {
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    auto* widget = Form1->findChild<QWidget*>(control);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), static_cast<QWidget*>(Form1));
    QCOMPARE(widget->geometry(), geometry);

    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(button->icon().isNull());
    } else {
        // The picture: the artwork unscaled, from the top-left corner, beneath every button.
        auto* picture = qobject_cast<LauncherPicture*>(widget);
        QVERIFY(picture);
        QVERIFY(caption.isEmpty());
        const QImage shown = picture->grab().toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB888), LauncherArtwork::picture());
        QCOMPARE(Form1->children().indexOf(picture), 0);
    }
}

void TestShell::launcherHoldsNothingElse() {
    const QList<QWidget*> children = Form1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QStringList names;
    for (const QWidget* child : children)
        names.append(child->objectName());
    names.sort();
    QCOMPARE(names, (QStringList{"Button1", "btn3", "btn4", "btn6", "img1"}));
}

void TestShell::launcherTabOrderStartsAtTeacher() {
    QStringList order;
    for (QWidget* widget = Form1->nextInFocusChain(); widget != Form1;
         widget = widget->nextInFocusChain()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
    }
    QCOMPARE(order, (QStringList{"btn3", "btn4", "btn6", "Button1"}));

    // The keyboard follows the same chain, from the first focus on "Преподаватель".
    STEP(showLauncher());
    QCOMPARE(Form1->focusWidget(), static_cast<QWidget*>(Form1->btn3));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->btn3));
    QTest::keyClick(Form1->btn3, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->btn4));
    QTest::keyClick(Form1->btn4, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->btn6));
    QTest::keyClick(Form1->btn6, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Form1->Button1));
}

void TestShell::launcherIsCentredWhenFirstShown() {
    STEP(showLauncher());
    const QScreen* screen = Form1->screen();
    QVERIFY(screen);
    const QRect area = screen->availableGeometry();
    const QRect frame = Form1->frameGeometry();
    const QPoint offset = frame.center() - area.center();
    const QString where = QStringLiteral("frame %1,%2 %3x%4 on a work area of %5x%6")
                              .arg(frame.x())
                              .arg(frame.y())
                              .arg(frame.width())
                              .arg(frame.height())
                              .arg(area.width())
                              .arg(area.height());
    QVERIFY2(qAbs(offset.y()) <= 1, qPrintable(where));
    // On a screen narrower than the launcher (the offscreen one is 800 pixels wide) the frame's
    // left edge stays on the screen, so the title bar can be reached.
    if (frame.width() > area.width())
        QVERIFY2(frame.left() == area.left(), qPrintable(where));
    else
        QVERIFY2(qAbs(offset.x()) <= 1, qPrintable(where));

    // Later showings keep the place the launcher was left at.
    const QPoint place(40, 30);
    Form1->move(place);
    QTest::mouseClick(Form1->btn4, Qt::LeftButton);
    Form2->close();
    QVERIFY(Form1->isVisible());
    QCOMPARE(Form1->pos(), place);
}

void TestShell::launcherHasNoDefaultButton() {
    const QList<QPushButton*> buttons = Form1->findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 4);
    for (const QPushButton* button : buttons)
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));

    // Enter presses whichever button holds the focus, so the button marked as the one Enter
    // presses follows the focus; no button keeps that mark once the focus has left it.
    STEP(showLauncher());
    for (QPushButton* focused : buttons) {
        focused->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(focused));
        for (const QPushButton* button : buttons) {
            if (button != focused)
                QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
        }
    }
}

void TestShell::keyPressesFocusedButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("opens");

    QTest::newRow("Return on teacher") << "btn3" << int(Qt::Key_Return) << "Form4";
    QTest::newRow("Enter on teacher") << "btn3" << int(Qt::Key_Enter) << "Form4";
    QTest::newRow("space on teacher") << "btn3" << int(Qt::Key_Space) << "Form4";
    QTest::newRow("Return on textbook") << "btn4" << int(Qt::Key_Return) << "Form2";
    QTest::newRow("space on tests") << "btn6" << int(Qt::Key_Space) << "Form3";
}

void TestShell::keyPressesFocusedButton() {
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, opens);

    STEP(showLauncher());
    QPushButton* focused = launcherButton(button);
    QVERIFY(focused);
    focused->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(focused));
    QTest::keyClick(focused, static_cast<Qt::Key>(key));
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{opens});
}

void TestShell::escapeDoesNothing() {
    QSignalSpy termination(Form1, &TForm1::terminationRequested);
    STEP(showLauncher());
    QTest::keyClick(Form1->btn3, Qt::Key_Escape);
    QTest::keyClick(Form1, Qt::Key_Escape);
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    QCOMPARE(termination.count(), 0);
}

void TestShell::launcherHandsOver_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("target");

    QTest::newRow("Учебник") << "btn4"
                             << "Form2";
    QTest::newRow("Тесты") << "btn6"
                           << "Form3";
    QTest::newRow("Преподаватель") << "btn3"
                                   << "Form4";
}

void TestShell::launcherHandsOver() {
    QFETCH(QString, button);
    QFETCH(QString, target);

    STEP(showLauncher());
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});

    QPushButton* pressed = launcherButton(button);
    QVERIFY(pressed);
    QTest::mouseClick(pressed, Qt::LeftButton);
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{target});
    QVERIFY(QTest::qWaitForWindowActive(formNamed(target)));

    // Calling the handler directly does the same as the click.
    formNamed(target)->hide();
    STEP(showLauncher());
    if (button == QLatin1String("btn4"))
        Form1->btn4Click();
    else if (button == QLatin1String("btn6"))
        Form1->btn6Click();
    else
        Form1->btn3Click();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{target});
    QVERIFY(m_services->errors.isEmpty());
}

void TestShell::closingReturnsToLauncher_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("exitButton"); // empty: a close request from the window system

    QTest::newRow("textbook, Выход") << "Form2"
                                     << "Button1";
    QTest::newRow("textbook, window system") << "Form2" << QString();
    QTest::newRow("testing, Выход") << "Form3"
                                    << "Button1";
    QTest::newRow("testing, window system") << "Form3" << QString();
    QTest::newRow("sign-in, Назад") << "Form4"
                                    << "btn2";
    QTest::newRow("sign-in, window system") << "Form4" << QString();
    QTest::newRow("teacher, Выход") << "Form5"
                                    << "Button1";
    QTest::newRow("teacher, window system") << "Form5" << QString();
}

void TestShell::closingReturnsToLauncher() {
    QFETCH(QString, window);
    QFETCH(QString, exitButton);

    QSignalSpy termination(Form1, &TForm1::terminationRequested);
    STEP(showLauncher());
    STEP(openFromLauncher(window));
    Form* form = formNamed(window);

    if (exitButton.isEmpty()) {
        QVERIFY(form->close());
    } else {
        auto* button = form->findChild<QPushButton*>(exitButton);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    // Closing hides; the window is the same one and still there.
    QCOMPARE(formNamed(window), form);
    QVERIFY(form->isHidden());
    QCOMPARE(termination.count(), 0);
    QVERIFY(m_services->errors.isEmpty());
}

void TestShell::focusReturnsToLastPressedButton_data() {
    QTest::addColumn<QString>("button");

    QTest::newRow("Учебник") << "btn4";
    QTest::newRow("Тесты") << "btn6";
    QTest::newRow("Преподаватель") << "btn3";
}

void TestShell::focusReturnsToLastPressedButton() {
    QFETCH(QString, button);

    STEP(showLauncher());
    // Start somewhere else, so that the focus has to move to the pressed button.
    Form1->Button1->setFocus(Qt::TabFocusReason);

    QPushButton* pressed = launcherButton(button);
    QVERIFY(pressed);
    QTest::mouseClick(pressed, Qt::LeftButton);
    QVERIFY(Form1->isHidden());
    Form* secondary = formNamed(WindowTestSupport::visibleWindows().value(0));
    QVERIFY(secondary && secondary != Form1);
    QVERIFY(QTest::qWaitForWindowActive(secondary));

    secondary->close();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    QApplication::setActiveWindow(Form1);
    Form1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form1));
    QCOMPARE(Form1->focusWidget(), static_cast<QWidget*>(pressed));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pressed));
}

void TestShell::handOverBetweenSecondaryWindows() {
    ShowCounter launcherShows;
    STEP(showLauncher());
    STEP(openFromLauncher(QStringLiteral("Form2")));

    Form1->installEventFilter(&launcherShows);
    handOver(*Form2, *Form3);
    Form1->removeEventFilter(&launcherShows);

    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form3"});
    QVERIFY(QTest::qWaitForWindowActive(Form3));
    // The source's close handler showed the launcher for a moment before it was hidden again.
    QCOMPARE(launcherShows.shows, 1);

    Form3->Button1Click();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
}

void TestShell::secondShowKeepsState_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("keepsPlace"); // false: the window's show handler places it

    QTest::newRow("textbook") << "Form2" << false;
    QTest::newRow("testing") << "Form3" << false;
    QTest::newRow("sign-in") << "Form4" << true;
    QTest::newRow("teacher") << "Form5" << false;
}

void TestShell::secondShowKeepsState() {
    QFETCH(QString, window);
    QFETCH(bool, keepsPlace);

    STEP(showLauncher());
    const QPoint launcherPlace(21, 34);
    Form1->move(launcherPlace);

    STEP(openFromLauncher(window));
    Form* form = formNamed(window);
    // Only the first showing centres the window; afterwards it stays where it was left.
    const QPoint place(13, 17);
    form->move(place);
    form->setProperty("normakursMark", 42);

    form->close();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form1"});
    QCOMPARE(Form1->pos(), launcherPlace);

    STEP(openFromLauncher(window));
    QCOMPARE(formNamed(window), form);
    if (keepsPlace)
        QCOMPARE(form->pos(), place);
    QCOMPARE(form->property("normakursMark").toInt(), 42);
}

void TestShell::exitRequestsTerminationWithoutQuestion_data() {
    QTest::addColumn<bool>("byButton");

    QTest::newRow("Выход") << true;
    QTest::newRow("window system") << false;
}

void TestShell::exitRequestsTerminationWithoutQuestion() {
    QFETCH(bool, byButton);

    QSignalSpy termination(Form1, &TForm1::terminationRequested);
    STEP(showLauncher());
    if (byButton)
        QTest::mouseClick(Form1->Button1, Qt::LeftButton);
    else
        QVERIFY(Form1->close());

    QCOMPARE(termination.count(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(termination.count(), 1);
    QVERIFY(m_services->questions.isEmpty());
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
    QVERIFY(WindowTestSupport::visibleWindows().isEmpty());
}

QTEST_MAIN(TestShell)
#include "TestShell.moc"
