// A course carried over from a Windows system (tests/data/carried-over), with the real engine:
// names in Windows-1251 bytes, a Windows-1251 page without a charset, packed pages linking to
// each other and to a presentation, a link with a fragment and one asking for a new window.
// Each page reads right, links are followed the user's way (a mouse click), back and forward
// work, a presentation goes to the desktop, and every listing is in Russian order.

#include "BrowserView.h"
#include "myTabPanel.h"
#include "support/CarriedOverCourse.h"
#include "support/KeeperInThisProcess.h"
#include "support/TestHelpers.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit5.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using namespace TextbookTestSupport;
using CarriedOverCourse::kSubject;

namespace {

constexpr int kTimeout = 30000; // the engine's first start can be slow on a busy machine

const QString kIntro = QStringLiteral("Тема 1. Введение.html");
const QString kLaws = QStringLiteral("Тема 2. Законы Кирхгофа.html");
const QString kCircuits = QStringLiteral("Тема 10. Цепи.html");

QWebEngineView* activeView() {
    TmyTabPanel* tab = Form2->ActiveTab();
    return tab && tab->GetBros() ? WindowTestSupport::webView(tab->GetBros()) : nullptr;
}

} // namespace

class TestCarriedOverCourse : public QObject, protected WindowFixture {
    Q_OBJECT

private:
    KeeperInThisProcess m_keeper;

    void openTopic(const QString& page);
    QVariant script(const QString& code);
    // Waits for the page that `act` makes the active view load, and checks it shows `text`.
    void expectPage(const std::function<void()>& act, const QString& page, const QString& text);
    void clickLink(const QString& id);

private slots:
    void init();
    void cleanup();

    void pageReadsRight_data();
    void pageReadsRight();
    void followLink_data();
    void followLink();
    void backAndForward();
    void documentLinkGoesToTheDesktop();
    void newTabIsBlank();
    void listingsInRussianOrder();
};

void TestCarriedOverCourse::init() {
    QVERIFY(startFixture());
    QVERIFY(CarriedOverCourse::makeIn(m_content->programDir()));
    // On disk by its Windows-1251 bytes only, as the old system left it.
    const QByteArray intro = CodePage::encode(kSubject + QLatin1Char('/') + kIntro);
    QVERIFY(::access((QFile::encodeName(m_content->contentDir()) + intro).constData(), F_OK) == 0);
    QVERIFY(!QFile::exists(m_content->contentDir() + kSubject));
    makeWindow(Form2);
}

void TestCarriedOverCourse::cleanup() {
    stopFixture();
}

QVariant TestCarriedOverCourse::script(const QString& code) {
    QVariant value;
    bool done = false;
    activeView()->page()->runJavaScript(code, [&](const QVariant& result) {
        value = result;
        done = true;
    });
    [&] { QTRY_VERIFY_WITH_TIMEOUT(done, kTimeout); }();
    return value;
}

void TestCarriedOverCourse::expectPage(const std::function<void()>& act, const QString& page,
                                       const QString& text) {
    QWebEngineView* view = activeView();
    QVERIFY(view);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    act();
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    QVERIFY(loaded.last().value(0).toBool());
    QCOMPARE(view->url().scheme(), QStringLiteral("normakurs"));
    QCOMPARE(view->url().path(), m_content->contentDir() + kSubject + QLatin1Char('/') + page);
    const QString shown = script(QStringLiteral("document.body.innerText")).toString();
    QVERIFY2(shown.contains(text), qPrintable(shown.left(200)));
}

void TestCarriedOverCourse::openTopic(const QString& page) {
    Form2->showForm();
    QTreeWidgetItem* item = node(*Form2->tv1, kSubject + QLatin1Char('/') + page);
    QVERIFY2(item, qPrintable(dump(*Form2->tv1)));
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    STEP(expectPage([&] { clickNode(*Form2->tv1, item); }, page, QString()));
    QCOMPARE(Form2->ActiveTab()->text(), page);
}

