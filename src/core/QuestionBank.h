#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// Question banks of the learning-management systems a teacher comes from (Aiken, GIFT and
// Moodle XML) and the single-answer questions of a test variant they have in common. A bank is
// read into questions; what does not fit a variant (another type, several right answers, too
// many or too few options, characters Windows-1251 cannot hold) is listed with its place in the
// bank and the reason, never changed to fit.
namespace QuestionBank {

enum class Format { Aiken, Gift, MoodleXml };

// The most options a question may have: the answer buttons A to E.
constexpr int kMaxOptions = 5;

struct Question {
    QString place;       // where the bank holds it: "строка 12", "вопрос «Имя»"
    QString text;        // lines separated by "\n"
    QStringList options; // one line each, in the order of the letters A, B, ...
    int right = -1;      // index of the right option

    bool operator==(const Question& other) const {
        return text == other.text && options == other.options && right == other.right;
    }
};

struct Skipped {
    QString place;
    QString reason;
};

struct Bank {
    QVector<Question> questions; // those that fit, in bank order
    QVector<Skipped> skipped;    // those left out, in bank order

    int total() const { return int(questions.size() + skipped.size()); }
    // Keeps `question` when it fits a variant, otherwise lists it with the reason.
    void add(Question question);
    void skip(const QString& place, const QString& reason);
};

// Why `question` does not fit a variant; empty when it does.
QString unfit(const Question& question);

// A bank file's bytes as text: UTF-16 after its byte-order mark, UTF-8 with or without one when
// they are valid UTF-8, otherwise Windows-1251; every CR LF, lone CR and lone LF becomes "\n".
// Damaged UTF-16 throws a Failure.
QString decode(const QByteArray& bytes);

// The format of a bank: by its content where that is unmistakable (an XML document, "ANSWER:"
// lines, GIFT's braces), otherwise by the extension of `fileName`.
std::optional<Format> detect(const QString& fileName, const QString& text);

// "gift", "moodle-xml", "aiken".
std::optional<Format> formatNamed(const QString& name);
QString formatName(Format format);

// Reads the bank `bytes` from the file `fileName`. An empty bank, one whose format is not
// recognised, or one that holds no question at all throws a Failure.
Bank read(const QString& fileName, const QByteArray& bytes);

// The variant of `questions` as an editor text: "---", then for question k "k) " and its text,
// its options "A) " ... with a grave accent in front of the right one, "---" after each.
QString variantText(const QVector<Question>& questions);

// The questions of a variant's lines, for export: question k has the text lines of its range
// (its number "k) " taken off the first), the options "A)" ... "E)" and the k-th key. A question
// without options, key or right option is listed as skipped.
Bank fromVariant(const QStringList& lines);

// The questions of `bank` that `format` can hold; the others are listed as skipped, with why.
Bank exportable(Format format, const Bank& bank);

// The bank's questions written in `format`.
QString write(Format format, const QVector<Question>& questions);

// HTML reduced to plain text: tags gone, entities decoded, blanks collapsed, paragraphs and
// breaks as lines.
QString plainFromHtml(const QString& html);

// Does the HTML show a picture? Reduced to plain text it would lose it, so such a question is
// left out instead.
bool hasPicture(const QString& html);

// One line for the teacher: "Импортировано вопросов: 38 из 40; пропущено: 2 — строка 5: ...".
QString importSummary(const Bank& bank);
QString exportSummary(const Bank& bank, Format format);
// The skipped questions, one line each: "place: reason".
QStringList skippedLines(const Bank& bank);

} // namespace QuestionBank
