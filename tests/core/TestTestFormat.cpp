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

// Every line the student can be shown: the lines of all questions.
QStringList shownLines(const Loaded& loaded) {
    QStringList shown;
    for (int q = 0; q < loaded.attempt.questionCount(); ++q)
        shown += TestFormat::questionLines(loaded.lines, loaded.attempt, q);
    return shown;
}

QByteArray bytes(std::initializer_list<unsigned char> values) {
    QByteArray out;
    for (unsigned char v : values)
        out.append(char(v));
    return out;
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
    void keyLineLosesOnlyTheGraveAccent_data();
    void keyLineLosesOnlyTheGraveAccent();
    void cyrillicKeyNeverMatchesLatinAnswer();
    void loneGraveAccentEqualsUnanswered();
    void questionCount_data();
    void questionCount();
    void invariantsAfterLoading();
    void wellFormedVariantShowsNoKey();
    void adjacentSeparatorsMakeAnEmptyQuestion();
    void keyLinesOutsideQuestionsCountButAreNeverShown();
    void keyLineInsideQuestionIsShownWithoutAccent();
    void textBeforeFirstSeparatorIsNeverShown();
    void surplusKeysAreScoredAsUnansweredQuestions();
    void templateWithoutKeysLoads();
    void fewerKeysThanQuestionsLeavesQuestionsWithoutSlot();
    void questionLinesOutsideTheListAreEmpty_data();
    void questionLinesOutsideTheListAreEmpty();
    void longLinesAreKeptWhole();
    void longLinesSurviveThePackedFile();
    void emptyTextLoadsNothing();
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
    QTest::newRow("lone grave") << "`" << false << true;
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
    QTest::newRow("lone grave") << "`" << QByteArray(1, '\0');
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

void TestTestFormat::keyLineLosesOnlyTheGraveAccent_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("loaded");

    QTest::newRow("small c") << "`c"
                             << "c";
    QTest::newRow("capital B with text") << "`B) ответ"
                                         << "B) ответ";
    QTest::newRow("cyrillic small a") << QStringLiteral("`а") << QStringLiteral("а");
    QTest::newRow("lone grave") << "`"
                                << "";
    QTest::newRow("two graves") << "``d"
                                << "`d";
}

void TestTestFormat::keyLineLosesOnlyTheGraveAccent() {
    QFETCH(QString, line);
    QFETCH(QString, loaded);

    const Loaded result =
        load({QStringLiteral("---"), QStringLiteral("Вопрос"), line, QStringLiteral("---")});
    QCOMPARE(result.lines.size(), 4);
    QCOMPARE(result.lines.at(2), loaded); // not upper-cased, at its place
    QCOMPARE(result.lines.at(0), QStringLiteral("---"));
    QCOMPARE(result.lines.at(1), QStringLiteral("Вопрос"));
}

void TestTestFormat::cyrillicKeyNeverMatchesLatinAnswer() {
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("Вопрос"),
                                QStringLiteral("---"), QStringLiteral("`а")});
    const char key = loaded.attempt.AnswerKey.at(0);
    QCOMPARE(static_cast<unsigned char>(key), 0xC0u); // Cyrillic capital А in Windows-1251
    QVERIFY(key != 'A');
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

void TestTestFormat::invariantsAfterLoading() {
    const Loaded loaded =
        load({QStringLiteral("`A"), QStringLiteral("---"), QStringLiteral("Вопрос 1"),
              QStringLiteral("`b"), QStringLiteral("---"), QStringLiteral("---"),
              QStringLiteral("Вопрос 3"), QStringLiteral("---"), QStringLiteral("`"),
              QStringLiteral("`E")});
    QCOMPARE(loaded.attempt.QuestStarts, (QVector<qint32>{1, 4, 5, 7}));
    for (qsizetype i = 1; i < loaded.attempt.QuestStarts.size(); ++i)
        QVERIFY(loaded.attempt.QuestStarts.at(i - 1) < loaded.attempt.QuestStarts.at(i));
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("AB\0E", 4));
    QCOMPARE(loaded.attempt.Answers, QByteArray(4, '\0'));
    QCOMPARE(loaded.attempt.CurQuest, 0);
    QCOMPARE(loaded.attempt.RightCount, 0);
}

void TestTestFormat::wellFormedVariantShowsNoKey() {
    // Begins with "---", separates every two questions, ends with "---", then one key line
    // per question.
    const Loaded loaded = load(
        {QStringLiteral("---"), QStringLiteral("Первый вопрос"), QStringLiteral("A) да"),
         QStringLiteral("B) нет"), QStringLiteral("---"), QStringLiteral("Второй вопрос"),
         QStringLiteral("A) 1"), QStringLiteral("---"), QStringLiteral("Третий вопрос"),
         QStringLiteral("---"), QStringLiteral("`B"), QStringLiteral("`a"), QStringLiteral("`D")});
    QCOMPARE(loaded.attempt.questionCount(), 3);
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("BAD"));
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 0),
             (QStringList{QStringLiteral("Первый вопрос"), QStringLiteral("A) да"),
                          QStringLiteral("B) нет")}));
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 1),
             (QStringList{QStringLiteral("Второй вопрос"), QStringLiteral("A) 1")}));
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 2),
             QStringList{QStringLiteral("Третий вопрос")});
}

