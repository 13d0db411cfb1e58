#include "GiftBank.h"

#include <QRegularExpression>

namespace GiftBank {
namespace {

using QuestionBank::Bank;
using QuestionBank::Question;

// A character of a question with whether a backslash escaped it: only unescaped ones structure
// the question.
struct Char {
    QChar c;
    bool escaped = false;
    bool is(char16_t wanted) const { return !escaped && c == wanted; }
};
using Chars = QVector<Char>;

Chars scan(QStringView text) {
    Chars out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\\' && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            out.append(Char{next == u'n' ? QChar(u'\n') : next, true});
        } else {
            out.append(Char{text.at(i), false});
        }
    }
    return out;
}

QString textOf(const Chars& chars, qsizetype from, qsizetype to) {
    QString out;
    for (qsizetype i = from; i < to; ++i)
        out += chars.at(i).c;
    return out;
}

qsizetype find(const Chars& chars, char16_t wanted, qsizetype from) {
    for (qsizetype i = from; i < chars.size(); ++i)
        if (chars.at(i).is(wanted))
            return i;
    return -1;
}

// A text with its format marker taken off ("[html]" texts reduced to plain text) and trimmed.
QString plain(QString text, bool html = false) {
    static const QRegularExpression marker(
        QStringLiteral("^\\s*\\[(html|moodle|markdown|plain)\\]"));
    const QRegularExpressionMatch m = marker.match(text);
    if (m.hasMatch()) {
        html = m.captured(1) == QLatin1String("html");
        text.remove(0, m.capturedLength());
    }
    return html ? QuestionBank::plainFromHtml(text) : text.trimmed();
}

// Reads one question of the bank, `chars`, which begins at `place`.
void readQuestion(const Chars& chars, const QString& place, Bank& bank) {
    qsizetype from = 0;
    Question q;
    q.place = place;
    // "::title::" names the question.
    while (from < chars.size() && chars.at(from).c.isSpace())
        ++from;
    if (from + 1 < chars.size() && chars.at(from).is(u':') && chars.at(from + 1).is(u':')) {
        qsizetype end = from + 2;
        while (end + 1 < chars.size() && !(chars.at(end).is(u':') && chars.at(end + 1).is(u':')))
            ++end;
        if (end + 1 >= chars.size()) {
            bank.skip(place, QStringLiteral("название без закрывающего «::»"));
            return;
        }
        const QString title = textOf(chars, from + 2, end).trimmed();
        if (!title.isEmpty())
            q.place = QStringLiteral("вопрос «%1»").arg(title);
        from = end + 2;
    }
    const qsizetype open = find(chars, u'{', from);
    const qsizetype close = open < 0 ? -1 : find(chars, u'}', open + 1);
    if (open < 0 || close < 0) {
        bank.skip(q.place, open < 0 ? QStringLiteral("нет ответов в фигурных скобках")
                                    : QStringLiteral("нет закрывающей «}»"));
        return;
    }
    const QString before = textOf(chars, from, open);
    const QString after = textOf(chars, close + 1, chars.size()).trimmed();
    const bool html = before.trimmed().startsWith(QLatin1String("[html]"));
    if (html && QuestionBank::hasPicture(textOf(chars, from, chars.size()))) {
        bank.skip(q.place, QStringLiteral("рисунок в тексте: в тесте его не показать"));
        return;
    }
    q.text = plain(before);
    const QString rest = plain(after, html);
    if (!rest.isEmpty()) // a blank to fill in within the text
        q.text += (q.text.isEmpty() ? QStringLiteral("_____ ") : QStringLiteral(" _____ ")) + rest;

    // The answers: "=" starts the right one, "~" a wrong one; "#" starts an answer's feedback.
    const Chars answers = chars.mid(open + 1, close - open - 1);
    const QString whole = textOf(answers, 0, answers.size()).trimmed();
    if (whole.isEmpty()) {
        bank.skip(q.place, QStringLiteral("вопрос другого типа (эссе)"));
        return;
    }
    qsizetype start = 0;
    while (start < answers.size() && answers.at(start).c.isSpace())
        ++start;
    if (answers.at(start).is(u'#')) {
        bank.skip(q.place, QStringLiteral("вопрос другого типа (числовой)"));
        return;
    }
    static const QRegularExpression trueFalse(QStringLiteral("^(T|F|TRUE|FALSE)\\b"));
    if (trueFalse.match(whole).hasMatch()) {
        bank.skip(q.place, QStringLiteral("вопрос другого типа (верно/неверно)"));
        return;
    }
    QVector<qsizetype> starts;
    for (qsizetype i = start; i < answers.size(); ++i)
        if (answers.at(i).is(u'=') || answers.at(i).is(u'~'))
            starts.append(i);
    if (starts.isEmpty() || starts.first() != start) {
        bank.skip(q.place, QStringLiteral("ответы не начинаются с «=» или «~»"));
        return;
    }
    int rights = 0;
    bool weighted = false;
    bool wrongs = false;
    for (int k = 0; k < starts.size(); ++k) {
        const qsizetype end = k + 1 < starts.size() ? starts.at(k + 1) : answers.size();
        qsizetype textEnd = find(answers.mid(0, end), u'#', starts.at(k) + 1);
        if (textEnd < 0)
            textEnd = end;
        QString option = textOf(answers, starts.at(k) + 1, textEnd);
        if (option.contains(QLatin1String("->"))) {
            bank.skip(q.place, QStringLiteral("вопрос другого типа (на соответствие)"));
            return;
        }
        // "%50%" in front gives the answer a part of the mark: a second right answer when it is
        // above zero on a wrong one; a penalty below zero changes nothing here.
        static const QRegularExpression weight(QStringLiteral("^\\s*%(-?[0-9.]+)%"));
        const QRegularExpressionMatch w = weight.match(option);
        if (w.hasMatch()) {
            if (answers.at(starts.at(k)).c == u'~' && w.captured(1).toDouble() > 0)
                weighted = true;
            option.remove(0, w.capturedLength());
        }
        if (answers.at(starts.at(k)).c == u'=')
            ++rights;
        else
            wrongs = true;
        q.options.append(plain(option, html));
        if (answers.at(starts.at(k)).c == u'=')
            q.right = int(q.options.size() - 1);
    }
    if (!wrongs) {
        bank.skip(q.place, QStringLiteral("вопрос другого типа (краткий ответ)"));
        return;
    }
    if (rights > 1 || weighted) {
        bank.skip(q.place, QStringLiteral("больше одного правильного ответа"));
        return;
    }
    bank.add(q);
}

