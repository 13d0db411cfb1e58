// The textbook window: the show layout, folding, reopening, the topic click, "Тесты" and "Выход"
// (no engine before the first tab, with every other window: TestShell).

#include "BrowserView.h"
#include "myTabPanel.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TextbookLayout.h"
#include "TextbookTree.h"
#include "Unit2.h"
#include "WorkArea.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWebEngineView>

#include <memory>

using namespace TextbookTestSupport;

namespace {

// The local file the active tab shows (pages are shown under the program's own scheme, with the
// file's path as their address).
QUrl shownUrl() {
    const BrowserView* browser = Form2->ActiveTab() ? Form2->ActiveTab()->GetBros() : nullptr;
    if (!browser || !WindowTestSupport::webView(browser))
        return QUrl();
    const QUrl shown = WindowTestSupport::webView(browser)->url();
    return shown.scheme() == QLatin1String("normakurs") ? QUrl::fromLocalFile(shown.path()) : shown;
}

} // namespace

class TestTextbookWindow : public QObject, protected WindowFixture {
    Q_OBJECT

private:
    void showTextbook();
    QString page(const QString& relative) const { return m_content->contentDir() + relative; }
    void clickTopic(const QString& path);

private slots:
    void init();
    void cleanup();

    void stackingOrder();
    void layoutOnShow();
    void layoutByHand();
    void foldAndUnfold();
    void reopen_data();
    void reopen();
    void firstTopicClickOpensATab_data();
    void firstTopicClickOpensATab();
    void topicClickReusesTheActiveTab();
    void topicClickAfterClosingTheActiveTab();
    void subjectClickDoesNothing_data();
    void subjectClickDoesNothing();
    void emptySpaceShowsTheSelectedPageAgain();
    void testsHandsOverToTheTestingWindow();
    void exitReturnsToTheLauncher_data();
    void exitReturnsToTheLauncher();
    void ctrlFOpensTheFindBarAndEscapeClosesIt();
};

void TestTextbookWindow::init() {
    QVERIFY(startFixture());
    m_content->makeFile(QStringLiteral("Content/Алгебра/01 Введение.html"), "<p>one</p>");
    m_content->makeFile(QStringLiteral("Content/Алгебра/02.html"), "<p>two</p>");
    m_content->makeFile(QStringLiteral("Content/Физика/03.html"), "<p>three</p>");
    makeWindow(Form2);
}

void TestTextbookWindow::cleanup() {
    stopFixture();
}

void TestTextbookWindow::showTextbook() {
    Form2->showForm();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList{"Form2"});
}

void TestTextbookWindow::clickTopic(const QString& path) {
    QTreeWidgetItem* item = node(*Form2->tv1, path);
    QVERIFY2(item, qPrintable(path));
    clickNode(*Form2->tv1, item);
}

void TestTextbookWindow::stackingOrder() {
    QList<QObject*> order;
    for (QObject* child : Form2->children()) {
        if (child == Form2->pgc1 || child == Form2->tv1 || child == Form2->pnl1 ||
            child == Form2->pnl2 || child == Form2->btn1 || child == Form2->pnl3)
            order.append(child);
    }
    const QList<QObject*> expected{Form2->pgc1, Form2->tv1,  Form2->pnl1,
                                   Form2->pnl2, Form2->btn1, Form2->pnl3};
    QCOMPARE(order, expected);
}

void TestTextbookWindow::layoutOnShow() {
    showTextbook();
    const QRect area = Form2->screen()->availableGeometry();
    QCOMPARE(Form2->frameGeometry().topLeft(), area.topLeft());
    QCOMPARE(Form2->minimumSize(), Form2->size());
    QCOMPARE(Form2->maximumSize(), Form2->size());

    const TextbookLayout l = TextbookLayout::forClient(Form2->width(), Form2->height());
    QCOMPARE(Form2->tv1->geometry(), l.tv1);
    QCOMPARE(Form2->btn1->geometry(), l.btn1);
    QCOMPARE(Form2->pgc1->geometry(), l.pgc1);
    QCOMPARE(Form2->pnl4->geometry(), l.pnl4);
    QCOMPARE(Form2->pnl1->geometry(), l.pnl1);
    QCOMPARE(Form2->btn2->geometry(), l.btn2);
    QCOMPARE(Form2->btn3->geometry(), l.btn3);
    QCOMPARE(Form2->btn4->geometry(), l.btn4);
    QCOMPARE(Form2->btn6->geometry(), l.btn6);
    QCOMPARE(Form2->Button1->geometry(), l.Button1);
    QCOMPARE(Form2->pnl2->geometry(), l.pnl2);
    QCOMPARE(Form2->pnl3->geometry(), l.pnl3);
    QCOMPARE(Form2->TabCapacity(), l.tabCapacity);
    QCOMPARE(Form2->btn1->text(), QStringLiteral("<"));
    QVERIFY(Form2->tv1->isVisible() && Form2->pnl1->isVisible());
    QVERIFY(Form2->pnl2->isHidden() && Form2->pnl3->isHidden());
}

