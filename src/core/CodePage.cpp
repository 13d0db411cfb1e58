#include "CodePage.h"

#include "FolderEntries.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

#include <sys/stat.h>

namespace {

constexpr const char* kName = "windows-1251";

bool encodesCleanly(QStringView piece) {
    QStringEncoder encoder(kName);
    const QByteArray bytes = encoder(piece);
    return !encoder.hasError() && bytes != "\x1a" && !bytes.isEmpty();
}

// Walks `text` code point by code point (surrogate pairs kept together), calling `sink` with
// each piece and whether Windows-1251 can hold it.
template <typename Sink> void forEachCodePoint(const QString& text, Sink sink) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            len = 2;
        const QStringView piece = QStringView(text).mid(i, len);
        const bool plain = len == 1 && text.at(i).unicode() < 0x80;
        sink(piece, plain || (piece.at(0) != QChar(0x1a) && encodesCleanly(piece)));
        i += len;
    }
}

} // namespace

namespace CodePage {

QString decode(const QByteArray& bytes) {
    QStringDecoder decoder(kName);
    return decoder(bytes);
}

const char16_t* decodeTable() {
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString decoded = decode(all);
        for (int b = 0; b < 256 && b < decoded.size(); ++b)
            t[size_t(b)] = decoded.at(b).unicode();
        return t;
    }();
    return table.data();
}

char encodeChar(char16_t character) {
    if (character < 0x80)
        return char(character);
    static const auto reverse = [] {
        QHash<char16_t, char> map;
        const char16_t* table = decodeTable();
        for (int b = 0x80; b < 256; ++b)
            map.insert(table[b], char(b));
        return map;
    }();
    return reverse.value(character, '?');
}

QByteArray encode(const QString& text) {
    QStringEncoder encoder(kName);
    QByteArray bytes = encoder(text);
    if (!encoder.hasError() && !bytes.contains('\x1a'))
        return bytes;
    // Rare path: some character has no place in the code page. Encode piece by piece so that
    // exactly those characters become "?" (the converter's own substitute is 0x1A).
    QByteArray out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](QStringView piece, bool ok) {
        if (ok) {
            QStringEncoder one(kName);
            out += one(piece);
        } else {
            out += '?';
        }
    });
    return out;
}

QString unrepresentable(const QString& text) {
    QString found;
    forEachCodePoint(text, [&](QStringView piece, bool ok) {
        if (!ok && !found.contains(piece))
            found += piece;
    });
    return found;
}

char upperAnsi(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 'a' && b <= 'z')
        return static_cast<char>(b - 0x20);
    if (b >= 0xE0) // а..я
        return static_cast<char>(b - 0x20);
    switch (b) {
    case 0xB8:
        return static_cast<char>(0xA8); // ё
    case 0xBA:
        return static_cast<char>(0xAA); // є
    case 0xBF:
        return static_cast<char>(0xAF); // ї
    case 0xB3:
        return static_cast<char>(0xB2); // і
    case 0xB4:
        return static_cast<char>(0xA5); // ґ
    case 0xA2:
        return static_cast<char>(0xA1); // ў
    case 0xBC:
        return static_cast<char>(0xA3); // ј
    case 0xBE:
        return static_cast<char>(0xBD); // ѕ
    case 0x83:
        return static_cast<char>(0x81); // ѓ
    case 0x90:
        return static_cast<char>(0x80); // ђ
    case 0x9A:
        return static_cast<char>(0x8A); // љ
    case 0x9C:
        return static_cast<char>(0x8C); // њ
    case 0x9D:
        return static_cast<char>(0x8D); // ќ
    case 0x9E:
        return static_cast<char>(0x8E); // ћ
    case 0x9F:
        return static_cast<char>(0x8F); // џ
    default:
        return byte;
    }
}

QString fileName(const QByteArray& raw, bool* fromWindows1251) {
    const bool validUtf8 = QByteArrayView(raw).isValidUtf8();
    if (fromWindows1251)
        *fromWindows1251 = !validUtf8;
    // Nearly every name: whole UTF-8 characters and no byte order mark, read without a decoder
    // of its own (a listing of tens of thousands of names makes one per name otherwise).
    if (validUtf8 && !raw.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(raw);
    // Stateless: a name cut in the middle of a character ("_" and a lone lead byte) is not UTF-8,
    // where a decoder with state would keep the lead byte for more input and give "_". A byte
    // order mark in front stays part of the name, so that the name leads back to these bytes.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString name = utf8(raw);
    if (!utf8.hasError())
        return name;
    const QString decoded = decode(raw);
    return encode(decoded) == raw ? decoded : QString();
}

namespace {

bool present(const QByteArray& native) {
    struct stat status {};
    return ::lstat(native.constData(), &status) == 0;
}

// The entry of `folder` (bytes, ending in "/" unless empty) whose name the toolkit decodes to
// `part`; empty unless exactly one does. A file dialog lists a name in Windows-1251 bytes that
// way, and the path it returns holds that spelling.
QByteArray entryShownAs(const QByteArray& folder, const QString& part) {
    QByteArray found;
    int matches = 0;
    FolderEntries::forEach(folder, [&](const dirent& entry) {
        const QByteArray name(entry.d_name);
        if (QFile::decodeName(name) == part) {
            found = name;
            ++matches;
        }
    });
    return matches == 1 ? found : QByteArray();
}

// nativePath() for a path whose UTF-8 bytes `whole` name nothing: the parts are looked at one
// after the other, the last one's UTF-8 spelling not again where everything before it is spelled
// in UTF-8 (it is the missing one then).
QByteArray spelledPartByPart(const QString& path, const QByteArray& whole) {
    QByteArray built;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            built += '/';
        const QString& part = parts.at(i);
        const QByteArray asUtf8 = part.toUtf8();
        const bool knownMissing = i == parts.size() - 1 && built + asUtf8 == whole;
        if (part.isEmpty() || (!knownMissing && present(built + asUtf8))) {
            built += asUtf8;
            continue;
        }
        if (part.contains(QChar(QChar::ReplacementCharacter))) {
            const QByteArray shown = entryShownAs(built, part);
            built += shown.isEmpty() ? asUtf8 : shown;
            continue;
        }
        if (unrepresentable(part).size() > 0) {
            built += asUtf8;
            continue;
        }
        const QByteArray asCodePage = encode(part);
        built += present(built + asCodePage) ? asCodePage : asUtf8;
    }
    return built;
}

} // namespace

QByteArray nativePath(const QString& path) {
    const QByteArray whole = QFile::encodeName(path);
    if (present(whole))
        return whole; // nearly every path: one look
    return spelledPartByPart(path, whole);
}

QByteArray otherSpelling(const QString& path) {
    const QByteArray whole = QFile::encodeName(path);
    const QByteArray native = spelledPartByPart(path, whole);
    return native == whole ? QByteArray() : native;
}

QUrl fileUrl(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray native = nativePath(absolute);
    if (native == QFile::encodeName(absolute))
        return QUrl::fromLocalFile(absolute);
    // Bytes that are not UTF-8 stay percent-encoded in the address, as they are on disk.
    return QUrl::fromEncoded("file://" + native.toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace CodePage
