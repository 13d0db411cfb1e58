// The help page with the real browser engine: the engine starts only when the page is first
// shown, and "Source/help.html" is navigated to afresh every time the page becomes visible.

#include "BrowserView.h"
#include "support/TestHelpers.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit5.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

namespace {

constexpr int kTimeout = 30000; // the engine's first start can be slow on a busy machine

const QByteArray kHelp = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                         "<title>Справка курса</title></head><body><p>Помощь</p></body></html>";

} // namespace

class TestTeacherHelp : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void reloadedOnEachShowing();
    void missingHelpPageShowsEnginesOwnPage();

private:
    void signIn();
    void showPage(int index);
};

void TestTeacherHelp::initTestCase() {
#ifdef NORMAKURS_ASAN
    QSKIP("the browser engine is not built with AddressSanitizer; its test runs in the normal "
          "build only");
#endif
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestTeacherHelp::init() {
    QVERIFY(startFixture());
    makeWindow(Form5);
}

void TestTeacherHelp::cleanup() {
    stopFixture();
}

// What the sign-in's hand-over does to the teacher's window.
void TestTeacherHelp::signIn() {
    Form5->showForm();
    QVERIFY(Form5->isVisible());
}

void TestTeacherHelp::showPage(int index) {
    QTest::mouseClick(Form5->pgc1->tabBar(), Qt::LeftButton, Qt::NoModifier,
                      Form5->pgc1->tabBar()->tabRect(index).center());
    QCOMPARE(Form5->pgc1->currentIndex(), index);
}

void TestTeacherHelp::reloadedOnEachShowing() {
    const QString help = m_content->makeFile(QStringLiteral("Source/help.html"), kHelp);
    QSignalSpy navigations(Form5, &TForm5::helpNavigated);

    STEP(signIn());
    // The editor is in front; the engine has not started.
    QVERIFY(!Form5->wb1);
    QCOMPARE(WindowTestSupport::liveViews(), 0);
    STEP(showPage(1));
    QVERIFY(!Form5->wb1);

    STEP(showPage(2));
    QVERIFY(Form5->wb1);
    QCOMPARE(navigations.count(), 1);
    QCOMPARE(navigations.last().value(0).toString(), help);
    QWebEngineView* view = WindowTestSupport::webView(Form5->wb1);
    QVERIFY(view);
    QCOMPARE(view->parentWidget(), Form5->ts3);
    QCOMPARE(view->geometry(), Form5->ts3->rect());
    QSignalSpy firstLoad(view, &QWebEngineView::loadFinished);
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QStringLiteral("Справка курса"), kTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(firstLoad.count() >= 1, kTimeout);

    // Each time the page comes to the front it is loaded afresh, in the same view.
    QSignalSpy loads(view, &QWebEngineView::loadFinished);
    QSignalSpy starts(view, &QWebEngineView::loadStarted);
    STEP(showPage(0));
    STEP(showPage(2));
    QCOMPARE(navigations.count(), 2);
    QCOMPARE(WindowTestSupport::webView(Form5->wb1), view);
    QTRY_VERIFY_WITH_TIMEOUT(loads.count() >= 1, kTimeout);

    // Showing the window with the help page in front loads it again.
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    QVERIFY(Form5->isHidden());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    QCOMPARE(navigations.count(), 2);
    STEP(signIn());
    QCOMPARE(Form5->pgc1->currentIndex(), 2);
    QCOMPARE(navigations.count(), 3);
    QCOMPARE(WindowTestSupport::liveViews(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(loads.count() >= 2, kTimeout);
    // The view itself started one load for each of the two showings since the first.
    QCOMPARE(starts.count(), 2);
    QCOMPARE(view->url().path(), help);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTeacherHelp::missingHelpPageShowsEnginesOwnPage() {
    QSignalSpy navigations(Form5, &TForm5::helpNavigated);
    STEP(signIn());
    STEP(showPage(2));
    QCOMPARE(navigations.count(), 1);
    QVERIFY(Form5->wb1 && WindowTestSupport::webView(Form5->wb1));
    QSignalSpy loads(WindowTestSupport::webView(Form5->wb1), &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(loads.count() >= 1, kTimeout);
    // The system itself says nothing.
    QVERIFY(m_services->errors.isEmpty());
    QVERIFY(m_services->notices.isEmpty());
}

int main(int argc, char** argv) {
    prepareEngineSandbox();
    QApplication app(argc, argv);
    TestTeacherHelp test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "TestTeacherHelp.moc"
