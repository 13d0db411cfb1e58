// The program on a real X11 desktop: Xvfb with the openbox window manager, the xcb platform
// (see with-openbox.sh). The window manager draws the frames, places, focuses, minimises and
// closes the windows, which the offscreen platform cannot show. A panel keeps the bottom of
// the screen, as a task bar does, so the work area is smaller than the screen.

#include "X11Desktop.h"

#include "support/KeeperInThisProcess.h"
#include "support/ProgramTestSupport.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QWindow>

#include <memory>

// Waits, however long a busy machine takes, until the desktop reports `condition`.
#define DESKTOP_VERIFY(condition)                                                                  \
    do {                                                                                           \
        X11Desktop::waitUntil([&] { return bool(condition); }, QStringLiteral(#condition));        \
        QVERIFY(condition);                                                                        \
    } while (false)
#define DESKTOP_COMPARE(actual, expected) DESKTOP_VERIFY((actual) == (expected))

namespace {

constexpr int kPanelHeight = 32;

QList<Form*> allForms() {
    return {Form1, Form2, Form3, Form4, Form5};
}

Form* formNamed(const QString& name) {
    for (Form* form : allForms()) {
        if (form->objectName() == name)
            return form;
    }
    return nullptr;
}

// The windows the server shows, by object name.
QStringList viewableWindows() {
    QStringList names;
    for (Form* form : allForms()) {
        if (form->isVisible() && X11Desktop::viewable(*form))
            names.append(form->objectName());
    }
    return names;
}

// Counts the close requests a window receives and what became of them.
class CloseCounter : public QObject {
public:
    int requests = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close && event->spontaneous())
            ++requests;
        return false;
    }
};

// The buttons of `window` now shown that do not lie wholly inside the parents that hold them
// and the work area, each with where it is.
QStringList buttonsCutOff(const Form& window, const QRect& workArea) {
    QStringList cut;
    const QPoint origin = X11Desktop::clientArea(window).topLeft();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        bool inside = true;
        for (const QWidget* holder = button->parentWidget(); holder;
             holder = holder->parentWidget()) {
            const QRect inHolder(button->mapTo(holder, QPoint()), button->size());
            inside = inside && holder->rect().contains(inHolder);
            if (holder == &window)
                break;
        }
        const QRect onScreen(origin + button->mapTo(&window, QPoint()), button->size());
        if (!inside || !workArea.contains(onScreen))
            cut.append(QStringLiteral("%1 \"%2\" at %3,%4 %5x%6")
                           .arg(button->objectName(), button->text())
                           .arg(onScreen.x())
                           .arg(onScreen.y())
                           .arg(onScreen.width())
                           .arg(onScreen.height()));
    }
    return cut;
}

} // namespace

class TestDesktop : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fillingWindowsCoverTheWorkArea_data();
    void fillingWindowsCoverTheWorkArea();
    void smallWindowsAreCentredWithTheirFrames_data();
    void smallWindowsAreCentredWithTheirFrames();
    void everyButtonIsOnScreen_data();
    void everyButtonIsOnScreen();
    void closeRequestDuringTestDoesNothing_data();
    void closeRequestDuringTestDoesNothing();
    void closeRequestRunsCloseHandler_data();
    void closeRequestRunsCloseHandler();
    void minimisedWindowComesBackAsItWas();
    void launcherFocusRules();
    void programEndsOnLauncherCloseRequest();

private:
    void showLauncher();
    void open(const QString& window);
    void startTest();
    void waitUntilFramed(const Form& window);
    // A panel of this height (none for 0) at the bottom in place of the one there; waits for it.
    void setPanel(int height);

    std::unique_ptr<X11Desktop::Panel> m_panel;
    int m_panelHeight = 0;
    KeeperInThisProcess m_keeper;
};

void TestDesktop::initTestCase() {
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "runs on the xcb platform only; see with-openbox.sh");
    DESKTOP_VERIFY(X11Desktop::windowManagerRunning());
    setPanel(kPanelHeight);
}

void TestDesktop::setPanel(int height) {
    if (height == m_panelHeight && m_panel)
        return;
    m_panel.reset();
    if (height > 0)
        m_panel = std::make_unique<X11Desktop::Panel>(height);
    m_panelHeight = height;
    const QRect expected = QGuiApplication::primaryScreen()->geometry().adjusted(0, 0, 0, -height);
    DESKTOP_COMPARE(X11Desktop::workArea(), expected);
    DESKTOP_COMPARE(QGuiApplication::primaryScreen()->availableGeometry(), expected);
}

