#include "QuestionBank.h"

#include "AikenBank.h"
#include "CodePage.h"
#include "Failure.h"
#include "GiftBank.h"
#include "MoodleXmlBank.h"
#include "TestFormat.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace QuestionBank {
namespace {

// A line of a question's text that a variant cannot hold as text: it would read as a separator,
// a key line or (after the first line, which begins with the question's number) an option.
QString lineThatBreaksVariant(const QString& text) {
    static const QRegularExpression option(QStringLiteral("^[A-E]\\)"));
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
        if (TestFormat::isSeparator(lines.at(i)) || TestFormat::isKeyLine(lines.at(i)) ||
            (i > 0 && option.match(lines.at(i)).hasMatch()))
            return lines.at(i);
    return QString();
}

// A control character other than a tab (a zero would end the variant's text there).
bool hasControl(const QString& text, bool breaks) {
    for (QChar c : text)
        if (c.unicode() < 0x20 && c != u'\t' && !(breaks && c == u'\n'))
            return true;
    return false;
}

QString quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// The answer letter of option `index`: "A" for 0.
QChar letter(int index) {
    return QChar(char16_t(u'A' + index));
}

} // namespace

void Bank::add(Question question) {
    const QString reason = unfit(question);
    if (reason.isEmpty())
        questions.append(std::move(question));
    else
        skip(question.place, reason);
}

void Bank::skip(const QString& place, const QString& reason) {
    skipped.append(Skipped{place, reason});
}

QString unfit(const Question& question) {
    if (question.options.size() < 2)
        return QStringLiteral("меньше двух вариантов ответа");
    if (question.options.size() > kMaxOptions)
        return QStringLiteral("больше пяти вариантов ответа (%1)").arg(question.options.size());
    if (question.right < 0 || question.right >= question.options.size())
        return QStringLiteral("нет правильного ответа");
    if (question.text.trimmed().isEmpty())
        return QStringLiteral("нет текста вопроса");
    const QString breaking = lineThatBreaksVariant(question.text);
    if (!breaking.isNull())
        return QStringLiteral(
                   "строка текста %1 читалась бы в тесте как разделитель, ключ или вариант")
            .arg(quoted(breaking));
    bool control = hasControl(question.text, true);
    QString lost = CodePage::unrepresentable(question.text);
    for (const QString& option : question.options) {
        if (option.contains(QLatin1Char('\n')))
            return QStringLiteral("вариант ответа в несколько строк");
        control = control || hasControl(option, false);
        lost += CodePage::unrepresentable(option);
    }
    if (control)
        return QStringLiteral("управляющий символ в тексте");
    if (!lost.isEmpty())
        return QStringLiteral("символы, которых нет в Windows-1251: %1")
            .arg(CodePage::unrepresentable(lost));
    return QString();
}

QString decode(const QByteArray& bytes) {
    // A word processor's "Unicode text" is UTF-16 with its byte-order mark.
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringDecoder wide(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                     : QStringDecoder::Utf16BE,
                        QStringDecoder::Flag::Stateless);
    QString text = utf16 ? wide(bytes.mid(2)) : utf8(bytes);
    if (utf16 && (wide.hasError() || bytes.size() % 2 != 0))
        throw Failure(QStringLiteral("текст UTF-16 оборван или испорчен"));
    if (!utf16 && utf8.hasError())
        text = CodePage::decode(bytes);
    else if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::optional<Format> detect(const QString& fileName, const QString& text) {
    const QString start = text.trimmed();
    if (start.startsWith(QLatin1String("<?xml")) || start.startsWith(QLatin1String("<quiz")))
        return Format::MoodleXml;
    static const QRegularExpression answerLine(QStringLiteral("^[ \\t]*(ANSWER|ОТВЕТ)[ \\t]*:"),
                                               QRegularExpression::MultilineOption |
                                                   QRegularExpression::CaseInsensitiveOption);
    if (answerLine.match(text).hasMatch())
        return Format::Aiken;
    static const QRegularExpression giftAnswers(QStringLiteral("(^|[^\\\\])\\{"));
    if (giftAnswers.match(text).hasMatch())
        return Format::Gift;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("gift"))
        return Format::Gift;
    if (suffix == QLatin1String("xml"))
        return Format::MoodleXml;
    return std::nullopt;
}

std::optional<Format> formatNamed(const QString& name) {
    for (Format format : {Format::Gift, Format::MoodleXml, Format::Aiken})
        if (formatName(format) == name)
            return format;
    return std::nullopt;
}

QString formatName(Format format) {
    switch (format) {
    case Format::Aiken:
        return QStringLiteral("aiken");
    case Format::Gift:
        return QStringLiteral("gift");
    case Format::MoodleXml:
        return QStringLiteral("moodle-xml");
    }
    return QString();
}

Bank read(const QString& fileName, const QByteArray& bytes) {
    const QString text = decode(bytes);
    if (text.trimmed().isEmpty())
        throw Failure(QStringLiteral("%1: банк вопросов пуст").arg(fileName));
    const std::optional<Format> format = detect(fileName, text);
    if (!format)
        throw Failure(QStringLiteral("%1: не похоже ни на Aiken, ни на GIFT, ни на Moodle XML")
                          .arg(fileName));
    Bank bank;
    switch (*format) {
    case Format::Aiken:
        AikenBank::read(text, bank);
        break;
    case Format::Gift:
        GiftBank::read(text, bank);
        break;
    case Format::MoodleXml:
        MoodleXmlBank::read(text, bank);
        break;
    }
    if (bank.total() == 0)
        throw Failure(QStringLiteral("%1: в банке нет ни одного вопроса").arg(fileName));
    return bank;
}

