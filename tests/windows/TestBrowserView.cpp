// The browser view with the real engine (offscreen): pages opened from a temporary content tree
// through the textbook, plain and packed, read back once loaded; relative images; the find bar;
// the wrapper's own operations; no renderer left behind by closed tabs.

#include "BrowserView.h"
#include "CodePage.h"
#include "FindBar.h"
#include "myTabPanel.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "TextbookTree.h"
#include "Unit2.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using namespace TextbookTestSupport;

namespace {

constexpr int kTimeout = 30000; // the engine's first start can be slow on a busy machine

const QString kSubject = QStringLiteral("Мой предмет");

QString utf8Page(const QString& body) {
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title>"
                          "</head><body>%1</body></html>")
        .arg(body);
}

QWebEngineView* activeView() {
    TmyTabPanel* tab = Form2->ActiveTab();
    return tab && tab->GetBros() ? WindowTestSupport::webView(tab->GetBros()) : nullptr;
}

} // namespace

class TestBrowserView : public QObject, protected WindowFixture {
    Q_OBJECT

private:
    void showTextbook();
    // Clicks the topic and waits until its page has loaded; `ok` is what the engine said.
    void openTopic(const QString& page, bool* ok = nullptr);
    QString plainText(QWebEngineView* view);
    QVariant script(QWebEngineView* view, const QString& code);

private slots:
    void init();
    void cleanup();

    void newTabStartsItsHistory_data(); // first, while nothing has loaded the engine yet
    void newTabStartsItsHistory();
    void pageReadBack_data();
    void pageReadBack();
    void relativeImage_data();
    void relativeImage();
    void missingPageShowsTheEnginesOwnPage();
    void findBarFindsInTheActivePage();
    void wrapperOperations();
    void closedTabsLeaveNoRenderer();
};

void TestBrowserView::init() {
    QVERIFY(startFixture());
}

void TestBrowserView::cleanup() {
    stopFixture();
}

void TestBrowserView::showTextbook() {
    if (!Form2) // a second call in one test reuses the window instead of leaking the first one
        makeWindow(Form2);
    Form2->showForm();
    QVERIFY(Form2->isVisible());
}

void TestBrowserView::openTopic(const QString& page, bool* ok) {
    QTreeWidgetItem* item = node(*Form2->tv1, kSubject + QLatin1Char('/') + page);
    QVERIFY2(item, qPrintable(page));
    if (!activeView())
        QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    QWebEngineView* view = activeView();
    QVERIFY2(view, qPrintable(m_services->errors.isEmpty() ? QString()
                                                           : m_services->errors.first().message));
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    clickNode(*Form2->tv1, item);
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    if (ok)
        *ok = loaded.last().value(0).toBool();
}

QString TestBrowserView::plainText(QWebEngineView* view) {
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString& result) {
        text = result;
        done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, kTimeout); }();
    return text;
}

QVariant TestBrowserView::script(QWebEngineView* view, const QString& code) {
    QVariant value;
    bool done = false;
    view->page()->runJavaScript(code, [&](const QVariant& result) {
        value = result;
        done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, kTimeout); }();
    return value;
}

