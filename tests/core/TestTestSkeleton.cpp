// The test skeleton of "Создать тест": its lines for a few counts, and the count that a typed
// field text stands for.

#include "TestSkeleton.h"
#include "TextLines.h"

#include <QTest>

namespace {

QStringList question(int number) {
    return {QString::number(number) + QLatin1Char(')'),
            QStringLiteral("A)"),
            QStringLiteral("B)"),
            QStringLiteral("C)"),
            QStringLiteral("D)"),
            QStringLiteral("E)"),
            QStringLiteral("---")};
}

} // namespace

class TestTestSkeleton : public QObject {
    Q_OBJECT

private slots:
    void exactLines_data();
    void exactLines();
    void everyQuestion_data();
    void everyQuestion();
    void countOutsideRangeIsKeptWithin_data();
    void countOutsideRangeIsKeptWithin();
    void questionCount_data();
    void questionCount();
    void bounds();
};

void TestTestSkeleton::exactLines_data() {
    QTest::addColumn<int>("questions");
    QTest::addColumn<QStringList>("lines");

    QStringList one{QStringLiteral("---")};
    one += question(1);
    QStringList two = one + question(2);
    QTest::newRow("N = 1, eight lines") << 1 << one;
    QTest::newRow("N = 2, fifteen lines") << 2 << two;
}

void TestTestSkeleton::exactLines() {
    QFETCH(int, questions);
    QFETCH(QStringList, lines);

    const QString text = TestSkeleton::text(questions);
    QVERIFY(text.endsWith(QStringLiteral("---\n")));
    QCOMPARE(TextLines::splitLines(text), lines);
    QCOMPARE(text, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestTestSkeleton::everyQuestion_data() {
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("lineCount");

    QTest::newRow("1") << 1 << 8;
    QTest::newRow("30, the field's start value") << 30 << 211;
    QTest::newRow("200, 1401 lines") << 200 << 1401;
}

void TestTestSkeleton::everyQuestion() {
    QFETCH(int, questions);
    QFETCH(int, lineCount);

    const QString text = TestSkeleton::text(questions);
    QVERIFY(text.endsWith(QLatin1Char('\n')));
    QVERIFY(!text.endsWith(QStringLiteral("\n\n")));
    const QStringList lines = TextLines::splitLines(text);
    QCOMPARE(lines.size(), lineCount);
    QCOMPARE(lines.first(), QStringLiteral("---"));
    for (int i = 1; i <= questions; ++i)
        QCOMPARE(lines.mid(1 + 7 * (i - 1), 7), question(i));
    QCOMPARE(lines.mid(lineCount - 7), question(questions));
}

void TestTestSkeleton::countOutsideRangeIsKeptWithin_data() {
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("lineCount");

    QTest::newRow("0 counts as 1") << 0 << 8;
    QTest::newRow("-3 counts as 1") << -3 << 8;
    QTest::newRow("201 counts as 200") << 201 << 1401;
    QTest::newRow("500 counts as 200") << 500 << 1401;
}

void TestTestSkeleton::countOutsideRangeIsKeptWithin() {
    QFETCH(int, asked);
    QFETCH(int, lineCount);
    QCOMPARE(TextLines::splitLines(TestSkeleton::text(asked)).size(), lineCount);
}

void TestTestSkeleton::questionCount_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("count");

    QTest::newRow("30") << "30" << 30;
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("200") << "200" << 200;
    QTest::newRow("201") << "201" << 200;
    QTest::newRow("500") << "500" << 200;
    QTest::newRow("0") << "0" << 1;
    QTest::newRow("-5") << "-5" << 1;
    QTest::newRow("+7") << "+7" << 7;
    QTest::newRow("blanks around") << " 12 " << 12;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("letters") << "abc" << 1;
    QTest::newRow("digits then letters") << "12a" << 1;
    QTest::newRow("decimal") << "2.5" << 1;
    QTest::newRow("Cyrillic") << "десять" << 1;
    QTest::newRow("sign alone") << "-" << 1;
    QTest::newRow("too long for any integer") << "123456789012345678901234567890" << 200;
    QTest::newRow("negative, too long") << "-123456789012345678901234567890" << 1;
}

void TestTestSkeleton::questionCount() {
    QFETCH(QString, typed);
    QFETCH(int, count);
    QCOMPARE(TestSkeleton::questionCount(typed), count);
}

void TestTestSkeleton::bounds() {
    QCOMPARE(TestSkeleton::kMinQuestions, 1);
    QCOMPARE(TestSkeleton::kMaxQuestions, 200);
    QCOMPARE(TestSkeleton::kStartQuestions, 30);
}

QTEST_APPLESS_MAIN(TestTestSkeleton)
#include "TestTestSkeleton.moc"