void TestTextbookWindow::layoutByHand() {
    showTextbook();
    const int w = Form2->width();
    const int h = Form2->height();
    QCOMPARE(Form2->pgc1->geometry(), QRect(200, 0, w - 200, h - 49));
    QCOMPARE(Form2->TabCapacity(), qMin(20, (w - 200) / 100));
    QCOMPARE(Form2->btn1->geometry(), QRect(184, WorkArea::roundHalfEven(h / 2.0 - 12.5), 33, 25));
    QCOMPARE(Form2->pnl1->geometry(), QRect(200, h - 49, w - 200, 49));
    QCOMPARE(Form2->btn6->pos(), QPoint(w - 200 - 161, 8));
    QCOMPARE(Form2->Button1->pos(), QPoint(w - 200 - 81, 8));
    QCOMPARE(Form2->pnl2->pos(), QPoint(584, h - 49 - 305));
    QCOMPARE(Form2->pnl3->pos(), QPoint(400, h - 49 - 305));
}

void TestTextbookWindow::foldAndUnfold() {
    showTextbook();
    Form2->btn4Click();
    Form2->btn3Click();
    const int top = Form2->btn1->y();

    QTest::mouseClick(Form2->btn1, Qt::LeftButton);
    QVERIFY(!Form2->TreeShown());
    QVERIFY(Form2->tv1->isHidden());
    QVERIFY(Form2->pnl1->isHidden() && Form2->pnl2->isHidden() && Form2->pnl3->isHidden());
    QCOMPARE(Form2->btn1->pos(), QPoint(0, top));
    QCOMPARE(Form2->btn1->text(), QStringLiteral(">"));
    QCOMPARE(Form2->pgc1->geometry(), Form2->rect());
    QCOMPARE(Form2->pnl4->geometry(), QRect(0, 0, Form2->width(), 40));

    QTest::mouseClick(Form2->btn1, Qt::LeftButton);
    QVERIFY(Form2->TreeShown());
    QVERIFY(Form2->tv1->isVisible() && Form2->pnl1->isVisible());
    // The list panels stay hidden until their buttons are pressed again.
    QVERIFY(Form2->pnl2->isHidden() && Form2->pnl3->isHidden());
    QCOMPARE(Form2->btn1->pos(), QPoint(184, top));
    QCOMPARE(Form2->btn1->text(), QStringLiteral("<"));
    QCOMPARE(Form2->pgc1->geometry(), QRect(200, 0, Form2->width() - 200, Form2->height() - 49));
    QCOMPARE(Form2->pnl4->width(), Form2->width() - 200);
}

void TestTextbookWindow::reopen_data() {
    QTest::addColumn<bool>("folded");
    QTest::newRow("closed unfolded") << false;
    QTest::newRow("closed folded") << true;
}

void TestTextbookWindow::reopen() {
    QFETCH(bool, folded);
    showTextbook();
    if (folded)
        Form2->btn1Click();
    Form2->Button1Click();
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    showTextbook();

    // One consistent state, the one the window was left in.
    QCOMPARE(Form2->TreeShown(), !folded);
    QCOMPARE(Form2->tv1->isVisible(), !folded);
    QCOMPARE(Form2->pnl1->isVisible(), !folded);
    QCOMPARE(Form2->btn1->text(), folded ? QStringLiteral(">") : QStringLiteral("<"));
    QCOMPARE(Form2->btn1->x(), folded ? 0 : 184);
    QCOMPARE(Form2->pgc1->geometry(),
             folded ? Form2->rect() : QRect(200, 0, Form2->width() - 200, Form2->height() - 49));
    QCOMPARE(Form2->pnl4->width(), Form2->pgc1->width());

    // And the fold button still works from there.
    Form2->btn1Click();
    QCOMPARE(Form2->TreeShown(), folded);
    QCOMPARE(Form2->tv1->isVisible(), folded);
}

void TestTextbookWindow::firstTopicClickOpensATab_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<bool>("missing"); // removed after the tree was filled
    QTest::newRow("a page") << "Алгебра/01 Введение.html" << false;
    QTest::newRow("a page gone meanwhile") << "Алгебра/02.html" << true;
}

