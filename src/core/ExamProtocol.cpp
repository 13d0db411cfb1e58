#include "ExamProtocol.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace ExamProtocol {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool escaped(char c) {
    return c == '%' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

QByteArray encode(const QStringList& fields) {
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += '\t';
        const QByteArray utf8 = fields.at(i).toUtf8();
        out.reserve(out.size() + utf8.size());
        for (const char c : utf8) {
            if (escaped(c)) {
                out += '%';
                out += kHex[(uchar(c) >> 4) & 0xF];
                out += kHex[uchar(c) & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '\n';
    return out;
}

std::optional<QStringList> decode(const QByteArray& line) {
    QStringList fields;
    QByteArray field;
    auto finish = [&]() -> bool {
        // A byte order mark at a field's start is part of the field, not to be skipped.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(field);
        if (utf8.hasError())
            return false;
        fields.append(std::move(text));
        field.clear();
        return true;
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '\t') {
            if (!finish())
                return std::nullopt;
        } else if (c == '%') {
            if (i + 2 >= line.size())
                return std::nullopt;
            const int high = hexValue(line.at(i + 1));
            const int low = hexValue(line.at(i + 2));
            if (high < 0 || low < 0)
                return std::nullopt;
            const char decoded = char(high * 16 + low);
            if (!escaped(decoded))
                return std::nullopt;
            field += decoded;
            i += 2;
        } else if (uchar(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        } else {
            field += c;
        }
    }
    if (!finish())
        return std::nullopt;
    return fields;
}

QString joinLines(const QStringList& lines) {
    QString out;
    for (const QString& line : lines)
        out += line + QLatin1Char('\n');
    return out;
}

QStringList splitLines(const QString& field) {
    QStringList lines = field.split(QLatin1Char('\n'));
    lines.removeLast(); // what follows the last line's end
    return lines;
}

QByteArray answersText(const QByteArray& answers) {
    QByteArray out(answers.size(), kUnanswered);
    for (qsizetype i = 0; i < answers.size(); ++i) {
        if (answers.at(i) != 0)
            out[i] = answers.at(i);
    }
    return out;
}

std::optional<QByteArray> answersFromText(const QString& text) {
    QByteArray out(text.size(), 0);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= u'A' && c <= u'E')
            out[i] = char(c);
        else if (c != kUnanswered)
            return std::nullopt;
    }
    return out;
}

bool isLocaleName(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z]{1,8}(_[A-Za-z0-9]{1,8}){0,3}$"));
    return pattern.match(name).hasMatch();
}

} // namespace ExamProtocol