void TestBrowserView::pageReadBack_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("plain"); // the file's bytes, for a plain page
    QTest::addColumn<QString>("packed");   // the packed text, for a packed page
    QTest::addColumn<QString>("expected"); // text that the loaded page shows

    const QString hello = QStringLiteral("Привет из файла");
    QTest::newRow("plain page") << QStringLiteral("01 Введение.html")
                                << utf8Page(QStringLiteral("<h1>%1</h1>").arg(hello)).toUtf8()
                                << QString() << hello;
    QTest::newRow("plain page in windows-1251")
        << QStringLiteral("02.html")
        << CodePage::encode(QStringLiteral("<html><head><meta charset=\"windows-1251\"></head>"
                                           "<body><p>Кодовая страница 1251</p></body></html>"))
        << QString() << QStringLiteral("Кодовая страница 1251");
    QTest::newRow("plain page in windows-1251 without a charset")
        << QStringLiteral("02a.html")
        << CodePage::encode(QStringLiteral("<html><body><p>Без объявления: ёлка</p></body></html>"))
        << QString() << QStringLiteral("Без объявления: ёлка");
    QTest::newRow("plain page that declares utf-8")
        << QStringLiteral("02b.html")
        << QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=utf-8\"></head><body><p>Юникод</p></body></html>")
               .toUtf8()
        << QString() << QStringLiteral("Юникод");
    QTest::newRow("packed page")
        << QStringLiteral("03 Упакованная.html") << QByteArray()
        << QStringLiteral("<html><body><h1>Упакованная страница</h1>\n<p>вторая строка</p>"
                          "</body></html>")
        << QStringLiteral("Упакованная страница");
    QTest::newRow("packed page that names another charset")
        << QStringLiteral("04.html") << QByteArray()
        << QStringLiteral("<html><head><meta charset=\"windows-1251\"></head>"
                          "<body><p>Ёлка и ещё</p></body></html>")
        << QStringLiteral("Ёлка и ещё");
    QTest::newRow("packed page too large for one address")
        << QStringLiteral("05 Большая.html") << QByteArray()
        << QStringLiteral("<!DOCTYPE html><html><head></head><body><p>%1</p><p>КОНЕЦ</p>"
                          "</body></html>")
               .arg(QString(400 * 1024, QChar(0x0416)))
        << QStringLiteral("КОНЕЦ");
}

void TestBrowserView::pageReadBack() {
    QFETCH(QString, name);
    QFETCH(QByteArray, plain);
    QFETCH(QString, packed);
    QFETCH(QString, expected);

    const QString relative = QStringLiteral("Content/%1/%2").arg(kSubject, name);
    if (packed.isEmpty())
        m_content->makeFile(relative, plain);
    else
        m_content->makePacked(relative, packed);
    showTextbook();

    bool ok = false;
    openTopic(name, &ok);
    QVERIFY(ok);
    QCOMPARE(Form2->ActiveTab()->text(), name);
    // Every page, packed or plain, large or small, keeps its own path as its address, under the
    // program's scheme that reads it.
    QCOMPARE(activeView()->url().scheme(), QStringLiteral("normakurs"));
    QCOMPARE(activeView()->url().path(),
             m_content->contentDir() + kSubject + QLatin1Char('/') + name);
    const QString text = plainText(activeView());
    QVERIFY2(text.contains(expected), qPrintable(text.left(200)));
    QVERIFY(m_services->errors.isEmpty());
}

void TestBrowserView::newTabStartsItsHistory_data() {
    QTest::addColumn<QString>("holder"); // of the view readied with the window, if any
    // The engine's module loads on a worker thread while the first page opens on this one.
    QTest::newRow("engine loading ahead") << "ahead";
    QTest::newRow("view made for the tab") << "";
    QTest::newRow("view readied in the window") << "window";
    QTest::newRow("view readied in the content panel") << "panel";
}