void TestTextbookWindow::firstTopicClickOpensATab() {
    QFETCH(QString, topic);
    QFETCH(bool, missing);
    showTextbook();
    if (missing)
        QVERIFY(QFile::remove(page(topic)));
    clickTopic(topic);
    QCOMPARE(Form2->TabCount(), 1);
    QCOMPARE(Form2->ActiveTab()->text(), QFileInfo(topic).fileName());
    QCOMPARE(shownUrl(), QUrl::fromLocalFile(page(topic)));
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookWindow::topicClickReusesTheActiveTab() {
    showTextbook();
    clickTopic(QStringLiteral("Алгебра/01 Введение.html"));
    TmyTabPanel* tab = Form2->ActiveTab();
    clickTopic(QStringLiteral("Физика/03.html"));
    QCOMPARE(Form2->TabCount(), 1);
    QCOMPARE(Form2->ActiveTab(), tab);
    QCOMPARE(tab->text(), QStringLiteral("03.html"));
    QCOMPARE(shownUrl(), QUrl::fromLocalFile(page(QStringLiteral("Физика/03.html"))));

    // "+" then a topic: the new tab shows it, the first keeps its page.
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    clickTopic(QStringLiteral("Алгебра/02.html"));
    QCOMPARE(Form2->TabCount(), 2);
    QCOMPARE(Form2->TabList(1)->text(), QStringLiteral("02.html"));
    QCOMPARE(tab->text(), QStringLiteral("03.html"));
    QCOMPARE(WindowTestSupport::webView(tab->GetBros())->url().path(),
             page(QStringLiteral("Физика/03.html")));
}

void TestTextbookWindow::topicClickAfterClosingTheActiveTab() {
    showTextbook();
    clickTopic(QStringLiteral("Алгебра/01 Введение.html"));
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    QTest::mouseClick(Form2->ActiveTab()->but, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    flushDeferredDeletes();
    QCOMPARE(Form2->TabCount(), 1);
    QVERIFY(!Form2->ActiveTab());

    clickTopic(QStringLiteral("Алгебра/02.html"));
    QCOMPARE(Form2->TabCount(), 2);
    QCOMPARE(Form2->ActiveTab(), Form2->TabList(1));
    QCOMPARE(Form2->ActiveTab()->text(), QStringLiteral("02.html"));
    QCOMPARE(Form2->TabList(0)->text(), QStringLiteral("01 Введение.html"));
}

void TestTextbookWindow::subjectClickDoesNothing_data() {
    QTest::addColumn<bool>("withTab");
    QTest::newRow("no tab") << false;
    QTest::newRow("a tab open") << true;
}

void TestTextbookWindow::subjectClickDoesNothing() {
    QFETCH(bool, withTab);
    showTextbook();
    if (withTab)
        QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    clickTopic(QStringLiteral("Алгебра"));
    QCOMPARE(Form2->TabCount(), withTab ? 1 : 0);
    if (withTab) {
        QCOMPARE(Form2->ActiveTab()->text(), QStringLiteral("Новая вкладка"));
        QVERIFY(shownUrl().isEmpty());
    }
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookWindow::emptySpaceShowsTheSelectedPageAgain() {
    showTextbook();
    clickTopic(QStringLiteral("Физика/03.html"));
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    clickEmptySpace(*Form2->tv1);
    QCOMPARE(Form2->TabCount(), 2);
    QCOMPARE(Form2->ActiveTab()->text(), QStringLiteral("03.html"));
    QCOMPARE(shownUrl(), QUrl::fromLocalFile(page(QStringLiteral("Физика/03.html"))));
}

void TestTextbookWindow::testsHandsOverToTheTestingWindow() {
    showTextbook();
    clickTopic(QStringLiteral("Алгебра/02.html"));
    QTest::mouseClick(Form2->btn2, Qt::LeftButton);
    // The hand-over itself, with the other windows, is TestShell's.
    QCOMPARE(m_navigation->requests, QStringList{"Form2 to Testing"});
    Form2->closeForm(); // as the hand-over closes its source
    QCOMPARE(m_navigation->requests, (QStringList{"Form2 to Testing", "show Launcher"}));
    QCOMPARE(Form2->TabCount(), 0);
    QCOMPARE(WindowTestSupport::liveViews(), 0);

    showTextbook();
    QCOMPARE(Form2->TabCount(), 0);
    QCOMPARE(Form2->addpage->pos(), QPoint(0, 0));
}

void TestTextbookWindow::exitReturnsToTheLauncher_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Выход") << true;
    QTest::newRow("window system") << false;
}

void TestTextbookWindow::exitReturnsToTheLauncher() {
    QFETCH(bool, byButton);
    showTextbook();
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    if (byButton)
        QTest::mouseClick(Form2->Button1, Qt::LeftButton);
    else
        QVERIFY(Form2->close());
    QCOMPARE(WindowTestSupport::visibleWindows(), QStringList());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    QCOMPARE(Form2->TabCount(), 0);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookWindow::ctrlFOpensTheFindBarAndEscapeClosesIt() {
    showTextbook();
    QApplication::setActiveWindow(Form2);
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    QWidget* bar = Form2->findChild<QWidget*>(QStringLiteral("findBar"));
    QVERIFY(bar && bar->isHidden());

    QTest::keyClick(Form2->tv1, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    auto* line = bar->findChild<QWidget*>(QStringLiteral("edtFind"));
    QVERIFY(line && line->hasFocus());
    // It sits over the content panel's top right corner, under the tab strip.
    QVERIFY(Form2->pgc1->geometry().contains(bar->geometry()));
    QVERIFY(bar->y() >= Form2->pgc1->y() + 40);

    // Without a tab there is nothing to search; nothing fails.
    QTest::keyClicks(line, QStringLiteral("word"));
    QTest::keyClick(line, Qt::Key_Return);
    QTest::keyClick(line, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(m_services->errors.isEmpty());
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestTextbookWindow)
#include "TestTextbookWindow.moc"