void TestDesktop::init() {
    QVERIFY(startFixture());
    m_content->makePacked(
        QStringLiteral("Content/Алгебра/Тесты/Вариант 1.txt"),
        QStringLiteral("---\nДва плюс два?\nA) 3\nB) 4\n---\nТри?\nA) 3\n---\n`B\n`A\n"));
    m_content->makeFile(QStringLiteral("Content/Алгебра/Тема.html"), "<h1>Тема</h1>");
    ProgramTestSupport::makeProgramWindows(*this);
}

void TestDesktop::cleanup() {
    stopFixture();
    setPanel(kPanelHeight);
    DESKTOP_VERIFY(X11Desktop::windowOfProcess(QCoreApplication::applicationPid()) == 0);
}

void TestDesktop::showLauncher() {
    Form1->showForm();
    DESKTOP_VERIFY(Form1->isActiveWindow());
    waitUntilFramed(*Form1);
}

void TestDesktop::waitUntilFramed(const Form& window) {
    DESKTOP_VERIFY(window.windowHandle() && window.windowHandle()->isExposed());
    DESKTOP_VERIFY(!X11Desktop::frameExtents(window).isNull());
    // Placed once the frame is on the screen and stops moving (off the screen first if it was
    // closed minimised).
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect before;
    X11Desktop::waitUntil(
        [&] {
            const QRect now = X11Desktop::outerFrame(window);
            const bool settled = now == before && screen.contains(now);
            before = now;
            return settled;
        },
        QStringLiteral("the frame of %1 to settle on the screen").arg(window.objectName()));
}

void TestDesktop::open(const QString& window) {
    QVERIFY2(ProgramTestSupport::clickThroughTo(window),
             qPrintable(QStringLiteral("no way to %1").arg(window)));
    Form* form = formNamed(window);
    QVERIFY(form);
    waitUntilFramed(*form);
    DESKTOP_COMPARE(viewableWindows(), QStringList{window});
}

void TestDesktop::startTest() {
    Form3->edt1->setText(QStringLiteral("Иванов"));
    Form3->edt2->setText(QStringLiteral("ИВТ-1"));
    Form3->cbb1->setCurrentIndex(Form3->cbb1->findText(QStringLiteral("Алгебра")));
    emit Form3->cbb1->activated(Form3->cbb1->currentIndex());
    Form3->cbb2->setCurrentIndex(0);
    emit Form3->cbb2->activated(0);
    QTest::mouseClick(Form3->btn6, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
}

void TestDesktop::fillingWindowsCoverTheWorkArea_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("panelThen");   // the panel's height before the second showing
    QTest::addColumn<bool>("fillsAgain"); // whether that showing fills the new work area
    QTest::newRow("textbook") << "Form2" << kPanelHeight << true;
    QTest::newRow("testing") << "Form3" << kPanelHeight << true;
    QTest::newRow("teacher") << "Form5" << kPanelHeight << true;
    QTest::newRow("textbook, taller panel") << "Form2" << 2 * kPanelHeight << false;
    QTest::newRow("teacher, taller panel") << "Form5" << 2 * kPanelHeight << true;
    QTest::newRow("teacher, no panel") << "Form5" << 0 << true;
}

void TestDesktop::fillingWindowsCoverTheWorkArea() {
    QFETCH(QString, window);
    QFETCH(int, panelThen);
    QFETCH(bool, fillsAgain);
    Form* form = formNamed(window);

    showLauncher();
    open(window);
    if (QTest::currentTestFailed())
        return;
    const QRect first = X11Desktop::outerFrame(*form);
    QCOMPARE(first, X11Desktop::workArea());
    const QSize client = form->size();

    // Shown again, maybe on a new work area: the textbook keeps its first size, the teacher fills.
    form->closeForm();
    DESKTOP_COMPARE(viewableWindows(), QStringList{QStringLiteral("Form1")});
    setPanel(panelThen);
    open(window);
    if (QTest::currentTestFailed())
        return;
    const QRect area = X11Desktop::workArea();
    QCOMPARE(X11Desktop::outerFrame(*form),
             fillsAgain ? area : QRect(area.topLeft(), first.size()));
    if (panelThen == kPanelHeight)
        QCOMPARE(form->size(), client);
}

void TestDesktop::smallWindowsAreCentredWithTheirFrames_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("launcher") << "Form1";
    QTest::newRow("sign-in") << "Form4";
}