// A mouse click in the middle of the link, scrolled into sight first.
void TestCarriedOverCourse::clickLink(const QString& id) {
    const QVariantList box =
        script(QStringLiteral("(function(){var e=document.getElementById('%1');"
                              "e.scrollIntoView({block:'center'});var r=e.getBoundingClientRect();"
                              "return [r.left+r.width/2, r.top+r.height/2];})()")
                   .arg(id))
            .toList();
    QCOMPARE(box.size(), 2);
    QWidget* target = activeView()->focusProxy();
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box.at(0).toInt(), box.at(1).toInt()));
}

void TestCarriedOverCourse::pageReadsRight_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("windows-1251 without a charset, in a folder named in windows-1251")
        << kIntro
        << QStringList{QStringLiteral("Введение в электротехнику"),
                       QStringLiteral("Электрический ток — упорядоченное движение"),
                       QStringLiteral("Сила тока\tI\tампер")};
    QTest::newRow("packed") << kLaws
                            << QStringList{QStringLiteral("Законы Кирхгофа"),
                                           QStringLiteral("Сумма токов, сходящихся в узле")};
    QTest::newRow("packed, long") << kCircuits
                                  << QStringList{QStringLiteral("Абзац 60 о последовательном"),
                                                 QStringLiteral("Резонанс напряжений")};
}

void TestCarriedOverCourse::pageReadsRight() {
    QFETCH(QString, page);
    QFETCH(QStringList, texts);
    STEP(openTopic(page));
    const QString shown = script(QStringLiteral("document.body.innerText")).toString();
    for (const QString& text : texts)
        QVERIFY2(shown.contains(text), qPrintable(text + QStringLiteral(" in ") + shown.left(300)));
    QVERIFY(m_services->errors.isEmpty());
}

void TestCarriedOverCourse::followLink_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fragment");
    QTest::newRow("plain page to packed page")
        << kIntro << "kirchhoff" << kLaws << QStringLiteral("Сумма токов") << QString();
    QTest::newRow("packed page to packed page")
        << kLaws << "circuits" << kCircuits << QStringLiteral("Абзац 1 о") << QString();
    QTest::newRow("packed page back to the plain page")
        << kLaws << "intro" << kIntro << QStringLiteral("Электрический ток") << QString();
    QTest::newRow("asking for a new window")
        << kIntro << "blank" << kCircuits << QStringLiteral("Абзац 1 о") << QString();
    QTest::newRow("with a fragment") << kIntro << "resonance" << kCircuits
                                     << QStringLiteral("Резонанс") << QStringLiteral("резонанс");
}

void TestCarriedOverCourse::followLink() {
    QFETCH(QString, from);
    QFETCH(QString, link);
    QFETCH(QString, to);
    QFETCH(QString, text);
    QFETCH(QString, fragment);
    STEP(openTopic(from));
    QWebEngineView* view = activeView();
    STEP(expectPage([&] { clickLink(link); }, to, text));
    // The page came in the same tab, in the same view.
    QCOMPARE(Form2->TabCount(), 1);
    QCOMPARE(activeView(), view);
    QCOMPARE(view->url().fragment(), fragment);
    if (!fragment.isEmpty()) {
        // Scrolled down to the heading, which lies far below the first screen: it is in sight.
        QTRY_VERIFY_WITH_TIMEOUT(script(QStringLiteral("window.scrollY")).toDouble() > 100,
                                 kTimeout);
        const QVariantList place =
            script(QStringLiteral("[document.getElementById('%1').getBoundingClientRect().top, "
                                  "window.innerHeight]")
                       .arg(fragment))
                .toList();
        QCOMPARE(place.size(), 2);
        QVERIFY2(place.at(0).toDouble() >= 0 && place.at(0).toDouble() < place.at(1).toDouble(),
                 qPrintable(place.at(0).toString()));
    }
    QVERIFY(m_services->openedDocuments.isEmpty());
    QVERIFY(m_services->errors.isEmpty());
}

