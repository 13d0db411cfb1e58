// The tab strip's bookkeeping without widgets: slots, positions, Tags, the active tab, capacity.

#include "TabStrip.h"

#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

namespace {

// A stand-in for a header: a number given in opening order, and the Tag and left edge that the
// window would give the header.
struct Tab {
    int id = 0;
    int tag = -1;
    int left = -1;
};

using Strip = TabStrip<Tab>;

// Plays a sequence of steps the way the window does and keeps the stand-ins' Tags and places as
// the window keeps its headers'. Steps: "o" opens, "cN" closes slot N, "aN" activates slot N,
// "x" closes all.
class Player {
public:
    explicit Player(int capacity) { strip.setCapacity(capacity); }

    void play(const QString& steps) {
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int slot = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'o': {
                auto tab = std::make_unique<Tab>();
                tab->id = ++m_opened;
                const int at = strip.open(tab.get());
                if (at >= 0) {
                    tab->tag = at;
                    tab->left = Strip::leftOf(at);
                    m_tabs.push_back(std::move(tab));
                }
                break;
            }
            case 'c': {
                const Strip::Closed closed = strip.close(slot);
                for (const Strip::Move& move : closed.moves) {
                    move.tab->tag = move.to;
                    move.tab->left = Strip::leftOf(move.to);
                }
                break;
            }
            case 'a':
                strip.activate(strip.at(slot));
                break;
            case 'x':
                strip.closeAll();
                break;
            default:
                QFAIL(qPrintable(QStringLiteral("unknown step %1").arg(step)));
            }
        }
    }

    // The ids in slots 0 .. count - 1.
    QString order() const {
        QStringList ids;
        for (int i = 0; i < strip.count(); ++i)
            ids.append(QString::number(strip.at(i)->id));
        return ids.join(QLatin1Char(' '));
    }

    Strip strip;

private:
    std::vector<std::unique_ptr<Tab>> m_tabs;
    int m_opened = 0;
};

} // namespace

class TestTabStrip : public QObject {
    Q_OBJECT

private slots:
    void capacityFor_data();
    void capacityFor();
    void sequences_data();
    void sequences();
    void closeReportsMovesInOrder();
    void activatingTheActiveTabChangesNothing();
    void fullStripOfTwenty();
    void capacityIsHeldToTwentySlots();
};

void TestTabStrip::capacityFor_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("capacity");

    QTest::newRow("no strip") << 0 << 0;
    QTest::newRow("negative") << -40 << 0;
    QTest::newRow("narrower than a header") << 99 << 0;
    QTest::newRow("one header") << 100 << 1;
    QTest::newRow("not quite two") << 199 << 1;
    QTest::newRow("800, the example") << 800 << 8;
    QTest::newRow("1999") << 1999 << 19;
    QTest::newRow("2000") << 2000 << 20;
    QTest::newRow("2250 gives 20, not 22") << 2250 << 20;
    QTest::newRow("very wide") << 100000 << 20;
}

void TestTabStrip::capacityFor() {
    QFETCH(int, width);
    QFETCH(int, capacity);
    QCOMPARE(Strip::capacityFor(width), capacity);
}

void TestTabStrip::sequences_data() {
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("order"); // ids in slot order
    QTest::addColumn<int>("active");    // id of the active tab, 0 for none
    QTest::addColumn<int>("plusLeft");

    QTest::newRow("nothing open") << 3 << ""
                                  << "" << 0 << 0;
    QTest::newRow("one tab") << 3 << "o"
                             << "1" << 1 << 100;
    QTest::newRow("three tabs at 0, 100, 200") << 3 << "o o o"
                                               << "1 2 3" << 3 << 300;
    QTest::newRow("fourth on a full strip changes nothing") << 3 << "o o o o"
                                                            << "1 2 3" << 3 << 300;
    QTest::newRow("close the middle one") << 3 << "o o o c1"
                                          << "1 3" << 3 << 200;
    QTest::newRow("then close the moved one") << 3 << "o o o c1 c1"
                                              << "1" << 0 << 100;
    QTest::newRow("close the first") << 3 << "o o o c0"
                                     << "2 3" << 3 << 200;
    QTest::newRow("close the last, the active one") << 3 << "o o o c2"
                                                    << "1 2" << 0 << 200;
    QTest::newRow("close the active, activate another") << 3 << "o o o c2 a0"
                                                        << "1 2" << 1 << 200;
    QTest::newRow("close an inactive tab") << 3 << "o o o a0 c2"
                                           << "1 2" << 1 << 200;
    QTest::newRow("close the only tab") << 3 << "o c0"
                                        << "" << 0 << 0;
    QTest::newRow("open after a close fills the end") << 3 << "o o o c0 o"
                                                      << "2 3 4" << 4 << 300;
    QTest::newRow("a slot beyond the open tabs") << 3 << "o c2"
                                                 << "1" << 1 << 100;
    QTest::newRow("activate the first") << 3 << "o o a0"
                                        << "1 2" << 1 << 200;
    QTest::newRow("close all") << 3 << "o o o x"
                               << "" << 0 << 0;
    QTest::newRow("close all, then open") << 3 << "o o x o"
                                          << "3" << 3 << 100;
    QTest::newRow("capacity 0") << 0 << "o o"
                                << "" << 0 << 0;
    QTest::newRow("capacity 1") << 1 << "o o c0 o"
                                << "3" << 3 << 100;
}

