// The variant loader: which lines are separators and key lines, the key letters, the question
// boundaries and the answer slots, and the text the student is shown.

#include "Failure.h"
#include "PackedText.h"
#include "Scoring.h"
#include "support/TestHelpers.h"
#include "TestAttempt.h"
#include "TestFormat.h"
#include "TextLines.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

using TestHelpers::bytes;
using TestHelpers::unpacked;

struct Loaded {
    QStringList lines;
    TestAttempt attempt;
};

Loaded load(const QStringList& lines) {
    Loaded loaded{lines, TestAttempt()};
    TestFormat::ReadAndLoadTest(loaded.lines, loaded.attempt);
    return loaded;
}

} // namespace

class TestTestFormat : public QObject {
    Q_OBJECT

private slots:
    void lineKinds_data();
    void lineKinds();
    void textLinesAroundSeparatorsAreNoQuestions_data();
    void textLinesAroundSeparatorsAreNoQuestions();
    void keyLetter_data();
    void keyLetter();
    void cyrillicKeyNeverMatchesLatinAnswer();
    void loneGraveAccentEqualsUnanswered();
    void questionCount_data();
    void questionCount();
    void loadsVariant_data();
    void loadsVariant();
    void surplusKeysAreScoredAsUnansweredQuestions();
    void longLinesSurviveThePackedFile();
};

void TestTestFormat::lineKinds_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("separator");
    QTest::addColumn<bool>("key");

    QTest::newRow("three hyphens") << "---" << true << false;
    QTest::newRow("blank before") << " ---" << false << false;
    QTest::newRow("blank after") << "--- " << false << false;
    QTest::newRow("tab after") << "---\t" << false << false;
    QTest::newRow("four hyphens") << "----" << false << false;
    QTest::newRow("two hyphens") << "--" << false << false;
    QTest::newRow("blank between 1") << "- --" << false << false;
    QTest::newRow("blank between 2") << "-- -" << false << false;
    QTest::newRow("en dashes") << QStringLiteral("–––") << false << false;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("grave and letter") << "`C" << false << true;
    QTest::newRow("`") << "`" << false << true;
    QTest::newRow("grave then separator") << "`---" << false << true;
    QTest::newRow("blank before grave") << " `C" << false << false;
    QTest::newRow("apostrophe") << "'C" << false << false;
}

void TestTestFormat::lineKinds() {
    QFETCH(QString, line);
    QFETCH(bool, separator);
    QFETCH(bool, key);

    QCOMPARE(TestFormat::isSeparator(line), separator);
    QCOMPARE(TestFormat::isKeyLine(line), key);

    // The loader agrees: the line between two real separators is a separator only when it is
    // exactly "---", and gives a key entry only when it is a key line.
    const Loaded loaded = load({QStringLiteral("---"), line, QStringLiteral("---")});
    QCOMPARE(loaded.attempt.QuestStarts.size(), separator ? 3 : 2);
    QCOMPARE(loaded.attempt.AnswerKey.size(), key ? 1 : 0);
}

void TestTestFormat::textLinesAroundSeparatorsAreNoQuestions_data() {
    QTest::addColumn<QString>("lookAlike");
    QTest::newRow("blank before") << " ---";
    QTest::newRow("blank after") << "--- ";
    QTest::newRow("four hyphens") << "----";
    QTest::newRow("blank between") << "- --";
}

void TestTestFormat::textLinesAroundSeparatorsAreNoQuestions() {
    QFETCH(QString, lookAlike);
    // One real question whose text holds a line that only looks like a separator: it stays one
    // question and the look-alike is shown as text.
    const Loaded loaded =
        load({QStringLiteral("---"), QStringLiteral("Вопрос"), lookAlike,
              QStringLiteral("Ещё текст"), QStringLiteral("---"), QStringLiteral("`A")});
    QCOMPARE(loaded.attempt.questionCount(), 1);
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 0),
             (QStringList{QStringLiteral("Вопрос"), lookAlike, QStringLiteral("Ещё текст")}));
}

