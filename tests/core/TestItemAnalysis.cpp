// The item analysis against figures worked out by hand.
//
// Six attempts of seven questions (x_ik, score X):
//   a 1101111 6   b 1001110 4   c 1000100 2   d 1011010 4   e 1010011 4   f 1011001 4
// Sorted by X descending, then by file: a b d e f c. N = 6, g = round(1.62) = 2: upper a b,
// lower f c. Both group boundaries fall inside the tie at X = 4 (b|d and e|f), so the file
// order decides them.

#include "ItemAnalysis.h"

#include <QTest>

#include <cmath>

namespace {

const QString kSubject = QStringLiteral("Алгоритмы");
const QString kTest = QStringLiteral("Вариант 1.txt");

ReportRecord record(const QString& name, const QString& answers,
                    ReportRecord::State state = ReportRecord::State::Agrees,
                    const QString& test = kTest) {
    ReportRecord r;
    r.subjectFolder = kSubject;
    r.reportName = name;
    r.subject = kSubject;
    r.test = test;
    for (QChar c : answers)
        r.verdicts.append(c == QLatin1Char('1'));
    r.total = int(r.verdicts.size());
    r.right = int(r.verdicts.count(true));
    r.wrong = *r.total - *r.right;
    r.state = state;
    return r;
}

// The six attempts, listed out of order, with reports that must be left out around them.
QVector<ReportRecord> journal() {
    return {
        record(QStringLiteral("f"), QStringLiteral("1011001")),
        record(QStringLiteral("c"), QStringLiteral("1000100")),
        record(QStringLiteral("other total"), QStringLiteral("10110")),
        record(QStringLiteral("e"), QStringLiteral("1010011")),
        record(QStringLiteral("edited"), QStringLiteral("1111111"), ReportRecord::State::Disagrees),
        record(QStringLiteral("d"), QStringLiteral("1011010")),
        record(QStringLiteral("cut off"), QStringLiteral("1111111"),
               ReportRecord::State::Unreadable),
        record(QStringLiteral("another test"), QStringLiteral("0000000"),
               ReportRecord::State::Agrees, QStringLiteral("Вариант 2.txt")),
        record(QStringLiteral("b"), QStringLiteral("1001110")),
        record(QStringLiteral("a"), QStringLiteral("1101111"))};
}

using Flag = ItemAnalysis::Flag;

} // namespace

Q_DECLARE_METATYPE(ItemAnalysis::Flag)

class TestItemAnalysis : public QObject {
    Q_OBJECT

private:
    ItemAnalysis::Result m_result;

private slots:
    void initTestCase() { m_result = ItemAnalysis::analyse(journal(), kSubject, kTest); }

    void selection() {
        QCOMPARE(m_result.questionCount, 7);
        QCOMPARE(m_result.summary.attempts, 6);
        QCOMPARE(m_result.summary.excluded, 3); // another total, edited, cut off
        QCOMPARE(m_result.groupSize, 2);
        const QStringList order{"a", "b", "d", "e", "f", "c"};
        QStringList expected;
        for (const QString& name : order)
            expected << kSubject + QLatin1Char('/') + name;
        QCOMPARE(m_result.attemptFiles, expected);
    }

    void questions_data() {
        QTest::addColumn<int>("question");
        QTest::addColumn<double>("p");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("r"); // NAN: none
        QTest::addColumn<Flag>("flag");
        QTest::addColumn<QString>("flagText");

        // r by hand, Q7: x = 1 0 0 1 1 0, rest = 5 4 4 3 3 2: N·Σxy − ΣxΣy = 66 − 63 = 3,
        // N·Σx² − (Σx)² = 9, N·Σy² − (Σy)² = 474 − 441 = 33, r = 3 / √297.
        QTest::newRow("all right") << 1 << 1.0 << 1.0 << 1.0 << double(NAN) << Flag::TooEasy
                                   << QStringLiteral("слишком лёгкий");
        QTest::newRow("one right") << 2 << 1.0 / 6 << 0.5 << 0.0 << 0.581318 << Flag::TooHard
                                   << QStringLiteral("слишком трудный");
        QTest::newRow("right in the weak") << 3 << 0.5 << 0.0 << 0.5 << -0.397360 << Flag::CheckKey
                                           << QStringLiteral("проверьте ключ");
        QTest::newRow("good") << 4 << 4.0 / 6 << 1.0 << 0.5 << 0.25 << Flag::None << QString();
        QTest::newRow("negative r, positive D")
            << 5 << 0.5 << 1.0 << 0.5 << -0.397360 << Flag::CheckKey
            << QStringLiteral("проверьте ключ");
        QTest::newRow("discriminates")
            << 6 << 4.0 / 6 << 1.0 << 0.0 << 0.25 << Flag::None << QString();
        QTest::newRow("no spread") << 7 << 0.5 << 0.5 << 0.5 << 3 / std::sqrt(297.0)
                                   << Flag::WeakSpread << QStringLiteral("слабо различает");
    }

    void questions() {
        QFETCH(int, question);
        QFETCH(double, p);
        QFETCH(double, upper);
        QFETCH(double, lower);
        QFETCH(double, r);
        QFETCH(Flag, flag);
        QFETCH(QString, flagText);
        QCOMPARE(m_result.questions.size(), 7);
        const ItemAnalysis::Question& q = m_result.questions.at(question - 1);
        QCOMPARE(q.number, question);
        QVERIFY(std::abs(q.p - p) < 1e-12);
        QVERIFY(std::abs(q.upper - upper) < 1e-12);
        QVERIFY(std::abs(q.lower - lower) < 1e-12);
        QVERIFY(std::abs(q.d - (upper - lower)) < 1e-12);
        QCOMPARE(q.r.has_value(), !std::isnan(r));
        if (q.r)
            QVERIFY2(std::abs(*q.r - r) < 1e-6, qPrintable(QString::number(*q.r)));
        QCOMPARE(q.flag, flag);
        QCOMPARE(ItemAnalysis::flagText(q.flag), flagText);
    }

