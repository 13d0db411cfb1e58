// The status line under the editor: counts and the first problem, as the variant checker of
// the testing window and of normakurs-text sees the text.

#include "EditorStatus.h"
#include "TestSkeleton.h"
#include "VariantCheck.h"

#include <QTest>

class TestEditorStatus : public QObject {
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void sameProblemAsTheChecker_data();
    void sameProblemAsTheChecker();
};

void TestEditorStatus::describe_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("begins");  // the counts
    QTest::addColumn<QString>("problem"); // a piece of the problem's text; empty: none

    QTest::newRow("empty") << ""
                           << "Текст пуст."
                           << "";
    QTest::newRow("fresh skeleton, no keys")
        << TestSkeleton::text(3) << "Вопросов: 3, строк с ключом: 0. "
        << "Не у всех вопросов есть ключ";
    QTest::newRow("complete test") << "---\n1) 2+2?\nA) 3\n`B) 4\n---\n2) 3+3?\n`A) 6\nB) 5\n---\n"
                                   << "Вопросов: 2, строк с ключом: 2. "
                                   << "";
    QTest::newRow("complete, no final break") << "---\n1)\n`C)\n---"
                                              << "Вопросов: 1, строк с ключом: 1. "
                                              << "";
    QTest::newRow("second question without key") << "---\n1)\n`A)\n---\n2)\nB)\n---\n"
                                                 << "Вопросов: 2, строк с ключом: 1. "
                                                 << "Первый вопрос без ключа — № 2";
    QTest::newRow("key letter outside A-E") << "---\n1)\n`F)\n---\n"
                                            << "Вопросов: 1, строк с ключом: 1. "
                                            << "не буква от A до E";
    QTest::newRow("Cyrillic look-alike") << "---\n1)\n`С)\n---\n"
                                         << "Вопросов: 1, строк с ключом: 1. "
                                         << "русская";
    QTest::newRow("small Latin letter is fine") << "---\n1)\n`c)\n---\n"
                                                << "Вопросов: 1, строк с ключом: 1. "
                                                << "";
    QTest::newRow("no separators, a page of material") << "<html>\n<body>Текст</body>\n</html>\n"
                                                       << "Вопросов: 0, строк с ключом: 0. "
                                                       << "Нет ни одного вопроса";
    QTest::newRow("more keys than questions") << "---\n1)\n---\n`A\n`B\n"
                                              << "Вопросов: 1, строк с ключом: 2. "
                                              << "больше";
}

void TestEditorStatus::describe() {
    QFETCH(QString, text);
    QFETCH(QString, begins);
    QFETCH(QString, problem);

    const QString status = EditorStatus::describe(text);
    QVERIFY2(status.startsWith(begins), qPrintable(status));
    if (problem.isEmpty() && !text.isEmpty())
        QCOMPARE(status, begins + QStringLiteral("Ошибок в тесте не найдено."));
    else
        QVERIFY2(status.contains(problem), qPrintable(status));
}

void TestEditorStatus::sameProblemAsTheChecker_data() {
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("no keys") << QStringList{"---", "1)", "---"};
    QTest::newRow("look-alike") << QStringList{"---", "1)", "`А)", "---"};
    QTest::newRow("one separator") << QStringList{"---", "1)", "`A"};
    QTest::newRow("lone accent") << QStringList{"---", "1)", "`", "---"};
}

void TestEditorStatus::sameProblemAsTheChecker() {
    QFETCH(QStringList, lines);
    const QString status = EditorStatus::describe(lines.join(QLatin1Char('\n')));
    const QString problem = VariantCheck::check(lines).firstProblem();
    QVERIFY(!problem.isEmpty());
    QVERIFY2(status.endsWith(problem), qPrintable(status));
}

QTEST_APPLESS_MAIN(TestEditorStatus)
#include "TestEditorStatus.moc"
