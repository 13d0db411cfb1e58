// Where the teacher's window puts its controls: the anchored ones at the design size and at a
// screen's size, and the request panels' place with its rounding.

#include "TeacherLayout.h"

#include <QTest>

class TestTeacherLayout : public QObject {
    Q_OBJECT

private slots:
    void designPage();
    void largerPage();
    void panelPlace_data();
    void panelPlace();
};

void TestTeacherLayout::designPage() {
    const TeacherLayout l = TeacherLayout::forPage(QSize(953, 633));
    QCOMPARE(l.mmo1, QRect(128, 0, 825, 613));
    QCOMPARE(l.lbl3, QRect(128, 613, 825, 20));
    QCOMPARE(l.openfile, QRect(0, 541, 121, 25));
    QCOMPARE(l.btn1, QRect(0, 572, 121, 25));
    QCOMPARE(l.btn2, QRect(0, 602, 121, 25));
    QCOMPARE(l.tv1, QRect(0, 0, 177, 633));
    QCOMPARE(l.mmo2, QRect(176, 0, 777, 633));
}

void TestTeacherLayout::largerPage() {
    const TeacherLayout l = TeacherLayout::forPage(QSize(1272, 771));
    // The memos and the tree follow the edges; the three buttons keep their distance to the
    // bottom edge.
    QCOMPARE(l.mmo1, QRect(128, 0, 1144, 751));
    QCOMPARE(l.lbl3, QRect(128, 751, 1144, 20));
    QCOMPARE(l.openfile, QRect(0, 771 - 92, 121, 25));
    QCOMPARE(l.btn1, QRect(0, 771 - 61, 121, 25));
    QCOMPARE(l.btn2, QRect(0, 771 - 31, 121, 25));
    QCOMPARE(l.tv1, QRect(0, 0, 177, 771));
    QCOMPARE(l.mmo2, QRect(176, 0, 1096, 771));
}

void TestTeacherLayout::panelPlace_data() {
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QPoint>("place");

    // left = W/2 - 150, top = H/2 - 44.5; an exact half goes to the even neighbour.
    QTest::newRow("design 961 x 661") << QSize(961, 661) << QPoint(330, 286);
    QTest::newRow("1280 x 800: 355.5 -> 356") << QSize(1280, 800) << QPoint(490, 356);
    QTest::newRow("1280 x 798: 354.5 -> 354") << QSize(1280, 798) << QPoint(490, 354);
    QTest::newRow("1279 x 799: 489.5 -> 490") << QSize(1279, 799) << QPoint(490, 355);
    QTest::newRow("1281 x 801: 490.5 -> 490") << QSize(1281, 801) << QPoint(490, 356);
    QTest::newRow("1920 x 1040") << QSize(1920, 1040) << QPoint(810, 476);
}

void TestTeacherLayout::panelPlace() {
    QFETCH(QSize, client);
    QFETCH(QPoint, place);
    QCOMPARE(TeacherLayout::panelPlace(client), place);
}

QTEST_APPLESS_MAIN(TestTeacherLayout)
#include "TestTeacherLayout.moc"
