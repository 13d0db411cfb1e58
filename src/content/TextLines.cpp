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
    QByteArray lf = normalizeBreaks(bytes);
    lf.replace("\r\n", "\n");
    return CodePage::decode(lf);
}

QByteArray fromEditorText(const QString& text) {
    QString crlf = text;
    crlf.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    crlf.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return CodePage::encode(crlf);
}

} // namespace TextLines
