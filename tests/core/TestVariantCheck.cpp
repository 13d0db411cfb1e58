// The variant checker that the testing window, the editor and the check command share: the
// counts it reports, which problems stop a test from running and which only need fixing.

#include "TextLines.h"
#include "VariantCheck.h"

#include <QTest>

namespace {} // namespace

class TestVariantCheck : public QObject {
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void keysBeforeAndAfterQuestionsCount();
    void firstMissingKeyIsNamed();
    void lookAlikeNamesTheLatinLetter_data();
    void lookAlikeNamesTheLatinLetter();
    void blockingProblemComesFirst();
    void keyLettersText_data();
    void keyLettersText();
};

void TestVariantCheck::check_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("separators");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("blocking");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("problem"); // a piece of the first problem; empty when none

    QTest::newRow("well-formed") << "---\nВопрос 1\n---\nВопрос 2\n---\n`A\n`e\n"
                                 << 3 << 2 << 2 << 0 << 0 << "";
    QTest::newRow("keys inside questions") << "---\nВопрос\n`B) да\n---\n"
                                           << 2 << 1 << 1 << 0 << 0 << "";
    QTest::newRow("empty text") << "" << 0 << 0 << 0 << 1 << 0 << QStringLiteral("«---»");
    QTest::newRow("no separator") << "Вопрос\n`A\n"
                                  << 0 << 0 << 1 << 1 << 0 << QStringLiteral("в тексте 0");
    QTest::newRow("one separator") << "---\nВопрос\n`A\n"
                                   << 1 << 0 << 1 << 1 << 0 << QStringLiteral("в тексте 1");
    QTest::newRow("separator look-alikes")
        << " ---\n----\n- --\n--- \n`A\n"
        << 0 << 0 << 1 << 1 << 0 << QStringLiteral("нужно не меньше двух");
    QTest::newRow("missing key") << "---\n1\n---\n2\n---\n`A\n"
                                 << 3 << 2 << 1 << 1 << 0
                                 << QStringLiteral("Не у всех вопросов есть ключ");
    QTest::newRow("no key at all")
        << "---\n1\n---\n"
        << 2 << 1 << 0 << 1 << 0 << QStringLiteral("строк с ключом (начинаются с «`») 0");
    QTest::newRow("surplus key") << "---\n1\n---\n`A\n`B\n"
                                 << 2 << 1 << 2 << 0 << 1 << QStringLiteral("лишние ключи");
    QTest::newRow("cyrillic A") << QStringLiteral("---\n1\n---\n`А\n") << 2 << 1 << 1 << 0 << 1
                                << QStringLiteral("русская");
    QTest::newRow("cyrillic small es") << QStringLiteral("---\n1\n---\n`с\n") << 2 << 1 << 1 << 0
                                       << 1 << QStringLiteral("латинская «C»");
    QTest::newRow("letter F") << "---\n1\n---\n`F\n"
                              << 2 << 1 << 1 << 0 << 1 << QStringLiteral("не буква от A до E");
    QTest::newRow("lone grave") << "---\n1\n---\n`\n"
                                << 2 << 1 << 1 << 0 << 1
                                << QStringLiteral("«`» — не буква от A до E");
    QTest::newRow("digit") << "---\n1\n---\n`1\n" << 2 << 1 << 1 << 0 << 1 << QStringLiteral("«1»");
}

void TestVariantCheck::check() {
    QFETCH(QString, text);
    QFETCH(int, separators);
    QFETCH(int, questions);
    QFETCH(int, keys);
    QFETCH(int, blocking);
    QFETCH(int, warnings);
    QFETCH(QString, problem);

    const VariantCheck::Result result = VariantCheck::check(TextLines::splitLines(text));
    QCOMPARE(result.separators, separators);
    QCOMPARE(result.questions, questions);
    QCOMPARE(result.keys, keys);
    QCOMPARE(int(result.keyLetters.size()), keys);
    QCOMPARE(int(result.blocking.size()), blocking);
    QCOMPARE(int(result.warnings.size()), warnings);
    QCOMPARE(result.canRun(), blocking == 0);
    QCOMPARE(result.wellFormed(), blocking == 0 && warnings == 0);
    if (problem.isEmpty()) {
        QCOMPARE(result.firstProblem(), QString());
    } else {
        QVERIFY2(result.firstProblem().contains(problem), qPrintable(result.firstProblem()));
    }
}