void TestDesktop::smallWindowsAreCentredWithTheirFrames() {
    QFETCH(QString, window);
    showLauncher();
    if (window != QLatin1String("Form1"))
        open(window);
    if (QTest::currentTestFailed())
        return;
    const Form* form = formNamed(window);
    const QRect frame = X11Desktop::outerFrame(*form);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY2(X11Desktop::workArea().contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                    .arg(frame.x())
                                                                    .arg(frame.y())
                                                                    .arg(frame.width())
                                                                    .arg(frame.height())));
    // Centred within a pixel: an odd leftover cannot be split evenly.
    QVERIFY2(qAbs(frame.center().x() - screen.center().x()) <= 1 &&
                 qAbs(frame.center().y() - screen.center().y()) <= 1,
             qPrintable(QStringLiteral("frame centre %1,%2, screen centre %3,%4")
                            .arg(frame.center().x())
                            .arg(frame.center().y())
                            .arg(screen.center().x())
                            .arg(screen.center().y())));
}

void TestDesktop::everyButtonIsOnScreen_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("state");
    QTest::newRow("launcher") << "Form1"
                              << "";
    QTest::newRow("sign-in") << "Form4"
                             << "";
    QTest::newRow("textbook") << "Form2"
                              << "";
    QTest::newRow("textbook presentations") << "Form2"
                                            << "presentations";
    QTest::newRow("textbook videos") << "Form2"
                                     << "videos";
    QTest::newRow("textbook folded") << "Form2"
                                     << "folded";
    QTest::newRow("testing registration") << "Form3"
                                          << "";
    QTest::newRow("testing question") << "Form3"
                                      << "testing";
    QTest::newRow("testing report") << "Form3"
                                    << "report";
    QTest::newRow("teacher editor") << "Form5"
                                    << "";
    QTest::newRow("teacher skeleton panel") << "Form5"
                                            << "skeleton";
    QTest::newRow("teacher subject panel") << "Form5"
                                           << "subject";
    QTest::newRow("teacher reports") << "Form5"
                                     << "reports";
}

void TestDesktop::everyButtonIsOnScreen() {
    QFETCH(QString, window);
    QFETCH(QString, state);
    showLauncher();
    if (window != QLatin1String("Form1"))
        open(window);
    if (QTest::currentTestFailed())
        return;

    if (state == QLatin1String("presentations"))
        QTest::mouseClick(Form2->btn4, Qt::LeftButton);
    else if (state == QLatin1String("videos"))
        QTest::mouseClick(Form2->btn3, Qt::LeftButton);
    else if (state == QLatin1String("folded"))
        QTest::mouseClick(Form2->btn1, Qt::LeftButton);
    else if (state == QLatin1String("testing") || state == QLatin1String("report"))
        startTest();
    if (state == QLatin1String("report"))
        QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    else if (state == QLatin1String("skeleton"))
        QTest::mouseClick(Form5->btn3, Qt::LeftButton);
    else if (state == QLatin1String("subject"))
        QTest::mouseClick(Form5->btn13, Qt::LeftButton);
    else if (state == QLatin1String("reports"))
        Form5->pgc1->setCurrentIndex(1);
    QTest::qWait(20);

    const Form* form = formNamed(window);
    const QStringList cut = buttonsCutOff(*form, X11Desktop::workArea());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
}

void TestDesktop::closeRequestDuringTestDoesNothing_data() {
    QTest::addColumn<QString>("keys"); // one key a question, as the keyboard types it
    QTest::newRow("Latin") << "bE";
    QTest::newRow("Russian layout") << "иу";
}

// The active window takes answers from the keyboard wherever its focus is; neither a key nor a
// close request ends the test.
void TestDesktop::closeRequestDuringTestDoesNothing() {
    QFETCH(QString, keys);
    showLauncher();
    open(QStringLiteral("Form3"));
    if (QTest::currentTestFailed())
        return;
    startTest();
    DESKTOP_VERIFY(Form3->isActiveWindow());
    for (const QChar key : keys) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus && focus->window() == Form3);
        QTest::sendKeyEvent(QTest::Click, focus, Qt::Key(key.toUpper().unicode()), QString(key),
                            Qt::NoModifier);
    }
    QCOMPARE(Form3->attempt().Answers, QByteArray("BE"));
    CloseCounter closes;
    Form3->installEventFilter(&closes);

    X11Desktop::requestClose(*Form3);
    DESKTOP_COMPARE(closes.requests, 1);
    QTest::qWait(50);
    QCOMPARE(Form3->state(), TForm3::State::Testing);
    QCOMPARE(viewableWindows(), QStringList{QStringLiteral("Form3")});
    QCOMPARE(Form3->lst1->count(), 2);

    // Finished, the window closes as usual.
    QTest::mouseClick(Form3->btn7, Qt::LeftButton);
    QCOMPARE(Form3->state(), TForm3::State::Report);
    X11Desktop::requestClose(*Form3);
    DESKTOP_COMPARE(closes.requests, 2);
    DESKTOP_COMPARE(viewableWindows(), QStringList{QStringLiteral("Form1")});
}

