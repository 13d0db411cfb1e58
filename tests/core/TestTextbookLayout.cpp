// The textbook window's show layout and what folding changes, as plain arithmetic.

#include "TextbookLayout.h"

#include <QTest>

class TestTextbookLayout : public QObject {
    Q_OBJECT

private slots:
    void example1000x700();
    void foldButtonTop_data();
    void foldButtonTop();
    void capacity_data();
    void capacity();
    void barButtonsKeepToTheRightEdge_data();
    void barButtonsKeepToTheRightEdge();
    void foldAndUnfold();
};

void TestTextbookLayout::example1000x700() {
    const TextbookLayout l = TextbookLayout::forClient(1000, 700);
    QCOMPARE(l.tv1, QRect(0, 0, 200, 700));
    QCOMPARE(l.pgc1, QRect(200, 0, 800, 651));
    QCOMPARE(l.pnl4, QRect(0, 0, 800, 40));
    QCOMPARE(l.tabCapacity, 8);
    QCOMPARE(l.pnl1, QRect(200, 651, 800, 49));
    QCOMPARE(l.btn6.topLeft(), QPoint(639, 8));
    QCOMPARE(l.Button1.topLeft(), QPoint(719, 8));
    QCOMPARE(l.btn1, QRect(184, 338, 33, 25));
    QCOMPARE(l.pnl2, QRect(584, 346, 185, 305));
    QCOMPARE(l.pnl3, QRect(400, 346, 185, 305));
    QCOMPARE(l.btn2, QRect(16, 8, 169, 33));
    QCOMPARE(l.btn3, QRect(200, 8, 169, 33));
    QCOMPARE(l.btn4, QRect(384, 8, 169, 33));
}

void TestTextbookLayout::foldButtonTop_data() {
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("top");

    // nearest(H / 2 - 12.5), halves to the even neighbour.
    QTest::newRow("700: 337.5 -> 338") << 700 << 338;
    QTest::newRow("702: 338.5 -> 338") << 702 << 338;
    QTest::newRow("704: 339.5 -> 340") << 704 << 340;
    QTest::newRow("701: 338 exactly") << 701 << 338;
    QTest::newRow("563, the design height: 269") << 563 << 269;
    QTest::newRow("600: 287.5 -> 288") << 600 << 288;
}

void TestTextbookLayout::foldButtonTop() {
    QFETCH(int, height);
    QFETCH(int, top);
    QCOMPARE(TextbookLayout::forClient(1000, height).btn1.top(), top);
    QCOMPARE(TextbookLayout::forClient(1000, height).btn1.left(), 184);
}

void TestTextbookLayout::capacity_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("capacity");

    QTest::newRow("strip 2250 gives 20") << 2450 << 20;
    QTest::newRow("strip 2000") << 2200 << 20;
    QTest::newRow("strip 1999") << 2199 << 19;
    QTest::newRow("strip 600 (800 wide screen)") << 800 << 6;
    QTest::newRow("strip 99") << 299 << 0;
    QTest::newRow("strip 100") << 300 << 1;
    QTest::newRow("narrower than the tree") << 150 << 0;
}

void TestTextbookLayout::capacity() {
    QFETCH(int, width);
    QFETCH(int, capacity);
    QCOMPARE(TextbookLayout::forClient(width, 700).tabCapacity, capacity);
}

void TestTextbookLayout::barButtonsKeepToTheRightEdge_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("refresh");
    QTest::addColumn<int>("exit");

    QTest::newRow("design bar of 705") << 905 << 544 << 624;
    QTest::newRow("1280 screen") << 1280 << 919 << 999;
    QTest::newRow("800 screen") << 800 << 439 << 519;
}

void TestTextbookLayout::barButtonsKeepToTheRightEdge() {
    QFETCH(int, width);
    QFETCH(int, refresh);
    QFETCH(int, exit);
    const TextbookLayout l = TextbookLayout::forClient(width, 600);
    QCOMPARE(l.btn6, QRect(refresh, 8, 75, 33));
    QCOMPARE(l.Button1, QRect(exit, 8, 75, 33));
}

void TestTextbookLayout::foldAndUnfold() {
    const TextbookLayout l = TextbookLayout::forClient(1000, 700);
    QCOMPARE(TextbookLayout::foldedContent(1000, 700), QRect(0, 0, 1000, 700));
    QCOMPARE(TextbookLayout::foldedButton(l.btn1), QPoint(0, 338));
    QCOMPARE(TextbookLayout::unfoldedContent(1000, 700), l.pgc1);
    QCOMPARE(TextbookLayout::unfoldedButtonLeft(), 184);
}

QTEST_GUILESS_MAIN(TestTextbookLayout)
#include "TestTextbookLayout.moc"
