#include "TextLines.h"

#include "CodePage.h"

namespace TextLines {

QByteArray normalizeBreaks(const QByteArray& bytes) {
    qsizetype end = bytes.indexOf('\0');
    if (end < 0)
        end = bytes.size();
    const char* data = bytes.constData();

    QByteArray out;
    out.reserve(end + end / 16);
    for (qsizetype i = 0; i < end; ++i) {
        const char c = data[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < end && data[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

qsizetype lineCount(const QByteArray& normalized) {
    if (normalized.isEmpty())
        return 0;
    const qsizetype breaks = normalized.count("\r\n");
    return breaks + 1 - (normalized.endsWith("\r\n") ? 1 : 0);
}

QString toEditorText(const QByteArray& bytes) {
    // One pass: decode every byte through the code page's table, turn CR LF and lone CR into
    // "\n", stop at a zero byte. Large texts are read this way, so no intermediate copies.
    const char16_t* table = CodePage::decodeTable();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = in[i];
        if (c == '\r') {
            out[written++] = u'\n';
            if (i + 1 < size && in[i + 1] == '\n')
                ++i;
        } else if (c == 0) {
            break;
        } else {
            out[written++] = table[c];
        }
    }
    text.truncate(written);
    return text;
}

QByteArray fromEditorText(const QString& text) {
    QString crlf = text;
    crlf.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return CodePage::encode(crlf);
}

QStringList splitLines(const QString& editorText) {
    QStringList lines = editorText.split(QLatin1Char('\n'));
    if (editorText.isEmpty() || editorText.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

} // namespace TextLines