void TestDesktop::closeRequestRunsCloseHandler_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("textbook") << "Form2";
    QTest::newRow("testing at registration") << "Form3";
    QTest::newRow("sign-in") << "Form4";
    QTest::newRow("teacher") << "Form5";
}

void TestDesktop::closeRequestRunsCloseHandler() {
    QFETCH(QString, window);
    showLauncher();
    open(window);
    if (QTest::currentTestFailed())
        return;
    X11Desktop::requestClose(*formNamed(window));
    DESKTOP_COMPARE(viewableWindows(), QStringList{QStringLiteral("Form1")});
    QVERIFY(!formNamed(window)->isVisible());
}

void TestDesktop::minimisedWindowComesBackAsItWas() {
    showLauncher();
    open(QStringLiteral("Form2"));
    if (QTest::currentTestFailed())
        return;
    const QRect frame = X11Desktop::outerFrame(*Form2);

    X11Desktop::requestMinimise(*Form2);
    DESKTOP_VERIFY(!X11Desktop::viewable(*Form2));
    QVERIFY(!Form1->isVisible()); // nothing else comes up meanwhile
    X11Desktop::requestActivate(*Form2);
    DESKTOP_VERIFY(X11Desktop::viewable(*Form2));
    DESKTOP_COMPARE(X11Desktop::outerFrame(*Form2), frame);

    // Closed while minimised (from a task bar), the next showing is a normal one.
    X11Desktop::requestMinimise(*Form2);
    DESKTOP_VERIFY(!X11Desktop::viewable(*Form2));
    X11Desktop::requestClose(*Form2);
    DESKTOP_COMPARE(viewableWindows(), QStringList{QStringLiteral("Form1")});
    open(QStringLiteral("Form2"));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!Form2->isMinimized());
    DESKTOP_COMPARE(X11Desktop::outerFrame(*Form2), frame);
}

void TestDesktop::launcherFocusRules() {
    showLauncher();
    QCOMPARE(QApplication::focusWidget(), Form1->btn3);

    // Back from a window, the focus is on the button that opened it.
    QTest::mouseClick(Form1->btn6, Qt::LeftButton);
    DESKTOP_VERIFY(Form3->isActiveWindow());
    QTest::mouseClick(Form3->Button1, Qt::LeftButton);
    DESKTOP_VERIFY(Form1->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), Form1->btn6);

    QTest::mouseClick(Form1->btn4, Qt::LeftButton);
    DESKTOP_VERIFY(Form2->isActiveWindow());
    X11Desktop::requestClose(*Form2);
    DESKTOP_VERIFY(Form1->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), Form1->btn4);
}

void TestDesktop::programEndsOnLauncherCloseRequest() {
    // The real program, with the demo course staged beside it; the package check passes an
    // installed copy instead.
    QProcess program;
    const QString installed = qEnvironmentVariable("NORMAKURS_PROGRAM");
    program.setProgram(installed.isEmpty() ? QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs")
                                           : installed);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start();
    QVERIFY(program.waitForStarted(-1));
    std::uint32_t launcher = 0;
    DESKTOP_VERIFY((launcher = X11Desktop::windowOfProcess(program.processId())) != 0);
    QRect frame;
    DESKTOP_VERIFY((frame = X11Desktop::outerFrame(launcher)).width() > 869);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(qAbs(frame.center().x() - screen.center().x()) <= 1);
    QVERIFY(qAbs(frame.center().y() - screen.center().y()) <= 1);

    X11Desktop::requestClose(launcher);
    QVERIFY(program.waitForFinished(-1));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// The textbook starts the browser engine while it is shown: the engine gets the settings the
// program gives it.
NORMAKURS_TEXTBOOK_TEST_MAIN(TestDesktop)
#include "TestDesktop.moc"