void TestVariantCheck::keysBeforeAndAfterQuestionsCount() {
    const VariantCheck::Result result =
        VariantCheck::check(TextLines::splitLines(QStringLiteral("`C\n---\n1\n---\n2\n---\n`d\n")));
    QCOMPARE(result.keys, 2);
    QCOMPARE(result.keyLetters, QByteArray("CD"));
    QVERIFY(result.wellFormed());
}

void TestVariantCheck::firstMissingKeyIsNamed() {
    const VariantCheck::Result result = VariantCheck::check(
        TextLines::splitLines(QStringLiteral("---\n1\n`A\n---\n2\n---\n3\n---\n4\n---\n")));
    QCOMPARE(result.questions, 4);
    QCOMPARE(result.keys, 1);
    QVERIFY(!result.canRun());
    QVERIFY2(result.blocking.constFirst().contains(QStringLiteral("вопросов 4")),
             qPrintable(result.blocking.constFirst()));
    QVERIFY2(result.blocking.constFirst().contains(QStringLiteral("№ 2")),
             qPrintable(result.blocking.constFirst()));
}

void TestVariantCheck::lookAlikeNamesTheLatinLetter_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("latin");
    QTest::newRow("А") << QStringLiteral("А") << "A";
    QTest::newRow("а") << QStringLiteral("а") << "A";
    QTest::newRow("В") << QStringLiteral("В") << "B";
    QTest::newRow("С") << QStringLiteral("С") << "C";
    QTest::newRow("Е") << QStringLiteral("Е") << "E";
    QTest::newRow("е") << QStringLiteral("е") << "E";
}

void TestVariantCheck::lookAlikeNamesTheLatinLetter() {
    QFETCH(QString, key);
    QFETCH(QString, latin);
    const VariantCheck::Result result = VariantCheck::check(TextLines::splitLines(
        QStringLiteral("---\nВопрос\n---\nВопрос\n---\n`A\n`") + key + QLatin1Char('\n')));
    QVERIFY(result.canRun());
    QVERIFY(!result.wellFormed());
    QCOMPARE(result.warnings.size(), 1);
    const QString warning = result.warnings.constFirst();
    QVERIFY2(warning.contains(QStringLiteral("№ 2")), qPrintable(warning));
    QVERIFY2(warning.contains(QStringLiteral("строка 7")), qPrintable(warning));
    QVERIFY2(warning.contains(QStringLiteral("латинская «%1»").arg(latin)), qPrintable(warning));
}

void TestVariantCheck::blockingProblemComesFirst() {
    // Too few separators and a Cyrillic key: the blocking problem is the one named first.
    const VariantCheck::Result result =
        VariantCheck::check(TextLines::splitLines(QStringLiteral("---\nВопрос\n`А\n")));
    QCOMPARE(result.blocking.size(), 1);
    QCOMPARE(result.warnings.size(), 1);
    QCOMPARE(result.firstProblem(), result.blocking.constFirst());
}

void TestVariantCheck::keyLettersText_data() {
    QTest::addColumn<QByteArray>("letters");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QByteArray() << "";
    QTest::newRow("latin") << QByteArray("BCA") << "B C A";
    QTest::newRow("lone grave") << QByteArray("A\0C", 3) << "A ` C";
    QTest::newRow("cyrillic") << QByteArray("\xC0") << QStringLiteral("А");
}

void TestVariantCheck::keyLettersText() {
    QFETCH(QByteArray, letters);
    QFETCH(QString, text);
    QCOMPARE(VariantCheck::keyLettersText(letters), text);
}

QTEST_GUILESS_MAIN(TestVariantCheck)
#include "TestVariantCheck.moc"