void TestTestFormat::keyLetter_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("letter");

    QTest::newRow("small c") << "`c" << QByteArray("C");
    QTest::newRow("capital C") << "`C" << QByteArray("C");
    QTest::newRow("small a") << "`a" << QByteArray("A");
    QTest::newRow("small e") << "`e" << QByteArray("E");
    QTest::newRow("rest ignored") << "`b) second option" << QByteArray("B");
    QTest::newRow("`") << "`" << QByteArray(1, '\0');
    QTest::newRow("blank") << "` " << QByteArray(" ");
    QTest::newRow("digit") << "`1" << QByteArray("1");
    QTest::newRow("letter outside A-E") << "`f" << QByteArray("F");
    QTest::newRow("cyrillic small a") << QStringLiteral("`а") << bytes({0xC0});
    QTest::newRow("cyrillic capital A") << QStringLiteral("`А") << bytes({0xC0});
    QTest::newRow("cyrillic small es") << QStringLiteral("`с") << bytes({0xD1});
    QTest::newRow("cyrillic small ya") << QStringLiteral("`я") << bytes({0xDF});
    QTest::newRow("cyrillic small yo") << QStringLiteral("`ё") << bytes({0xA8});
    QTest::newRow("ukrainian small i") << QStringLiteral("`і") << bytes({0xB2});
    QTest::newRow("outside the code page") << QStringLiteral("`ω") << QByteArray("?");
}

void TestTestFormat::keyLetter() {
    QFETCH(QString, line);
    QFETCH(QByteArray, letter);

    QCOMPARE(QByteArray(1, TestFormat::keyLetter(line)), letter);

    const Loaded loaded = load({line});
    QCOMPARE(loaded.attempt.AnswerKey, letter);
    QCOMPARE(loaded.attempt.Answers, QByteArray(1, '\0'));
}

void TestTestFormat::cyrillicKeyNeverMatchesLatinAnswer() {
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("Вопрос"),
                                QStringLiteral("---"), QStringLiteral("`а")});
    const char key = loaded.attempt.AnswerKey.at(0);
    QCOMPARE(static_cast<unsigned char>(key), 0xC0u); // Cyrillic capital А in Windows-1251
    for (const char answer : QByteArray("ABCDE")) {
        const QVector<bool> verdicts =
            Scoring::verdicts(loaded.attempt.AnswerKey, QByteArray(1, answer));
        QCOMPARE(verdicts, QVector<bool>{false});
    }
}

void TestTestFormat::loneGraveAccentEqualsUnanswered() {
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("Вопрос"),
                                QStringLiteral("---"), QStringLiteral("`")});
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray(1, '\0'));
    // Left unanswered, the question counts as right; any answer makes it wrong.
    QCOMPARE(Scoring::verdicts(loaded.attempt.AnswerKey, loaded.attempt.Answers),
             QVector<bool>{true});
    QCOMPARE(Scoring::verdicts(loaded.attempt.AnswerKey, QByteArray("A")), QVector<bool>{false});
}

void TestTestFormat::questionCount_data() {
    QTest::addColumn<int>("separators");
    QTest::addColumn<int>("questions");

    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 0;
    QTest::newRow("two") << 2 << 1;
    QTest::newRow("three") << 3 << 2;
    QTest::newRow("eleven") << 11 << 10;
}

void TestTestFormat::questionCount() {
    QFETCH(int, separators);
    QFETCH(int, questions);

    QStringList lines{QStringLiteral("Заголовок")};
    for (int s = 0; s < separators; ++s)
        lines << QStringLiteral("---") << QStringLiteral("Текст %1").arg(s);
    const Loaded loaded = load(lines);
    QCOMPARE(int(loaded.attempt.QuestStarts.size()), separators);
    QCOMPARE(loaded.attempt.questionCount(), questions);
    QCOMPARE(loaded.attempt.AnswerKey.size(), 0);
}

// Lines joined by '|' in the rows below; "" is no line at all.
static QStringList split(const QString& joined) {
    return joined.isEmpty() ? QStringList() : joined.split(QLatin1Char('|'));
}