    void summary() {
        // Percents 600/7, 400/7 four times, 200/7: mean and median 400/7; squares
        // 2·(200/7)² / 5 under the root. σ² of X = (4 + 0 + 0 + 0 + 0 + 4) / 6 = 4/3, and
        // Σ p(1 − p) = 0 + 5/36 + 1/4 + 2/9 + 1/4 + 2/9 + 1/4 = 4/3, so KR-20 = 7/6 · 0 = 0.
        const ItemAnalysis::Summary& s = m_result.summary;
        QVERIFY(std::abs(s.meanPercent - 400.0 / 7) < 1e-9);
        QVERIFY(std::abs(s.medianPercent - 400.0 / 7) < 1e-9);
        QVERIFY(std::abs(s.deviationPercent - std::sqrt(2 * (200.0 / 7) * (200.0 / 7) / 5)) < 1e-9);
        QVERIFY(s.kr20.has_value());
        QVERIFY2(std::abs(*s.kr20) < 1e-9, qPrintable(QString::number(*s.kr20)));
        const std::array<int, 10> bins{0, 0, 1, 0, 0, 4, 0, 0, 1, 0};
        QCOMPARE(m_result.histogram, bins);
    }

    void summaryCases_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("total");
        QTest::addColumn<double>("median");
        QTest::addColumn<double>("kr20"); // NAN: none
        QTest::addColumn<QVector<int>>("bins");

        // 100 % falls into the last bin. X = 2 1 1 0: σ² = 1/2, Σ p(1 − p) = 2 · 1/4, KR-20 = 0;
        // median of 100 50 50 0 is 50.
        QTest::newRow("full marks") << QStringList{"11", "10", "01", "00"} << 2 << 50.0 << 0.0
                                    << QVector<int>{1, 0, 0, 0, 0, 2, 0, 0, 0, 1};
        // X = 2 2 0: σ² = 8/9, Σ p(1 − p) = 2 · 2/9, KR-20 = 2 · (1 − 1/2) = 1.
        QTest::newRow("consistent") << QStringList{"11", "11", "00"} << 2 << 100.0 << 1.0
                                    << QVector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
        QTest::newRow("one question") << QStringList{"1", "0", "1"} << 1 << 100.0 << double(NAN)
                                      << QVector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
        QTest::newRow("no variance") << QStringList{"10", "01"} << 2 << 50.0 << double(NAN)
                                     << QVector<int>{0, 0, 0, 0, 0, 2, 0, 0, 0, 0};
        // Two of three questions and two of four: a tie of totals goes to the larger.
        QTest::newRow("tied totals")
            << QStringList{"110", "100", "1111", "1000"} << 4 << 62.5 << 4.0 / 3 * (1 - 0.75 / 2.25)
            << QVector<int>{0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    }

    void summaryCases() {
        QFETCH(QStringList, answers);
        QFETCH(int, total);
        QFETCH(double, median);
        QFETCH(double, kr20);
        QFETCH(QVector<int>, bins);
        QVector<ReportRecord> rows;
        for (qsizetype i = 0; i < answers.size(); ++i)
            rows << record(QString::number(i), answers.at(i));
        const ItemAnalysis::Result result = ItemAnalysis::analyse(rows, kSubject, kTest);
        QCOMPARE(result.questionCount, total);
        QVERIFY(result.enoughAttempts());
        QVERIFY(std::abs(result.summary.medianPercent - median) < 1e-9);
        QCOMPARE(result.summary.kr20.has_value(), !std::isnan(kr20));
        if (result.summary.kr20)
            QVERIFY2(std::abs(*result.summary.kr20 - kr20) < 1e-9,
                     qPrintable(QString::number(*result.summary.kr20)));
        QCOMPARE(QVector<int>(result.histogram.begin(), result.histogram.end()), bins);
    }

    void groupSize_data() {
        QTest::addColumn<int>("attempts");
        QTest::addColumn<int>("g");
        QTest::newRow("2: at least one") << 2 << 1;
        QTest::newRow("5: 1.35") << 5 << 1;
        QTest::newRow("6: 1.62") << 6 << 2;
        QTest::newRow("50: 13.5 rounds up") << 50 << 14;
        QTest::newRow("150: 40.5 rounds up") << 150 << 41;
        QTest::newRow("100") << 100 << 27;
    }

    void groupSize() {
        QFETCH(int, attempts);
        QFETCH(int, g);
        QVector<ReportRecord> rows;
        for (int i = 0; i < attempts; ++i)
            rows << record(QString::number(i), i % 2 ? QStringLiteral("10") : QStringLiteral("01"));
        QCOMPARE(ItemAnalysis::analyse(rows, kSubject, kTest).groupSize, g);
    }

    void tooFewAttempts() {
        const QVector<ReportRecord> rows{
            record(QStringLiteral("a"), QStringLiteral("101")),
            record(QStringLiteral("b"), QStringLiteral("111"), ReportRecord::State::Disagrees)};
        const ItemAnalysis::Result result = ItemAnalysis::analyse(rows, kSubject, kTest);
        QVERIFY(!result.enoughAttempts());
        QCOMPARE(result.summary.attempts, 1);
        QCOMPARE(result.summary.excluded, 1);
        QVERIFY(result.questions.isEmpty());
        QVERIFY(!ItemAnalysis::notEnoughAttemptsText().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestItemAnalysis)
#include "TestItemAnalysis.moc"
