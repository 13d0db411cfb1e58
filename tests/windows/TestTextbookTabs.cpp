// The textbook's tab strip with its real widgets: headers, close labels, the "+" label, the
// active colour, the views on top, a full strip, closing everything with the window, and that
// closed tabs leave nothing behind. The strip holds as many tabs as the screen gives it room for:
// ctest runs this test on a screen wide enough for all twenty, and the capacity-zero case once
// more on a screen too narrow for one (screens/*.json).

#include "BrowserView.h"
#include "EngineView.h"
#include "Failure.h"
#include "myTabPanel.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "SystemColours.h"
#include "TabStrip.h"
#include "TextbookTree.h"
#include "Unit2.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using namespace TextbookTestSupport;

namespace {

const char* const kId = "testId";

int idOf(const TmyTabPanel* header) {
    return header ? header->property(kId).toInt() : 0;
}

TmyCloseLabel* closeLabel(TmyTabPanel* header) {
    return header->findChild<TmyCloseLabel*>(QStringLiteral("but"));
}

// The header whose view lies above every other view, or null.
TmyTabPanel* headerOnTop() {
    const QObjectList children = Form2->pgc1->children();
    for (auto it = children.crbegin(); it != children.crend(); ++it) {
        auto* view = qobject_cast<QWebEngineView*>(*it);
        if (!view)
            continue;
        for (int i = 0; i < Form2->TabCount(); ++i) {
            TmyTabPanel* header = Form2->TabList(i);
            if (header->GetBros() && WindowTestSupport::webView(header->GetBros()) == view)
                return header;
        }
        return nullptr;
    }
    return nullptr;
}

// Makes the views' pages through the engine's module, or fails while `failure` is set. Installs
// itself for its lifetime.
class SwitchableEngine : public EngineFactory {
public:
    SwitchableEngine() { setEngineFactory(this); }
    ~SwitchableEngine() override { setEngineFactory(nullptr); }

    EngineView* create(QWidget* parent) override {
        if (!failure.isEmpty())
            throw Failure(failure);
        return createEngineView(parent);
    }

    QString failure;
};

QString slotOrder() {
    QStringList ids;
    for (int i = 0; i < Form2->TabCount(); ++i)
        ids.append(QString::number(idOf(Form2->TabList(i))));
    return ids.join(QLatin1Char(' '));
}

} // namespace

class TestTextbookTabs : public QObject, protected WindowFixture {
    Q_OBJECT

private:
    int m_opened = 0;

    void showTextbook();
    void plus();
    void play(const QString& steps);
    void checkInvariants();

private slots:
    void init();
    void cleanup();

    void captionThatDoesNotFitIsTheToolTip_data();
    void captionThatDoesNotFitIsTheToolTip();

    void sequences_data();
    void sequences();
    void headerLooks();
    void viewPlacedUnderTheStrip();
    void iconBoxDoesNotActivate();
    void anyMouseButtonCloses_data();
    void anyMouseButtonCloses();
    void fullStrip();
    void capacityZero();
    void closingTheWindowClosesAllTabs();
    void foldingMovesNoHeaderOrView();
    void viewThatCannotBeCreated();
    void openAndCloseTwentyTabsTenTimes_data();
    void openAndCloseTwentyTabsTenTimes();
    void windowDestroyedWithTabsOpen();
};

void TestTextbookTabs::init() {
    QVERIFY(startFixture());
    m_content->makeFile(QStringLiteral("Content/Алгебра/01.html"), "<p>one</p>");
    m_opened = 0;
    makeWindow(Form2);
}

void TestTextbookTabs::cleanup() {
    stopFixture();
    QCOMPARE(WindowTestSupport::liveViews(), 0);
}

void TestTextbookTabs::showTextbook() {
    Form2->showForm();
    QVERIFY(Form2->isVisible());
}

// A click on "+"; a header that appears gets the next test id.
void TestTextbookTabs::plus() {
    const int before = Form2->TabCount();
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    if (Form2->TabCount() > before)
        Form2->ActiveTab()->setProperty(kId, ++m_opened);
}

