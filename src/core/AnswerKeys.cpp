#include "AnswerKeys.h"

namespace AnswerKeys {
namespace {

struct Keys {
    char letter;
    char16_t place; // the Russian keyboard's letter in the Latin letter's place
    char16_t alike; // a Cyrillic letter that looks like it, or 0
    char digit;
};

constexpr Keys kKeys[] = {
    {'A', u'Ф', u'А', '1'}, {'B', u'И', 0, '2'},    {'C', u'С', 0, '3'},
    {'D', u'В', 0, '4'},    {'E', u'У', u'Е', '5'},
};

} // namespace

char letterFor(const QString& text) {
    if (text.size() != 1)
        return 0;
    const char16_t c = text.at(0).toUpper().unicode();
    for (const Keys& keys : kKeys) {
        if (c == char16_t(keys.letter) || c == keys.place || (keys.alike && c == keys.alike) ||
            c == char16_t(keys.digit))
            return keys.letter;
    }
    return 0;
}

QString keysOf(char letter) {
    for (const Keys& keys : kKeys) {
        if (keys.letter != letter)
            continue;
        QString text = QStringLiteral("Клавиши: %1, %2").arg(QChar(keys.letter), QChar(keys.place));
        if (keys.alike && keys.alike != keys.place)
            text += QStringLiteral(", ") + QChar(keys.alike);
        return text + QStringLiteral(", ") + QChar(keys.digit);
    }
    return QString();
}

} // namespace AnswerKeys