void TestTabStrip::sequences() {
    QFETCH(int, capacity);
    QFETCH(QString, steps);
    QFETCH(QString, order);
    QFETCH(int, active);
    QFETCH(int, plusLeft);

    Player player(capacity);
    player.play(steps);
    const Strip& strip = player.strip;

    QCOMPARE(player.order(), order);
    QCOMPARE(strip.active() ? strip.active()->id : 0, active);
    QCOMPARE(strip.plusLeft(), plusLeft);
    QVERIFY(strip.count() <= strip.capacity());
    for (int i = 0; i < Strip::kSlots; ++i) {
        Tab* tab = strip.at(i);
        if (i >= strip.count()) {
            QVERIFY2(!tab, qPrintable(QStringLiteral("slot %1 should be empty").arg(i)));
            continue;
        }
        QVERIFY(tab);
        QCOMPARE(tab->tag, i);
        QCOMPARE(tab->left, i * 100);
        QCOMPARE(strip.slotOf(tab), i);
    }
    if (strip.active())
        QVERIFY(strip.slotOf(strip.active()) >= 0);
}

void TestTabStrip::closeReportsMovesInOrder() {
    Player player(5);
    player.play(QStringLiteral("o o o o o"));
    Tab* third = player.strip.at(2);
    const Strip::Closed closed = player.strip.close(1);
    QCOMPARE(closed.tab->id, 2);
    QVERIFY(!closed.wasActive);
    QCOMPARE(int(closed.moves.size()), 3);
    QCOMPARE(closed.moves[0].tab, third);
    QCOMPARE(closed.moves[0].from, 2);
    QCOMPARE(closed.moves[0].to, 1);
    QCOMPARE(closed.moves[2].from, 4);
    QCOMPARE(closed.moves[2].to, 3);

    const Strip::Closed last = player.strip.close(3);
    QVERIFY(last.wasActive);
    QVERIFY(last.moves.empty());
    QVERIFY(!player.strip.active());
}

void TestTabStrip::activatingTheActiveTabChangesNothing() {
    Player player(3);
    player.play(QStringLiteral("o o"));
    QVERIFY(!player.strip.activate(player.strip.at(1)));
    QVERIFY(player.strip.activate(player.strip.at(0)));
    QCOMPARE(player.strip.active()->id, 1);
}

void TestTabStrip::fullStripOfTwenty() {
    Player player(20);
    player.play(QString(QStringLiteral("o ")).repeated(25));
    QCOMPARE(player.strip.count(), 20);
    QVERIFY(player.strip.isFull());
    QCOMPARE(player.strip.plusLeft(), 2000);
    QCOMPARE(player.strip.at(19)->id, 20);
    QCOMPARE(player.strip.active()->id, 20);
}

void TestTabStrip::capacityIsHeldToTwentySlots() {
    Strip strip;
    QCOMPARE(strip.capacity(), 0);
    strip.setCapacity(22);
    QCOMPARE(strip.capacity(), 20);
    strip.setCapacity(-1);
    QCOMPARE(strip.capacity(), 0);
}

QTEST_GUILESS_MAIN(TestTabStrip)
#include "TestTabStrip.moc"