// Steps: "+" opens, "xN" / "rN" / "mN" release the left / right / middle button on the close
// label of slot N, "hN" clicks header N, "iN" clicks its picture box.
void TestTextbookTabs::play(const QString& steps) {
    for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("+")) {
            plus();
            continue;
        }
        TmyTabPanel* header = Form2->TabList(step.mid(1).toInt());
        QVERIFY2(header, qPrintable(QStringLiteral("no header for %1").arg(step)));
        switch (step.at(0).toLatin1()) {
        case 'x':
            QTest::mouseClick(closeLabel(header), Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
            break;
        case 'r':
            QTest::mouseClick(closeLabel(header), Qt::RightButton, Qt::NoModifier, QPoint(7, 7));
            break;
        case 'm':
            QTest::mouseClick(closeLabel(header), Qt::MiddleButton, Qt::NoModifier, QPoint(7, 7));
            break;
        case 'h':
            QTest::mouseClick(header, Qt::LeftButton, Qt::NoModifier, QPoint(55, 25));
            break;
        case 'i':
            QTest::mouseClick(header->Img, Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));
            break;
        default:
            QFAIL(qPrintable(QStringLiteral("unknown step %1").arg(step)));
        }
        flushDeferredDeletes();
    }
}

// Every rule the strip keeps, read from the widgets.
void TestTextbookTabs::checkInvariants() {
    const int count = Form2->TabCount();
    QVERIFY(count <= Form2->TabCapacity());
    QCOMPARE(Form2->addpage->pos(), QPoint(count * 100, 0));
    const QList<TmyTabPanel*> headers =
        Form2->pnl4->findChildren<TmyTabPanel*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(headers.size(), count);
    for (int i = 0; i < 20; ++i) {
        TmyTabPanel* header = Form2->TabList(i);
        if (i >= count) {
            QVERIFY(!header);
            continue;
        }
        QVERIFY(header);
        QCOMPARE(header->Tag, i);
        QCOMPARE(closeLabel(header)->Tag, i);
        QCOMPARE(header->geometry(), QRect(i * 100, 0, 100, 40));
        const bool active = header == Form2->ActiveTab();
        QCOMPARE(header->color(),
                 active ? SystemColours::clScrollBar() : SystemColours::cl3DDkShadow());
        QCOMPARE(header->palette().color(header->backgroundRole()), header->color());
        QVERIFY(header->autoFillBackground());
    }
    if (Form2->ActiveTab())
        QVERIFY(headers.contains(Form2->ActiveTab()));
    QCOMPARE(WindowTestSupport::liveViews(), count);
    QCOMPARE(Form2->pgc1->findChildren<QWebEngineView*>().size(), count);
}

void TestTextbookTabs::sequences_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("order"); // ids in slot order
    QTest::addColumn<int>("active");    // id, 0 for none
    QTest::addColumn<int>("top");       // id of the tab whose view is on top, 0 for none

    QTest::newRow("none") << ""
                          << "" << 0 << 0;
    QTest::newRow("three tabs at 0, 100, 200, + at 300") << "+ + +"
                                                         << "1 2 3" << 3 << 3;
    QTest::newRow("close the middle one") << "+ + + x1"
                                          << "1 3" << 3 << 3;
    QTest::newRow("then close the moved one") << "+ + + x1 x1"
                                              << "1" << 0 << 1;
    QTest::newRow("close the active tab") << "+ + + x2"
                                          << "1 2" << 0 << 2;
    QTest::newRow("close the active, click another") << "+ + + x2 h0"
                                                     << "1 2" << 1 << 1;
    QTest::newRow("close an inactive tab") << "+ + + h0 x2"
                                           << "1 2" << 1 << 1;
    QTest::newRow("activate the first") << "+ + + h0"
                                        << "1 2 3" << 1 << 1;
    QTest::newRow("click the active header") << "+ + h1"
                                             << "1 2" << 2 << 2;
    QTest::newRow("activated then closed shows the one below") << "+ + + h0 x0"
                                                               << "2 3" << 0 << 3;
    QTest::newRow("open after closing") << "+ + + x0 +"
                                        << "2 3 4" << 4 << 4;
    QTest::newRow("picture box does not activate") << "+ + i0"
                                                   << "1 2" << 2 << 2;
    QTest::newRow("close everything one by one") << "+ + + x0 x0 x0"
                                                 << "" << 0 << 0;
    QTest::newRow("right button closes") << "+ + r0"
                                         << "2" << 2 << 2;
    QTest::newRow("middle button closes") << "+ + m1"
                                          << "1" << 0 << 1;
}