QString variantText(const QVector<Question>& questions) {
    QString out = QStringLiteral("---\n");
    for (int k = 0; k < questions.size(); ++k) {
        const Question& q = questions.at(k);
        out += QStringLiteral("%1) ").arg(k + 1) + q.text + QLatin1Char('\n');
        for (int i = 0; i < q.options.size(); ++i) {
            if (i == q.right)
                out += TestFormat::kGrave;
            out += letter(i) + QStringLiteral(") ") + q.options.at(i) + QLatin1Char('\n');
        }
        out += QStringLiteral("---\n");
    }
    return out;
}

Bank fromVariant(const QStringList& lines) {
    static const QRegularExpression optionLine(QStringLiteral("^([A-E])\\) ?(.*)$"));
    static const QRegularExpression number(QStringLiteral("^\\d+\\) ?"));
    QVector<int> separators;
    QByteArray keys;
    for (int i = 0; i < lines.size(); ++i) {
        if (TestFormat::isSeparator(lines.at(i)))
            separators.append(i);
        else if (TestFormat::isKeyLine(lines.at(i)))
            keys.append(TestFormat::keyLetter(lines.at(i)));
    }
    Bank bank;
    for (int k = 0; k + 1 < separators.size(); ++k) {
        Question q;
        q.place = QStringLiteral("вопрос %1").arg(k + 1);
        QStringList text;
        QString wrong;
        for (int i = separators.at(k) + 1; i < separators.at(k + 1) && wrong.isEmpty(); ++i) {
            QString line = lines.at(i);
            const bool key = TestFormat::isKeyLine(line);
            if (key)
                line.remove(0, 1);
            const QRegularExpressionMatch option = optionLine.match(line);
            if (option.hasMatch() && (q.options.size() > 0 || !text.isEmpty())) {
                if (option.captured(1).at(0).unicode() - u'A' != q.options.size())
                    wrong = QStringLiteral("варианты ответа не по порядку A, B, C...");
                q.options.append(option.captured(2));
            } else if (key) {
                continue; // a key line of its own gives only the key
            } else if (q.options.isEmpty()) {
                text.append(line);
            } else {
                wrong = QStringLiteral("текст после вариантов ответа");
            }
        }
        if (!wrong.isEmpty()) {
            bank.skip(q.place, wrong);
            continue;
        }
        if (text.isEmpty())
            text.append(QString());
        text.first().remove(number);
        q.text = text.join(QLatin1Char('\n'));
        if (k >= keys.size()) {
            bank.skip(q.place, QStringLiteral("нет строки с ключом"));
            continue;
        }
        q.right = keys.at(k) - 'A';
        if (q.right < 0 || q.right >= q.options.size()) {
            bank.skip(q.place, QStringLiteral("ключ не указывает ни на один вариант ответа"));
            continue;
        }
        bank.add(q);
    }
    return bank;
}

Bank exportable(Format format, const Bank& bank) {
    Bank out;
    out.skipped = bank.skipped;
    for (const Question& q : bank.questions) {
        const QString reason = format == Format::Gift ? GiftBank::unfit(q) : QString();
        if (reason.isEmpty())
            out.questions.append(q);
        else
            out.skip(q.place, reason);
    }
    return out;
}

QString write(Format format, const QVector<Question>& questions) {
    switch (format) {
    case Format::Aiken:
        return AikenBank::write(questions);
    case Format::Gift:
        return GiftBank::write(questions);
    case Format::MoodleXml:
        return MoodleXmlBank::write(questions);
    }
    return QString();
}

QString plainFromHtml(const QString& html) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression breaks(
        QStringLiteral("<\\s*(br|/p|/div|/li|/h[1-6]|/tr)\\b[^>]*>"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    static const QHash<QString, char32_t> kNamedEntities{
        {QStringLiteral("amp"), U'&'},   {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},    {QStringLiteral("quot"), U'"'},
        {QStringLiteral("apos"), U'\''}, {QStringLiteral("nbsp"), U' '}};
    QString text = html;
    text.replace(blanks, QStringLiteral(" "));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);

    QString out;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = entity.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(from, m.capturedStart() - from);
        const QString name = m.captured(1);
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X")))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt();
        else
            code = kNamedEntities.value(name);
        out += code != 0 ? QString::fromUcs4(&code, 1) : m.captured(0);
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);

    // Lines trimmed; empty ones at either end dropped, a run of them inside kept as one.
    QStringList lines;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() || (!lines.isEmpty() && !lines.last().isEmpty()))
            lines.append(trimmed);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

bool hasPicture(const QString& html) {
    return html.contains(QLatin1String("<img"), Qt::CaseInsensitive);
}

namespace {

// `counted` and, when some were left out, how many and why.
QString withSkipped(const QString& counted, const Bank& bank) {
    if (bank.skipped.isEmpty())
        return counted;
    return counted + QStringLiteral("; пропущено: %1 — ").arg(bank.skipped.size()) +
           skippedLines(bank).join(QStringLiteral("; "));
}

} // namespace

QString importSummary(const Bank& bank) {
    return withSkipped(QStringLiteral("Импортировано вопросов: %1 из %2")
                           .arg(bank.questions.size())
                           .arg(bank.total()),
                       bank);
}

QString exportSummary(const Bank& bank, Format format) {
    return withSkipped(QStringLiteral("Экспортировано вопросов (%1): %2 из %3")
                           .arg(formatName(format))
                           .arg(bank.questions.size())
                           .arg(bank.total()),
                       bank);
}

QStringList skippedLines(const Bank& bank) {
    QStringList out;
    for (const Skipped& s : bank.skipped)
        out.append(s.place + QStringLiteral(": ") + s.reason);
    return out;
}

} // namespace QuestionBank