void TestCarriedOverCourse::backAndForward() {
    STEP(openTopic(kLaws));
    STEP(expectPage([&] { clickLink(QStringLiteral("circuits")); }, kCircuits,
                    QStringLiteral("Электрические цепи")));
    STEP(expectPage([&] { clickLink(QStringLiteral("laws")); }, kLaws,
                    QStringLiteral("Сумма токов")));
    QWebEngineView* view = activeView();
    STEP(expectPage([&] { view->back(); }, kCircuits, QStringLiteral("Электрические цепи")));
    STEP(expectPage([&] { view->back(); }, kLaws, QStringLiteral("Сумма токов")));
    QVERIFY(!view->history()->canGoBack());
    STEP(expectPage([&] { view->forward(); }, kCircuits, QStringLiteral("Электрические цепи")));
    QVERIFY(m_services->errors.isEmpty());
}

void TestCarriedOverCourse::documentLinkGoesToTheDesktop() {
    STEP(openTopic(kLaws));
    clickLink(QStringLiteral("lecture"));
    QTRY_COMPARE_WITH_TIMEOUT(m_services->openedDocuments.size(), 1, kTimeout);
    QCOMPARE(m_services->openedDocuments.first(),
             m_content->contentDir() + kSubject + QStringLiteral("/Презентации/Лекция 2.ppt"));
    // The page stays: nothing else was loaded in its place.
    QCOMPARE(activeView()->url().path(), m_content->contentDir() + kSubject + '/' + kLaws);
    QVERIFY(script(QStringLiteral("document.body.innerText")).toString().contains("Сумма токов"));
    QVERIFY(m_services->errors.isEmpty());
}

void TestCarriedOverCourse::newTabIsBlank() {
    Form2->showForm();
    // What the window does once it is on a real screen (not on the offscreen one): the engine
    // readied with the content folder, the page the next tab starts with.
    BrowserView::prepareSpare(Form2, m_content->contentDir());
    auto* spare = Form2->findChild<QWebEngineView*>();
    QVERIFY(spare);
    QSignalSpy loaded(spare, &QWebEngineView::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > 0, kTimeout);
    QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
    QCOMPARE(activeView(), spare);
    // It shows as a blank page.
    QVERIFY(loaded.last().value(0).toBool());
    // Read as the engine shows it: its own error page is out of reach of a page's scripts.
    QString text = QStringLiteral("<not read>");
    activeView()->page()->toPlainText([&](const QString& shown) { text = shown; });
    QTRY_VERIFY_WITH_TIMEOUT(text != QStringLiteral("<not read>"), kTimeout);
    QCOMPARE(text, QString());
}

void TestCarriedOverCourse::listingsInRussianOrder() {
    Form2->showForm();
    QCOMPARE(dump(*Form2->tv1), kSubject + QStringLiteral(": ") + kIntro + QStringLiteral(", ") +
                                    kLaws + QStringLiteral(", ") + kCircuits);
    QCOMPARE(dump(*Form2->tv2), kSubject + QStringLiteral(": Лекция 2.ppt, Лекция 10.pptx"));

    makeWindow(Form3);
    Form3->showForm();
    QCOMPARE(Form3->cbb1->count(), 1);
    QCOMPARE(Form3->cbb1->itemText(0), kSubject);
    Form3->cbb1->setCurrentIndex(0);
    emit Form3->cbb1->activated(0);
    QStringList variants;
    for (int i = 0; i < Form3->cbb2->count(); ++i)
        variants.append(Form3->cbb2->itemText(i));
    QStringList expected;
    for (int i = 1; i <= 12; ++i)
        expected.append(QStringLiteral("Вариант %1.txt").arg(i));
    QCOMPARE(variants, expected);

    makeWindow(Form5);
    QCOMPARE(dump(*Form5->tv1), kSubject + QStringLiteral(": Иван Иванов(2), Иван Иванов(10)"));
    QVERIFY(m_services->errors.isEmpty());
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestCarriedOverCourse)
#include "TestCarriedOverCourse.moc"
