#include "AikenBank.h"

#include <QRegularExpression>

namespace AikenBank {
namespace {

using QuestionBank::Bank;
using QuestionBank::Question;

// The Latin capital an option or answer letter stands for. Teachers type the letters in
// Cyrillic as often as in Latin: the Cyrillic capitals that look like A, B, C and E (and Д for
// D) count as those. 0 for any other character.
char16_t latinLetter(QChar typed) {
    const char16_t c = typed.toUpper().unicode();
    if (c >= u'A' && c <= u'Z')
        return c;
    switch (c) {
    case u'А':
        return u'A';
    case u'В':
        return u'B';
    case u'С':
        return u'C';
    case u'Д':
        return u'D';
    case u'Е':
        return u'E';
    default:
        return 0;
    }
}

// A question as it is being read.
struct Pending {
    Question question;
    QStringList text;
    QString letters; // as typed, one per option
};

void finish(Bank& bank, Pending& pending, const QString& answer) {
    Question& q = pending.question;
    q.text = pending.text.join(QLatin1Char('\n'));
    for (int i = 0; i < pending.letters.size(); ++i)
        if (latinLetter(pending.letters.at(i)) != u'A' + i) {
            QStringList typed;
            for (QChar c : pending.letters)
                typed.append(c);
            bank.skip(q.place, QStringLiteral("буквы вариантов не по порядку A, B, C… (%1)")
                                   .arg(typed.join(QStringLiteral(", "))));
            return;
        }
    const char16_t right = answer.size() == 1 ? latinLetter(answer.at(0)) : 0;
    q.right = right == 0 ? -1 : right - u'A';
    if (q.right < 0 || q.right >= q.options.size()) {
        bank.skip(q.place, QStringLiteral("ответ «%1» не из вариантов").arg(answer));
        return;
    }
    bank.add(q);
}

} // namespace

void read(const QString& text, Bank& bank) {
    static const QRegularExpression answerLine(
        QStringLiteral("^\\s*(?:ANSWER|ОТВЕТ)\\s*:\\s*(.*?)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression optionLine(
        QStringLiteral("^\\s*(\\p{L})(?:\\)\\h*|\\.\\h+)(.*?)\\s*$"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QString noAnswer = QStringLiteral("нет строки ANSWER");

    std::optional<Pending> pending;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const QString place = QStringLiteral("строка %1").arg(i + 1);
        if (line.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch answer = answerLine.match(line);
        if (answer.hasMatch()) {
            if (pending)
                finish(bank, *pending, answer.captured(1));
            else
                bank.skip(place, QStringLiteral("строка ANSWER без вопроса"));
            pending.reset();
            continue;
        }
        const QRegularExpressionMatch option = optionLine.match(line);
        if (pending && option.hasMatch()) {
            pending->letters += option.captured(1).at(0);
            pending->question.options.append(option.captured(2));
            continue;
        }
        if (pending && !pending->question.options.isEmpty()) {
            bank.skip(pending->question.place, noAnswer);
            pending.reset();
        }
        QString text = line.trimmed();
        if (!pending) {
            pending.emplace();
            pending->question.place = place;
            // A word processor's numbering ("12. " or "12) ") is the variant's to give.
            static const QRegularExpression number(QStringLiteral("^\\d+[.)]\\s+"));
            text.remove(number);
        }
        pending->text.append(text);
    }
    if (pending)
        bank.skip(pending->question.place, noAnswer);
}

QString write(const QVector<Question>& questions) {
    QString out;
    for (const Question& q : questions) {
        // A question is one line in this format.
        out += QString(q.text).replace(QLatin1Char('\n'), QLatin1Char(' ')) + QLatin1Char('\n');
        for (int i = 0; i < q.options.size(); ++i)
            out += QChar(char16_t(u'A' + i)) + QStringLiteral(") ") + q.options.at(i) +
                   QLatin1Char('\n');
        out +=
            QStringLiteral("ANSWER: ") + QChar(char16_t(u'A' + q.right)) + QStringLiteral("\n\n");
    }
    return out;
}

} // namespace AikenBank