void TestTextbookTabs::sequences() {
    QFETCH(QString, steps);
    QFETCH(QString, order);
    QFETCH(int, active);
    QFETCH(int, top);

    showTextbook();
    play(steps);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(slotOrder(), order);
    QCOMPARE(idOf(Form2->ActiveTab()), active);
    QCOMPARE(idOf(headerOnTop()), top);
    checkInvariants();
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTabs::headerLooks() {
    showTextbook();
    plus();
    TmyTabPanel* header = Form2->ActiveTab();
    QVERIFY(header);
    QCOMPARE(header->text(), QStringLiteral("Новая вкладка"));
    QCOMPARE(header->alignment(), Qt::AlignCenter);
    QCOMPARE(header->frameShape(), QFrame::NoFrame);
    QCOMPARE(header->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(header->font(), Form2->font());
    QCOMPARE(header->parentWidget(), Form2->pnl4);

    QCOMPARE(header->Img->objectName(), QStringLiteral("Img"));
    QCOMPARE(header->Img->geometry(), QRect(1, 11, 30, 30));
    QVERIFY(header->Img->hasScaledContents());
    QVERIFY(header->Img->pixmap().isNull());

    TmyCloseLabel* but = closeLabel(header);
    QVERIFY(but);
    QCOMPARE(but, header->but);
    QCOMPARE(but->text(), QStringLiteral("x"));
    QCOMPARE(but->geometry(), QRect(85, 0, 15, 15));
    QCOMPARE(but->palette().color(QPalette::WindowText), QColor(Qt::white));

    QCOMPARE(Form2->addpage->text(), QStringLiteral("+"));
    QCOMPARE(Form2->addpage->font().pixelSize(), 27);
    QVERIFY(Form2->addpage->font().bold());
    QCOMPARE(Form2->addpage->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(Form2->pnl4->palette().color(QPalette::Window), SystemColours::clMenuHighlight());
    QCOMPARE(Form2->pnl1->palette().color(QPalette::Window), SystemColours::clMenuHighlight());
}

void TestTextbookTabs::viewPlacedUnderTheStrip() {
    showTextbook();
    plus();
    QWebEngineView* view = WindowTestSupport::webView(Form2->ActiveTab()->GetBros());
    QCOMPARE(view->parentWidget(), Form2->pgc1);
    QCOMPARE(view->geometry(), QRect(0, 40, Form2->pgc1->width(), Form2->pgc1->height() - 40));
    QVERIFY(view->isVisible());
}

void TestTextbookTabs::iconBoxDoesNotActivate() {
    showTextbook();
    play(QStringLiteral("+ + i0"));
    QCOMPARE(idOf(Form2->ActiveTab()), 2);
    // The picture box covers left 1 to 30, top 11 to 40 of the header; just beside it the
    // header itself takes the click.
    QTest::mouseClick(Form2->TabList(0), Qt::LeftButton, Qt::NoModifier, QPoint(31, 20));
    QCOMPARE(idOf(Form2->ActiveTab()), 1);
}

void TestTextbookTabs::anyMouseButtonCloses_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestTextbookTabs::anyMouseButtonCloses() {
    QFETCH(int, button);
    showTextbook();
    play(QStringLiteral("+ + h0"));
    TmyCloseLabel* label = closeLabel(Form2->TabList(1));
    QTest::mousePress(label, Qt::MouseButton(button), Qt::NoModifier, QPoint(5, 5));
    // Pressing alone closes nothing: the release does.
    QCOMPARE(Form2->TabCount(), 2);
    QTest::mouseRelease(label, Qt::MouseButton(button), Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(Form2->TabCount(), 1);
    flushDeferredDeletes();
    QCOMPARE(slotOrder(), QStringLiteral("1"));
    // Closing another tab leaves the active one as it was.
    QCOMPARE(idOf(Form2->ActiveTab()), 1);
    checkInvariants();
}

void TestTextbookTabs::fullStrip() {
    showTextbook();
    const int capacity = Form2->TabCapacity();
    QCOMPARE(capacity, qMin(20, (Form2->width() - 200) / 100));
    for (int i = 0; i < capacity + 2; ++i)
        plus();
    // A "+" on the full strip changes nothing.
    QCOMPARE(Form2->TabCount(), capacity);
    QCOMPARE(Form2->addpage->x(), capacity * 100);
    QCOMPARE(idOf(Form2->ActiveTab()), capacity);
    QCOMPARE(idOf(headerOnTop()), capacity);
    checkInvariants();
}

void TestTextbookTabs::capacityZero() {
    showTextbook();
    if (Form2->TabCapacity() != 0)
        QSKIP("needs a screen too narrow for one tab (TestTextbookTabs_narrow)");
    plus();
    QCOMPARE(Form2->TabCount(), 0);
    QTreeWidgetItem* page = node(*Form2->tv1, QStringLiteral("Алгебра/01.html"));
    QVERIFY(page);
    clickNode(*Form2->tv1, page);
    QCOMPARE(Form2->TabCount(), 0);
    QCOMPARE(WindowTestSupport::liveViews(), 0);
    QVERIFY(m_services->errors.isEmpty());
}

void TestTextbookTabs::closingTheWindowClosesAllTabs() {
    showTextbook();
    play(QStringLiteral("+ + + h1"));
    QPointer<TmyTabPanel> first = Form2->TabList(0);
    QTest::mouseClick(Form2->Button1, Qt::LeftButton);
    QVERIFY(Form2->isHidden());
    QCOMPARE(m_navigation->requests, QStringList{"show Launcher"});
    QVERIFY(!first); // destroyed at once, not later
    QCOMPARE(Form2->TabCount(), 0);
    QVERIFY(!Form2->ActiveTab());
    QCOMPARE(WindowTestSupport::liveViews(), 0);

    showTextbook();
    QCOMPARE(Form2->TabCount(), 0);
    QCOMPARE(Form2->addpage->pos(), QPoint(0, 0));
    QVERIFY(Form2->pgc1->findChildren<QWebEngineView*>().isEmpty());
    plus();
    QCOMPARE(Form2->TabList(0), Form2->ActiveTab());
    QCOMPARE(Form2->ActiveTab()->pos(), QPoint(0, 0));
    checkInvariants();
}

void TestTextbookTabs::foldingMovesNoHeaderOrView() {
    showTextbook();
    play(QStringLiteral("+ +"));
    const QRect firstView = WindowTestSupport::webView(Form2->TabList(0)->GetBros())->geometry();
    Form2->btn1Click();
    QVERIFY(!Form2->TreeShown());
    QCOMPARE(Form2->pnl4->width(), Form2->width());
    QCOMPARE(Form2->TabCapacity(), qMin(20, (Form2->width() - 200) / 100)); // not recomputed
    QCOMPARE(Form2->TabList(1)->pos(), QPoint(100, 0));
    QCOMPARE(Form2->addpage->pos(), QPoint(200, 0));
    QCOMPARE(WindowTestSupport::webView(Form2->TabList(0)->GetBros())->geometry(), firstView);

    plus();
    QCOMPARE(WindowTestSupport::webView(Form2->ActiveTab()->GetBros())->geometry(),
             QRect(0, 40, Form2->width(), Form2->height() - 40));
    Form2->btn1Click();
    QCOMPARE(WindowTestSupport::webView(Form2->TabList(0)->GetBros())->geometry(), firstView);
    QCOMPARE(Form2->addpage->pos(), QPoint(300, 0));
    checkInvariants();
}

void TestTextbookTabs::viewThatCannotBeCreated() {
    showTextbook();
    SwitchableEngine engine;
    engine.failure = QStringLiteral("Нет браузера");
    plus();
    QCOMPARE(m_services->errors.size(), 1);
    QCOMPARE(m_services->errors.value(0).message, QStringLiteral("Нет браузера."));
    // The header stays, active and without a view.
    QCOMPARE(Form2->TabCount(), 1);
    TmyTabPanel* bare = Form2->ActiveTab();
    QVERIFY(bare && !bare->GetBros());
    QCOMPARE(bare->color(), SystemColours::clScrollBar());

    // A topic click treats it as no active tab: it opens another one, which fails again.
    QTreeWidgetItem* page = node(*Form2->tv1, QStringLiteral("Алгебра/01.html"));
    clickNode(*Form2->tv1, page);
    QCOMPARE(m_services->errors.size(), 2);
    QCOMPARE(Form2->TabCount(), 2);
    QCOMPARE(bare->text(), QStringLiteral("Новая вкладка"));

    engine.failure.clear();
    clickNode(*Form2->tv1, page);
    QCOMPARE(Form2->TabCount(), 3);
    QCOMPARE(Form2->ActiveTab()->text(), QStringLiteral("01.html"));
    QVERIFY(Form2->ActiveTab()->GetBros());

    // A click on the bare header makes it active and brings nothing to the front.
    QTest::mouseClick(bare, Qt::LeftButton, Qt::NoModifier, QPoint(55, 25));
    QCOMPARE(Form2->ActiveTab(), bare);
    QCOMPARE(headerOnTop(), Form2->TabList(2));
    QCOMPARE(m_services->errors.size(), 2);
    QCOMPARE(WindowTestSupport::liveViews(), 1);
}

void TestTextbookTabs::openAndCloseTwentyTabsTenTimes_data() {
    QTest::addColumn<bool>("byCloseLabel"); // else by closing the window
    QTest::newRow("close labels") << true;
    QTest::newRow("window closed") << false;
}

void TestTextbookTabs::openAndCloseTwentyTabsTenTimes() {
    QFETCH(bool, byCloseLabel);
    showTextbook();
    QList<QPointer<QObject>> created;
    for (int round = 0; round < 10; ++round) {
        if (Form2->isHidden())
            showTextbook();
        QCOMPARE(Form2->TabCapacity(), 20);
        for (int i = 0; i < 20; ++i) {
            plus();
            TmyTabPanel* header = Form2->ActiveTab();
            QWebEngineView* view = WindowTestSupport::webView(header->GetBros());
            created << header << header->but << header->Img << header->GetBros() << view
                    << view->page();
        }
        QCOMPARE(Form2->TabCount(), 20);
        if (byCloseLabel) {
            while (Form2->TabCount() > 0)
                play(QStringLiteral("x%1").arg(round % 2 ? 0 : Form2->TabCount() - 1));
        } else {
            QTest::mouseClick(Form2->Button1, Qt::LeftButton);
        }
        flushDeferredDeletes();

        int alive = 0;
        for (const QPointer<QObject>& object : created)
            alive += object ? 1 : 0;
        QCOMPARE(alive, 0);
        QCOMPARE(WindowTestSupport::liveViews(), 0); // so none in the content panel either
        QCOMPARE(Form2->pgc1->findChildren<BrowserView*>().size(), 0);
        QCOMPARE(Form2->pnl4->findChildren<TmyTabPanel*>().size(), 0);
        QCOMPARE(Form2->TabCount(), 0);
        QCOMPARE(Form2->addpage->pos(), QPoint(0, 0));
    }
    QCOMPARE(created.size(), 10 * 20 * 6);
}

void TestTextbookTabs::windowDestroyedWithTabsOpen() {
    showTextbook();
    play(QStringLiteral("+ + +"));
    QList<QPointer<QObject>> views;
    for (int i = 0; i < 3; ++i)
        views << WindowTestSupport::webView(Form2->TabList(i)->GetBros())
              << Form2->TabList(i)->GetBros();
    WindowTestSupport::destroyWindow(Form2);
    for (const QPointer<QObject>& view : views)
        QVERIFY(!view);
    QCOMPARE(WindowTestSupport::liveViews(), 0);
}

void TestTextbookTabs::captionThatDoesNotFitIsTheToolTip_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("fits");

    QTest::newRow("short") << QStringLiteral("01.html") << true;
    QTest::newRow("new tab") << QStringLiteral("Новая вкладка") << true;
    QTest::newRow("long") << QStringLiteral("04_Поиск_и_сложность_алгоритмов.html") << false;
}

void TestTextbookTabs::captionThatDoesNotFitIsTheToolTip() {
    QFETCH(QString, caption);
    QFETCH(bool, fits);
    TmyTabPanel header(Form2->pnl4);
    header.setAlignment(Qt::AlignCenter);
    header.setGeometry(0, 0, TabStrip<TmyTabPanel>::kHeaderWidth, TabStrip<TmyTabPanel>::kHeight);
    header.setCaption(caption);
    QCOMPARE(header.text(), caption);
    QCOMPARE(header.toolTip(), fits ? QString() : caption);
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestTextbookTabs)
#include "TestTextbookTabs.moc"