void TestTestFormat::loadsVariant_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QStringList>("questions"); // the lines shown for each question

    // Begins with "---", separates every two questions, ends with "---", then one key line
    // per question.
    QTest::newRow("well formed")
        << "---|Первый вопрос|A) да|B) нет|---|Второй вопрос|A) 1|---|Третий вопрос|---|`B|`a|`D"
        << QByteArray("BAD")
        << QStringList{"Первый вопрос|A) да|B) нет", "Второй вопрос|A) 1", "Третий вопрос"};
    QTest::newRow("keys anywhere")
        << "`A|---|Вопрос 1|`b|---|---|Вопрос 3|---|`|`E" << QByteArray("AB\0E", 4)
        << QStringList{"Вопрос 1|b", "", "Вопрос 3"};
    QTest::newRow("keys outside") << "`x-first|---|Вопрос 1|---|Вопрос 2|---|`y-last"
                                  << QByteArray("XY") << QStringList{"Вопрос 1", "Вопрос 2"};
    QTest::newRow("key inside") << "---|2 + 2 = ?|A) 3|`c) 4|---" << QByteArray("C")
                                << QStringList{"2 + 2 = ?|A) 3|c) 4"};
    QTest::newRow("text before") << "Секрет преподавателя|---- |---|Вопрос|---|После конца|`E"
                                 << QByteArray("E") << QStringList{"Вопрос"};
    QTest::newRow("no keys") << "---|Вопрос 1|---|Вопрос 2|---" << QByteArray()
                             << QStringList{"Вопрос 1", "Вопрос 2"};
    QTest::newRow("fewer keys") << "---|1|---|2|---|3|---|`D" << QByteArray("D")
                                << QStringList{"1", "2", "3"};
    QTest::newRow("empty") << "" << QByteArray() << QStringList();
    // A key line loses its grave accent only, keeps its case, and stays at its place.
    QTest::newRow("small c") << "---|Вопрос|`c|---" << QByteArray("C") << QStringList{"Вопрос|c"};
    QTest::newRow("B text") << "---|Вопрос|`B) ответ|---" << QByteArray("B")
                            << QStringList{"Вопрос|B) ответ"};
    QTest::newRow("а") << "---|Вопрос|`а|---" << QByteArray("\xC0") << QStringList{"Вопрос|а"};
    QTest::newRow("`") << "---|Вопрос|`|---" << QByteArray(1, '\0') << QStringList{"Вопрос|"};
    QTest::newRow("``d") << "---|Вопрос|``d|---" << QByteArray("`") << QStringList{"Вопрос|`d"};
    const QString longText(5000, QChar(u'ж')), longKey = "b" + QString(4998, QLatin1Char('x'));
    QTest::newRow("long lines") << "---|" + longText + "|`" + longKey + "|---" << QByteArray("B")
                                << QStringList{longText + "|" + longKey};
}

void TestTestFormat::loadsVariant() {
    QFETCH(QString, text);
    QFETCH(QByteArray, key);
    QFETCH(QStringList, questions);

    const QStringList given = split(text);
    const Loaded loaded = load(given);
    QCOMPARE(loaded.attempt.questionCount(), questions.size());
    QCOMPARE(loaded.attempt.AnswerKey, key);
    QCOMPARE(loaded.attempt.Answers, QByteArray(key.size(), '\0'));
    QCOMPARE(loaded.attempt.CurQuest, 0);
    QCOMPARE(loaded.attempt.RightCount, 0);

    // A question starts at every separator line, in order; the loaded text is the given one
    // with the grave accent of the key lines gone.
    QVector<qint32> starts;
    QStringList stripped;
    for (int i = 0; i < given.size(); ++i) {
        const QString& line = given.at(i);
        if (line == QLatin1String("---"))
            starts << i;
        stripped << (line.startsWith(QLatin1Char('`')) ? line.mid(1) : line);
    }
    QCOMPARE(loaded.attempt.QuestStarts, starts);
    QCOMPARE(loaded.lines, stripped);

    for (int i = 0; i < questions.size(); ++i)
        QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, i),
                 split(questions.at(i)));
    // Past either end of the list a question has no lines.
    for (const int outside : {-1, int(questions.size()), 1000})
        QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, outside), QStringList());
}

void TestTestFormat::surplusKeysAreScoredAsUnansweredQuestions() {
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("Вопрос 1"),
                                QStringLiteral("---"), QStringLiteral("Вопрос 2"),
                                QStringLiteral("---"), QStringLiteral("`A"), QStringLiteral("`B"),
                                QStringLiteral("`C"), QStringLiteral("`"), QStringLiteral("`E")});
    QCOMPARE(loaded.attempt.questionCount(), 2);
    QCOMPARE(loaded.attempt.AnswerKey.size(), 5);
    QCOMPARE(loaded.attempt.Answers.size(), 5);

    QByteArray answers = loaded.attempt.Answers;
    answers[0] = 'A';
    answers[1] = 'B';
    const QVector<bool> verdicts = Scoring::verdicts(loaded.attempt.AnswerKey, answers);
    // One verdict per key entry; the surplus ones are unanswered, so wrong unless the key is 0.
    QCOMPARE(verdicts, (QVector<bool>{true, true, false, true, false}));
    QCOMPARE(Scoring::rightCount(verdicts), 3);
}

void TestTestFormat::longLinesSurviveThePackedFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString longText = QString(5000, QChar(u'ж'));
    const QString path = dir.filePath(QStringLiteral("variant.txt"));
    PackedText::SaveToStream(path, TextLines::fromEditorText(QStringLiteral("---\n") + longText +
                                                             QStringLiteral("\n---\n`A\n")));
    const QString text = TextLines::toEditorText(unpacked(path));
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    const Loaded loaded = load(lines);
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 0), QStringList{longText});
}

QTEST_GUILESS_MAIN(TestTestFormat)
#include "TestTestFormat.moc"
