#include "VariantCheck.h"

#include "CodePage.h"
#include "TestFormat.h"

namespace VariantCheck {
namespace {

// Cyrillic capitals (Windows-1251) that look like the Latin answer letters.
QString lookAlikeOf(char letter) {
    switch (static_cast<unsigned char>(letter)) {
    case 0xC0:
        return QStringLiteral("A");
    case 0xC2:
        return QStringLiteral("B");
    case 0xD1:
        return QStringLiteral("C");
    case 0xC5:
        return QStringLiteral("E");
    default:
        return QString();
    }
}

QString letterText(char letter) {
    if (letter == 0)
        return QStringLiteral("`");
    return CodePage::decode(QByteArray(1, letter));
}

} // namespace

QString Result::firstProblem() const {
    if (!blocking.isEmpty())
        return blocking.constFirst();
    return warnings.isEmpty() ? QString() : warnings.constFirst();
}

Result check(const QStringList& lines) {
    Result result;
    QVector<int> keyLineNumbers;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (TestFormat::isSeparator(line)) {
            ++result.separators;
        } else if (TestFormat::isKeyLine(line)) {
            result.keyLetters.append(TestFormat::keyLetter(line));
            keyLineNumbers.append(int(i) + 1);
        }
    }
    result.questions = qMax(0, result.separators - 1);
    result.keys = int(result.keyLetters.size());

    if (result.separators < 2) {
        result.blocking.append(
            QStringLiteral("Нет ни одного вопроса: вопросы разделяются строками «---», "
                           "а их в тексте %1 (нужно не меньше двух).")
                .arg(result.separators));
    }
    if (result.keys < result.questions) {
        result.blocking.append(
            QStringLiteral("Не у всех вопросов есть ключ: вопросов %1, строк с ключом (начинаются "
                           "с «`») %2. Первый вопрос без ключа — № %3.")
                .arg(result.questions)
                .arg(result.keys)
                .arg(result.keys + 1));
    }
    if (result.keys > result.questions && result.separators >= 2) {
        result.warnings.append(
            QStringLiteral("Строк с ключом больше, чем вопросов: вопросов %1, ключей %2; "
                           "лишние ключи будут засчитаны как вопросы без ответа.")
                .arg(result.questions)
                .arg(result.keys));
    }
    for (int k = 0; k < result.keys; ++k) {
        const char letter = result.keyLetters.at(k);
        if (letter >= 'A' && letter <= 'E')
            continue;
        const QString latin = lookAlikeOf(letter);
        if (!latin.isEmpty()) {
            result.warnings.append(
                QStringLiteral("Ключ вопроса № %1 (строка %2): буква «%3» — русская; "
                               "нужна латинская «%4».")
                    .arg(k + 1)
                    .arg(keyLineNumbers.at(k))
                    .arg(letterText(letter), latin));
        } else {
            result.warnings.append(
                QStringLiteral("Ключ вопроса № %1 (строка %2): «%3» — не буква от A до E.")
                    .arg(k + 1)
                    .arg(keyLineNumbers.at(k))
                    .arg(letterText(letter)));
        }
    }
    return result;
}

QString keyLettersText(const QByteArray& letters) {
    QStringList parts;
    for (char letter : letters)
        parts.append(letterText(letter));
    return parts.join(QLatin1Char(' '));
}

} // namespace VariantCheck
