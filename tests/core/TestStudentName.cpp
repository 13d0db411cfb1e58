// Which student names can become part of a report's file name.

#include "StudentName.h"

#include <QTest>

class TestStudentName : public QObject {
    Q_OBJECT

private slots:
    void refused_data();
    void refused();
    void accepted_data();
    void accepted();
    void groupRefused_data();
    void groupRefused();
};

void TestStudentName::refused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // a piece of the notice

    const QString characters = QStringLiteral("символы");
    QTest::newRow("slash") << "/" << characters;
    QTest::newRow("backslash") << "\\" << characters;
    QTest::newRow("colon") << ":" << characters;
    QTest::newRow("asterisk") << "*" << characters;
    QTest::newRow("question mark") << "?" << characters;
    QTest::newRow("quotation mark") << "\"" << characters;
    QTest::newRow("less than") << "<" << characters;
    QTest::newRow("greater than") << ">" << characters;
    QTest::newRow("vertical bar") << "|" << characters;
    QTest::newRow("slash inside") << QStringLiteral("Иван/Петров") << characters;
    QTest::newRow("backslash inside") << QStringLiteral("Иван\\Петров") << characters;
    QTest::newRow("tab") << "\t" << QStringLiteral("управляющие");
    QTest::newRow("tab inside") << QStringLiteral("Иван\tПетров") << QStringLiteral("управляющие");
    QTest::newRow("line feed") << QStringLiteral("Иван\n") << QStringLiteral("управляющие");
    QTest::newRow("escape") << QStringLiteral("\x1B") << QStringLiteral("управляющие");
    QTest::newRow("delete") << QStringLiteral("\x7F") << QStringLiteral("управляющие");
    QTest::newRow("dot") << "." << QStringLiteral("точек");
    QTest::newRow("two dots") << ".." << QStringLiteral("точек");
    QTest::newRow("300 bytes") << QString(300, QLatin1Char('x')) << QStringLiteral("длинное");
    QTest::newRow("126 Cyrillic letters") << QString(126, QChar(u'ж')) << QStringLiteral("длинное");
    QTest::newRow("251 bytes") << QString(251, QLatin1Char('x')) << QStringLiteral("длинное");
    QTest::newRow("leading dot") << QStringLiteral(".Иван") << QStringLiteral("точки");
    QTest::newRow("three dots") << QStringLiteral("...") << QStringLiteral("точки");
    QTest::newRow("outside the code page")
        << QStringLiteral("Jürgen Łukasz")
        << QStringLiteral("символы, которые нельзя сохранить в отчёте: üŁ");
    QTest::newRow("emoji") << QStringLiteral("Иван 😀") << QStringLiteral(": 😀.");
}

void TestStudentName::refused() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString problem = StudentName::problem(name);
    QVERIFY2(!problem.isEmpty(), qPrintable(name));
    QVERIFY2(problem.contains(reason), qPrintable(problem));
}

void TestStudentName::accepted_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("first and last name") << QStringLiteral("Иван Петров");
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("apostrophe") << QStringLiteral("О'Нил");
    QTest::newRow("hyphen") << QStringLiteral("Анна-Мария Сидорова");
    QTest::newRow("dot inside") << QStringLiteral("И. Петров");
    QTest::newRow("parentheses") << QStringLiteral("Иван (староста)");
    QTest::newRow("latin") << "John Smith";
    QTest::newRow("250 bytes") << QString(250, QLatin1Char('x'));
    QTest::newRow("125 Cyrillic letters") << QString(125, QChar(u'ж'));
}

void TestStudentName::accepted() {
    QFETCH(QString, name);
    QCOMPARE(StudentName::problem(name), QString());
}

void TestStudentName::groupRefused_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("reason");
    QTest::newRow("leading dot") << QStringLiteral(".ИВТ")
                                 << QStringLiteral("Группа не может начинаться с точки");
    QTest::newRow("outside the code page") << QStringLiteral("ИВТ-Σ") << QStringLiteral(": Σ.");
    QTest::newRow("plain") << QStringLiteral("ИВТ-21") << QString();
    QTest::newRow("dot inside") << QStringLiteral("ИВТ.21") << QString();
}

void TestStudentName::groupRefused() {
    QFETCH(QString, group);
    QFETCH(QString, reason);
    const QString problem = StudentName::groupProblem(group);
    if (reason.isEmpty())
        QCOMPARE(problem, QString());
    else
        QVERIFY2(problem.contains(reason), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestStudentName)
#include "TestStudentName.moc"