void TestTestFormat::adjacentSeparatorsMakeAnEmptyQuestion() {
    const Loaded loaded =
        load({QStringLiteral("---"), QStringLiteral("Первый"), QStringLiteral("---"),
              QStringLiteral("---"), QStringLiteral("Третий"), QStringLiteral("---"),
              QStringLiteral("`A"), QStringLiteral("`B"), QStringLiteral("`C")});
    QCOMPARE(loaded.attempt.questionCount(), 3);
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 0),
             QStringList{QStringLiteral("Первый")});
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 1), QStringList());
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, 2),
             QStringList{QStringLiteral("Третий")});
}

void TestTestFormat::keyLinesOutsideQuestionsCountButAreNeverShown() {
    const Loaded loaded =
        load({QStringLiteral("`x-first"), QStringLiteral("---"), QStringLiteral("Вопрос 1"),
              QStringLiteral("---"), QStringLiteral("Вопрос 2"), QStringLiteral("---"),
              QStringLiteral("`y-last")});
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("XY"));
    QCOMPARE(loaded.attempt.Answers.size(), 2);
    const QStringList shown = shownLines(loaded);
    QCOMPARE(shown, (QStringList{QStringLiteral("Вопрос 1"), QStringLiteral("Вопрос 2")}));
    for (const QString& line : shown) {
        QVERIFY(!line.contains(QLatin1String("first")));
        QVERIFY(!line.contains(QLatin1String("last")));
    }
    // The accents are gone from the loaded text all the same.
    QCOMPARE(loaded.lines.first(), QStringLiteral("x-first"));
    QCOMPARE(loaded.lines.last(), QStringLiteral("y-last"));
}

void TestTestFormat::keyLineInsideQuestionIsShownWithoutAccent() {
    const Loaded loaded =
        load({QStringLiteral("---"), QStringLiteral("2 + 2 = ?"), QStringLiteral("A) 3"),
              QStringLiteral("`c) 4"), QStringLiteral("---")});
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("C"));
    QCOMPARE(
        TestFormat::questionLines(loaded.lines, loaded.attempt, 0),
        (QStringList{QStringLiteral("2 + 2 = ?"), QStringLiteral("A) 3"), QStringLiteral("c) 4")}));
}

void TestTestFormat::textBeforeFirstSeparatorIsNeverShown() {
    const Loaded loaded =
        load({QStringLiteral("Секрет преподавателя"), QStringLiteral("---- "),
              QStringLiteral("---"), QStringLiteral("Вопрос"), QStringLiteral("---"),
              QStringLiteral("После конца"), QStringLiteral("`E")});
    QCOMPARE(shownLines(loaded), QStringList{QStringLiteral("Вопрос")});
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

void TestTestFormat::templateWithoutKeysLoads() {
    const Loaded loaded =
        load({QStringLiteral("---"), QStringLiteral("Вопрос 1"), QStringLiteral("---"),
              QStringLiteral("Вопрос 2"), QStringLiteral("---")});
    QCOMPARE(loaded.attempt.questionCount(), 2);
    QVERIFY(loaded.attempt.AnswerKey.isEmpty());
    QVERIFY(loaded.attempt.Answers.isEmpty());
    QCOMPARE(Scoring::verdicts(loaded.attempt.AnswerKey, loaded.attempt.Answers).size(), 0);
}

void TestTestFormat::fewerKeysThanQuestionsLeavesQuestionsWithoutSlot() {
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("1"), QStringLiteral("---"),
                                QStringLiteral("2"), QStringLiteral("---"), QStringLiteral("3"),
                                QStringLiteral("---"), QStringLiteral("`D")});
    QCOMPARE(loaded.attempt.questionCount(), 3);
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("D"));
    QCOMPARE(loaded.attempt.Answers.size(), 1);
}

void TestTestFormat::questionLinesOutsideTheListAreEmpty_data() {
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("one past the last") << 2;
    QTest::newRow("far beyond") << 1000;
}

void TestTestFormat::questionLinesOutsideTheListAreEmpty() {
    QFETCH(int, index);
    const Loaded loaded = load({QStringLiteral("---"), QStringLiteral("1"), QStringLiteral("---"),
                                QStringLiteral("2"), QStringLiteral("---")});
    QCOMPARE(TestFormat::questionLines(loaded.lines, loaded.attempt, index), QStringList());
}

void TestTestFormat::longLinesAreKeptWhole() {
    const QString longText = QString(5000, QChar(u'ж'));
    const QString longKey = QStringLiteral("`b") + QString(4998, QLatin1Char('x'));
    QCOMPARE(longKey.size(), 5000);
    const Loaded loaded = load({QStringLiteral("---"), longText, longKey, QStringLiteral("---")});
    const QStringList shown = TestFormat::questionLines(loaded.lines, loaded.attempt, 0);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).size(), 5000);
    QCOMPARE(shown.at(0), longText);
    QCOMPARE(shown.at(1).size(), 4999); // only the grave accent is gone
    QCOMPARE(shown.at(1), longKey.mid(1));
    QCOMPARE(loaded.attempt.AnswerKey, QByteArray("B"));
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

void TestTestFormat::emptyTextLoadsNothing() {
    const Loaded loaded = load({});
    QVERIFY(loaded.attempt.QuestStarts.isEmpty());
    QVERIFY(loaded.attempt.AnswerKey.isEmpty());
    QVERIFY(loaded.attempt.Answers.isEmpty());
    QCOMPARE(loaded.attempt.questionCount(), 0);
}

QTEST_GUILESS_MAIN(TestTestFormat)
#include "TestTestFormat.moc"