QString escaped(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (c == u'\n') {
            out += QStringLiteral("\\n");
            continue;
        }
        if (QStringLiteral("~=#{}:\\").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

} // namespace

QString unfit(const Question& question) {
    // No escape keeps "->" in an answer from reading as a pair of a matching question, nor
    // "%50%" at its start from reading as a part of the mark.
    static const QRegularExpression weight(QStringLiteral("^\\s*%-?[0-9.]+%"));
    static const QRegularExpression marker(
        QStringLiteral("^\\s*\\[(html|moodle|markdown|plain)\\]"));
    if (marker.match(question.text).hasMatch())
        return QStringLiteral("«[…]» в начале текста GIFT прочтёт как формат текста");
    for (const QString& option : question.options) {
        if (marker.match(option).hasMatch())
            return QStringLiteral("«[…]» в начале варианта ответа GIFT прочтёт как формат текста");
        if (option.contains(QLatin1String("->")))
            return QStringLiteral("«->» в варианте ответа GIFT прочтёт как вопрос на соответствие");
        if (weight.match(option).hasMatch())
            return QStringLiteral("«%…%» в начале варианта ответа GIFT прочтёт как долю балла");
    }
    return QString();
}

void read(const QString& text, Bank& bank) {
    // Questions are separated by empty lines; comment lines and categories are left out.
    const QStringList lines = text.split(QLatin1Char('\n'));
    QString question;
    int firstLine = 0;
    auto flush = [&] {
        if (!question.trimmed().isEmpty())
            readQuestion(scan(question), QStringLiteral("строка %1").arg(firstLine), bank);
        question.clear();
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.startsWith(QLatin1String("//")))
            continue;
        if (trimmed.isEmpty()) {
            flush();
            continue;
        }
        if (question.isEmpty() && trimmed.startsWith(QLatin1String("$CATEGORY:")))
            continue;
        if (question.isEmpty())
            firstLine = i + 1;
        else
            question += QLatin1Char('\n');
        question += lines.at(i);
    }
    flush();
}

QString write(const QVector<Question>& questions) {
    QString out;
    for (int k = 0; k < questions.size(); ++k) {
        const Question& q = questions.at(k);
        out +=
            QStringLiteral("::Вопрос %1::").arg(k + 1) + escaped(q.text) + QStringLiteral(" {\n");
        for (int i = 0; i < q.options.size(); ++i)
            out += QLatin1Char(i == q.right ? '=' : '~') + escaped(q.options.at(i)) +
                   QLatin1Char('\n');
        out += QStringLiteral("}\n\n");
    }
    return out;
}

} // namespace GiftBank
