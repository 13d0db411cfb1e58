// Arbitrary bytes as the text of a test variant, the way the testing window takes it after
// unpacking: split into lines, checked, loaded, then scored for every answer pattern a student
// can give, and written out as the report that the window would save.

#include "EditorStatus.h"
#include "FuzzCheck.h"
#include "PackedText.h"
#include "ReportText.h"
#include "Scoring.h"
#include "TestAttempt.h"
#include "TestFormat.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QBuffer>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

constexpr int kFixedLines = 5; // name, group, subject, variant, date and time
constexpr int kTotalLines = 3; // total, right with percent, wrong

// The lines of an editor text, as the testing window splits them.
QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.isEmpty() || text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

// Every answer pattern worth scoring: nothing answered, everything right, one letter
// everywhere, and one made from the input itself.
QList<QByteArray> answerPatterns(const QByteArray& key, const QByteArray& input) {
    QList<QByteArray> patterns;
    patterns << QByteArray(key.size(), '\0') << key;
    for (char letter = 'A'; letter <= 'E'; ++letter)
        patterns << QByteArray(key.size(), letter);
    QByteArray fromInput(key.size(), '\0');
    for (qsizetype k = 0; k < fromInput.size() && !input.isEmpty(); ++k)
        fromInput[k] = "\0ABCDE"[static_cast<unsigned char>(input.at(k % input.size())) % 6];
    patterns << fromInput;
    return patterns;
}

void checkReport(const TestAttempt& attempt, const QVector<bool>& verdicts, const QLocale& locale,
                 bool packAlso) {
    const QDateTime when(QDate(2014, 3, 5), QTime(9, 7, 41));
    const QStringList report = ReportText::lines(attempt, verdicts, when, locale);
    const int right = Scoring::rightCount(verdicts);
    FUZZ_CHECK(report.size() == kFixedLines + verdicts.size() + kTotalLines);
    FUZZ_CHECK(report.at(report.size() - 3) ==
               QStringLiteral("Всего вопросов: ") + QString::number(verdicts.size()));
    FUZZ_CHECK(report.last() ==
               QStringLiteral("Неправильно: ") + QString::number(verdicts.size() - right));
    const QString percent = ReportText::percentText(right, int(verdicts.size()), locale);
    FUZZ_CHECK(!percent.isEmpty() && !percent.contains(QLatin1Char('e')));

    // The report as the file holds it reads back unchanged. Once per input and only for small
    // reports: the packing itself has a fuzz target of its own.
    if (!packAlso || verdicts.size() > 2000)
        return;
    const QByteArray bytes = TextLines::fromEditorText(report.join(QLatin1Char('\n')) + '\n');
    QBuffer out;
    FUZZ_CHECK(out.open(QIODevice::WriteOnly));
    PackedText::writeStream(out, bytes);
    QBuffer in;
    in.setData(out.data());
    FUZZ_CHECK(in.open(QIODevice::ReadOnly));
    FUZZ_CHECK(PackedText::readStream(in) == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = TextLines::toEditorText(input);
    QStringList lines = linesOf(text);

    // The checker that refuses a start, and the editor's status line built on it.
    const VariantCheck::Result check = VariantCheck::check(lines);
    FUZZ_CHECK(check.questions == qMax(0, check.separators - 1));
    FUZZ_CHECK(check.keys == check.keyLetters.size());
    FUZZ_CHECK(check.canRun() == check.blocking.isEmpty());
    VariantCheck::keyLettersText(check.keyLetters);
    FUZZ_CHECK(!EditorStatus::describe(text).isEmpty());

    TestAttempt attempt;
    attempt.StudentName = QStringLiteral("Иван Петров");
    attempt.GroupName = QStringLiteral("ИС-21");
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    TestFormat::ReadAndLoadTest(lines, attempt);
    FUZZ_CHECK(attempt.AnswerKey == check.keyLetters);
    FUZZ_CHECK(attempt.Answers.size() == attempt.AnswerKey.size());
    FUZZ_CHECK(attempt.questionCount() == check.questions);

    // Every question shows the lines between its two separators; past the last there is none.
    qsizetype shown = 0;
    for (int q = 0; q < attempt.questionCount(); ++q)
        shown += TestFormat::questionLines(lines, attempt, q).size();
    FUZZ_CHECK(shown <= lines.size());
    FUZZ_CHECK(TestFormat::questionLines(lines, attempt, attempt.questionCount()).isEmpty());
    FUZZ_CHECK(TestFormat::questionLines(lines, attempt, -1).isEmpty());

    const QByteArray& key = attempt.AnswerKey;
    static const QList<QLocale> locales{QLocale(QLocale::Russian, QLocale::Russia),
                                        QLocale(QLocale::English, QLocale::UnitedStates),
                                        QLocale::c()};
    const QList<QByteArray> patterns = answerPatterns(key, input);
    for (qsizetype p = 0; p < patterns.size(); ++p) {
        attempt.Answers = patterns.at(p);
        const QVector<bool> verdicts = Scoring::verdicts(key, attempt.Answers);
        FUZZ_CHECK(verdicts.size() == key.size());
        const int right = Scoring::rightCount(verdicts);
        FUZZ_CHECK(right >= 0 && right <= key.size());
        if (p == 1)
            FUZZ_CHECK(right == key.size()); // the key itself is all right
        checkReport(attempt, verdicts, locales.at(p % locales.size()), p == 0);
    }
    return 0;
}