void TestBrowserView::newTabStartsItsHistory() {
    QFETCH(QString, holder);
    m_content->makeFile(QStringLiteral("Content/%1/a.html").arg(kSubject), "<p>A</p>");
    m_content->makePacked(QStringLiteral("Content/%1/b.html").arg(kSubject), "<p>B</p>");
    showTextbook();
    if (holder == QLatin1String("ahead")) {
        BrowserView::loadEngineAhead();
    } else if (!holder.isEmpty()) {
        BrowserView::prepareSpare(
            holder == QLatin1String("panel") ? static_cast<QWidget*>(Form2->pgc1) : Form2,
            m_content->contentDir());
        auto* spare = Form2->findChild<QWebEngineView*>();
        QVERIFY(spare);
        QSignalSpy loaded(spare, &QWebEngineView::loadFinished);
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    }
    bool ok = false;
    openTopic(QStringLiteral("a.html"), &ok);
    QVERIFY(ok);
    QWebEngineView* view = activeView();
    QCOMPARE(plainText(view), QStringLiteral("A"));
    QCOMPARE(view->history()->count(), 1);
    QVERIFY(!view->pageAction(QWebEnginePage::Back)->isEnabled());
    const qint64 renderer = view->page()->renderProcessPid();
    QVERIFY(renderer > 0);

    // Later pages, plain or packed, are kept: "Back" leads to the first topic.
    openTopic(QStringLiteral("b.html"), &ok);
    QVERIFY(ok);
    QCOMPARE(plainText(view), QStringLiteral("B"));
    // Every course page is of one site: a page after a page needs no renderer started anew.
    QCOMPARE(view->page()->renderProcessPid(), renderer);
    QCOMPARE(view->history()->count(), 2);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    view->pageAction(QWebEnginePage::Back)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    QCOMPARE(plainText(view), QStringLiteral("A"));
    QVERIFY(m_services->errors.isEmpty());
}

void TestBrowserView::relativeImage_data() {
    QTest::addColumn<bool>("packed");
    QTest::newRow("plain page") << false;
    QTest::newRow("packed page") << true;
}

void TestBrowserView::relativeImage() {
    QFETCH(bool, packed);
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(m_content->makeFolder(QStringLiteral("Content/%1/img").arg(kSubject)) +
                       QStringLiteral("/dot.png")));
    const QString html = utf8Page(QStringLiteral("<p>Картинка</p><img src=\"img/dot.png\">"));
    const QString relative = QStringLiteral("Content/%1/page.html").arg(kSubject);
    if (packed)
        m_content->makePacked(relative, html);
    else
        m_content->makeFile(relative, html.toUtf8());
    showTextbook();

    openTopic(QStringLiteral("page.html"));
    QWebEngineView* view = activeView();
    QTRY_COMPARE_WITH_TIMEOUT(script(view, QStringLiteral("document.images[0].complete ? "
                                                          "document.images[0].naturalWidth : -1"))
                                  .toInt(),
                              3, kTimeout);
}

void TestBrowserView::missingPageShowsTheEnginesOwnPage() {
    m_content->makeFile(QStringLiteral("Content/%1/gone.html").arg(kSubject), "<p>x</p>");
    showTextbook();
    QVERIFY(QFile::remove(m_content->contentDir() + kSubject + QStringLiteral("/gone.html")));
    bool ok = true;
    openTopic(QStringLiteral("gone.html"), &ok);
    QVERIFY(!ok);
    QCOMPARE(Form2->ActiveTab()->text(), QStringLiteral("gone.html"));
    QVERIFY(m_services->errors.isEmpty());
}

