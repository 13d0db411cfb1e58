// Where the testing window puts its controls for a given client size, and the rounding that
// centres the registration panel.

#include "TestingLayout.h"
#include "WorkArea.h"

#include <QTest>

class TestTestingLayout : public QObject {
    Q_OBJECT

private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void forClient_data();
    void forClient();
    void designSizesStay_data();
    void designSizesStay();
};

void TestTestingLayout::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("415.5") << 415.5 << 416;
    QTest::newRow("414.5") << 414.5 << 414;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("-0.5") << -0.5 << 0;
    QTest::newRow("-1.5") << -1.5 << -2;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("2.4") << 2.4 << 2;
    QTest::newRow("2.6") << 2.6 << 3;
    QTest::newRow("-2.6") << -2.6 << -3;
    QTest::newRow("whole") << 327.0 << 327;
}

void TestTestingLayout::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(WorkArea::roundHalfEven(value), expected);
}

void TestTestingLayout::forClient_data() {
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("pnl1");
    QTest::addColumn<QRect>("lst1");
    QTest::addColumn<QRect>("mmo1");
    QTest::addColumn<QRect>("pnl2");
    QTest::addColumn<QRect>("btn7");
    QTest::addColumn<QRect>("btn9");
    QTest::addColumn<QRect>("btn8");

    // The design size: the controls stay where the window was designed.
    QTest::newRow("1103 x 645") << QSize(1103, 645) << QRect(327, 222, 449, 201)
                                << QRect(898, 5, 200, 635) << QRect(5, 5, 888, 273)
                                << QRect(5, 283, 417, 49) << QRect(762, 615, 131, 25)
                                << QRect(1018, 615, 75, 25) << QRect(978, 585, 115, 25);
    // 1280 / 2 - 224.5 = 415.5 -> 416; 1000 / 2 - 100.5 = 399.5 -> 400
    QTest::newRow("1280 x 1000") << QSize(1280, 1000) << QRect(416, 400, 449, 201)
                                 << QRect(1075, 5, 200, 990) << QRect(5, 5, 1065, 273)
                                 << QRect(5, 283, 417, 49) << QRect(939, 970, 131, 25)
                                 << QRect(1195, 970, 75, 25) << QRect(1155, 940, 115, 25);
    // 1278 / 2 - 224.5 = 414.5 -> 414; 998 / 2 - 100.5 = 398.5 -> 398
    QTest::newRow("1278 x 998") << QSize(1278, 998) << QRect(414, 398, 449, 201)
                                << QRect(1073, 5, 200, 988) << QRect(5, 5, 1063, 273)
                                << QRect(5, 283, 417, 49) << QRect(937, 968, 131, 25)
                                << QRect(1193, 968, 75, 25) << QRect(1153, 938, 115, 25);
    // Odd sizes: 1279 / 2 - 224.5 = 415 exactly; 767 / 2 - 100.5 = 283 exactly.
    QTest::newRow("1279 x 767") << QSize(1279, 767) << QRect(415, 283, 449, 201)
                                << QRect(1074, 5, 200, 757) << QRect(5, 5, 1064, 273)
                                << QRect(5, 283, 417, 49) << QRect(938, 737, 131, 25)
                                << QRect(1194, 737, 75, 25) << QRect(1154, 707, 115, 25);
    // A screen of 1920 x 1040 less a frame.
    QTest::newRow("1918 x 1011") << QSize(1918, 1011) << QRect(734, 405, 449, 201)
                                 << QRect(1713, 5, 200, 1001) << QRect(5, 5, 1703, 273)
                                 << QRect(5, 283, 417, 49) << QRect(1577, 981, 131, 25)
                                 << QRect(1833, 981, 75, 25) << QRect(1793, 951, 115, 25);
}

void TestTestingLayout::forClient() {
    QFETCH(QSize, client);
    QFETCH(QRect, pnl1);
    QFETCH(QRect, lst1);
    QFETCH(QRect, mmo1);
    QFETCH(QRect, pnl2);
    QFETCH(QRect, btn7);
    QFETCH(QRect, btn9);
    QFETCH(QRect, btn8);

    const TestingLayout l = TestingLayout::forClient(client.width(), client.height());
    QCOMPARE(l.pnl1, pnl1);
    QCOMPARE(l.lst1, lst1);
    QCOMPARE(l.mmo1, mmo1);
    QCOMPARE(l.pnl2, pnl2);
    QCOMPARE(l.btn7, btn7);
    QCOMPARE(l.btn9, btn9);
    QCOMPARE(l.btn8, btn8);
}

void TestTestingLayout::designSizesStay_data() {
    QTest::addColumn<QSize>("client");
    QTest::newRow("small") << QSize(800, 600);
    QTest::newRow("design") << QSize(1103, 645);
    QTest::newRow("large") << QSize(2555, 1400);
}

void TestTestingLayout::designSizesStay() {
    QFETCH(QSize, client);
    const int cw = client.width();
    const int ch = client.height();
    const TestingLayout l = TestingLayout::forClient(cw, ch);
    // The derived positions of the table: list at CW - 205, view to CW - 210, answer panel at
    // y 283, finish at (CW - 341, CH - 30), exit at (CW - 85, CH - 30), restart at
    // (CW - 125, CH - 60).
    QCOMPARE(l.pnl1.size(), QSize(449, 201));
    QCOMPARE(l.lst1.left(), cw - 205);
    QCOMPARE(l.lst1.height(), ch - 10);
    QCOMPARE(l.mmo1.left() + l.mmo1.width(), cw - 210);
    QCOMPARE(l.mmo1.height(), 273);
    QCOMPARE(l.pnl2.topLeft(), QPoint(5, 283));
    QCOMPARE(l.btn7.topLeft(), QPoint(cw - 341, ch - 30));
    QCOMPARE(l.btn9.topLeft(), QPoint(cw - 85, ch - 30));
    QCOMPARE(l.btn8.topLeft(), QPoint(cw - 125, ch - 60));
    QCOMPARE(l.btn7.size(), QSize(131, 25));
    QCOMPARE(l.btn9.size(), QSize(75, 25));
    QCOMPARE(l.btn8.size(), QSize(115, 25));
}

QTEST_GUILESS_MAIN(TestTestingLayout)
#include "TestTestingLayout.moc"
