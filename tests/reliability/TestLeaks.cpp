// Nothing is left behind by the things a lab does all day: opening and closing twenty textbook
// tabs, ten times over, and signing in to the teacher's window and out again, ten times over.
// Every object made for a round is gone after it, the windows hold as many objects as before,
// and in the sanitizer build LeakSanitizer finds no leak after the rounds (leaks inside system
// libraries are listed in tests/lsan-suppressions.txt; none of ours is). The test runs on a
// screen wide enough for twenty tabs (tests/windows/screens/wide.json).

#include "BrowserView.h"
#include "myTabPanel.h"
#include "ReliabilitySupport.h"
#include "support/ProgramTestSupport.h"
#include "support/TextbookTestSupport.h"
#include "support/WindowFixture.h"
#include "support/WindowTestSupport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

#ifdef NORMAKURS_ASAN
#include <sanitizer/lsan_interface.h>
#endif

using namespace TextbookTestSupport;

namespace {

constexpr int kRounds = 10;
constexpr int kTabs = 20;

// Leaks LeakSanitizer finds now (0 without the sanitizer, or with leak detection off).
int leaksNow() {
#ifdef NORMAKURS_ASAN
    return __lsan_do_recoverable_leak_check();
#else
    return 0;
#endif
}

int objectsIn(const QObject* root) {
    return int(root->findChildren<QObject*>().size());
}

} // namespace

class TestLeaks : public QObject, protected WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void tabsTwentyTimesTen();
    void signInAndOutTenTimes();

private:
    // Opens twenty tabs and closes them again by their close labels; returns what was made.
    QList<QPointer<QObject>> tabRound();
    void signInRound();
};

void TestLeaks::initTestCase() {
    WindowFixture::prepareApplication();
}

void TestLeaks::init() {
    QVERIFY(startFixture());
    m_content->makeFile(QStringLiteral("Content/Алгебра/01.html"), "<p>one</p>");
    ProgramTestSupport::makeProgramWindows(*this);
}

void TestLeaks::cleanup() {
    stopFixture();
    QCOMPARE(WindowTestSupport::liveViews(), 0);
}

void TestLeaks::cleanupTestCase() {
    // With every window gone, nothing of ours may be left unreachable.
    QCOMPARE(leaksNow(), 0);
}

QList<QPointer<QObject>> TestLeaks::tabRound() {
    QList<QPointer<QObject>> made;
    if (Form2->TabCapacity() != kTabs)
        return made; // a screen without room for them all
    for (int i = 0; i < kTabs; ++i) {
        QTest::mouseClick(Form2->addpage, Qt::LeftButton, Qt::NoModifier, QPoint(4, 10));
        TmyTabPanel* header = Form2->ActiveTab();
        if (!header)
            return made;
        made << header << header->but << header->Img << header->GetBros()
             << header->GetBros()->view();
    }
    // Closed from either end, alternately, by the left button on the close label.
    for (int round = 0; Form2->TabCount() > 0; ++round) {
        TmyTabPanel* header = Form2->TabList(round % 2 ? 0 : Form2->TabCount() - 1);
        auto* close = header->findChild<TmyCloseLabel*>(QStringLiteral("but"));
        QTest::mouseClick(close, Qt::LeftButton, Qt::NoModifier, QPoint(7, 7));
        flushDeferredDeletes();
    }
    return made;
}

void TestLeaks::tabsTwentyTimesTen() {
    Form1->showForm();
    Form1->btn4Click();
    QVERIFY(Form2->isVisible());

    // The first round starts the engine and fills its caches; every later one must end where it
    // began.
    QCOMPARE(tabRound().size(), kTabs * 5);
    QCOMPARE(leaksNow(), 0);
    const int objects = objectsIn(Form2);
    for (int round = 1; round < kRounds; ++round) {
        const QList<QPointer<QObject>> made = tabRound();
        QCOMPARE(made.size(), kTabs * 5);
        for (const QPointer<QObject>& object : made)
            QVERIFY(object.isNull());
        QCOMPARE(WindowTestSupport::liveViews(), 0);
        QCOMPARE(Form2->TabCount(), 0);
        QCOMPARE(objectsIn(Form2), objects);
    }
    QCOMPARE(leaksNow(), 0);
}

void TestLeaks::signInRound() {
    Form1->showForm();
    QTest::mouseClick(Form1->btn3, Qt::LeftButton);
    QVERIFY(Form4->isVisible());
    Form4->edt1->setText(QStringLiteral("tutor"));
    Form4->edt2->setText(QStringLiteral("lmn5827"));
    QTest::mouseClick(Form4->btn1, Qt::LeftButton);
    QVERIFY(Form5->isVisible());
    QTest::mouseClick(Form5->Button1, Qt::LeftButton);
    QVERIFY(Form5->isHidden());
    QVERIFY(Form1->isVisible());
}

void TestLeaks::signInAndOutTenTimes() {
    signInRound();
    QCOMPARE(leaksNow(), 0);
    const int teacher = objectsIn(Form5);
    const int signIn = objectsIn(Form4);
    const int launcher = objectsIn(Form1);
    for (int round = 1; round < kRounds; ++round) {
        signInRound();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(objectsIn(Form5), teacher);
        QCOMPARE(objectsIn(Form4), signIn);
        QCOMPARE(objectsIn(Form1), launcher);
    }
    QVERIFY(m_services->errors.isEmpty());
    QCOMPARE(leaksNow(), 0);
}

NORMAKURS_TEXTBOOK_TEST_MAIN(TestLeaks)
#include "TestLeaks.moc"