void TestBrowserView::findBarFindsInTheActivePage() {
    m_content->makeFile(
        QStringLiteral("Content/%1/words.html").arg(kSubject),
        utf8Page(QStringLiteral("<p>слово один</p><p>слово два</p><p>и третье слово</p>"))
            .toUtf8());
    showTextbook();
    openTopic(QStringLiteral("words.html"));

    QApplication::setActiveWindow(Form2);
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    QTest::keyClick(Form2->tv1, Qt::Key_F, Qt::ControlModifier);
    FindBar* bar = Form2->findBar;
    QVERIFY(bar->isVisible());
    bar->edtFind->setText(QStringLiteral("слово"));
    QTest::keyClick(bar->edtFind, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(bar->lblFound->text(), QStringLiteral("1 из 3"), kTimeout);
    QTest::mouseClick(bar->btnNext, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(bar->lblFound->text(), QStringLiteral("2 из 3"), kTimeout);
    QTest::mouseClick(bar->btnPrevious, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(bar->lblFound->text(), QStringLiteral("1 из 3"), kTimeout);

    bar->edtFind->setText(QStringLiteral("нетуж"));
    QTest::keyClick(bar->edtFind, Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(bar->lblFound->text(), QStringLiteral("нет"), kTimeout);

    QTest::keyClick(bar->edtFind, Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(bar->lblFound->text().isEmpty());
    QVERIFY(m_services->errors.isEmpty());
}

void TestBrowserView::wrapperOperations() {
    m_content->makeFile(QStringLiteral("Content/a.html"),
                        utf8Page(QStringLiteral("<p>A</p>")).toUtf8());
    QWidget parent;
    parent.resize(400, 300);
    auto owner = std::make_unique<QObject>();
    auto* first = new BrowserView(owner.get(), &parent);
    auto* second = new BrowserView(owner.get(), &parent);
    parent.show();
    QCOMPARE(WindowTestSupport::liveViews(), 2);
    QVERIFY(WindowTestSupport::webView(first)->isVisible());
    // The newer view lies on top; bringing the older one to the front puts it there.
    QCOMPARE(parent.children().last(), WindowTestSupport::webView(second));
    first->bringToFront();
    QCOMPARE(parent.children().last(), WindowTestSupport::webView(first));

    first->place(10, 20, 300, 200);
    QCOMPARE(WindowTestSupport::webView(first)->geometry(), QRect(10, 20, 300, 200));
    parent.resize(500, 400);
    QCOMPARE(WindowTestSupport::webView(first)->geometry(),
             QRect(10, 20, 300, 200)); // it never resizes itself

    QSignalSpy loaded(WindowTestSupport::webView(first), &QWebEngineView::loadFinished);
    first->navigate(m_content->contentDir() + QStringLiteral("a.html"));
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    QCOMPARE(plainText(WindowTestSupport::webView(first)), QStringLiteral("A"));

    QPointer<QWebEngineView> view = WindowTestSupport::webView(first);
    QPointer<QWebEnginePage> page = WindowTestSupport::webView(first)->page();
    delete first; // destroy
    QVERIFY(!view);
    QVERIFY(!page);
    QCOMPARE(WindowTestSupport::liveViews(), 1);

    // The owner takes the rest with it.
    QPointer<BrowserView> wrapper = second;
    QPointer<QWebEngineView> last = WindowTestSupport::webView(second);
    owner.reset();
    QVERIFY(!wrapper);
    QVERIFY(!last);
    QCOMPARE(WindowTestSupport::liveViews(), 0);
}

void TestBrowserView::closedTabsLeaveNoRenderer() {
    for (int i = 1; i <= 3; ++i)
        m_content->makeFile(QStringLiteral("Content/%1/%2.html").arg(kSubject).arg(i),
                            utf8Page(QStringLiteral("<p>страница %1</p>").arg(i)).toUtf8());
    showTextbook();
    // Start the engine once, and let its first page go, to know how many helper processes it
    // keeps without any page.
    openTopic(QStringLiteral("1.html"));
    QTest::mouseClick(Form2->Button1, Qt::LeftButton);
    showTextbook();
    // Its renderer ends a moment after the page has gone.
    int idle = engineProcesses();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000) {
        QTest::qWait(100);
        idle = qMin(idle, engineProcesses());
    }

    for (int i = 1; i <= 3; ++i) {
        QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
        openTopic(QStringLiteral("%1.html").arg(i));
    }
    QCOMPARE(Form2->TabCount(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(engineProcesses() > idle, kTimeout);
    const int busy = engineProcesses();

    // Closing the tabs one by one lets their renderers go.
    while (Form2->TabCount() > 0) {
        QTest::mouseClick(Form2->TabList(0)->but, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        flushDeferredDeletes();
    }
    QTRY_COMPARE_WITH_TIMEOUT(engineProcesses(), idle, kTimeout);
    qInfo("engine processes: %d without pages, %d with three tabs", idle, busy);
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestBrowserView)
#include "TestBrowserView.moc"
