#pragma once

// What a PDF file says, read with the poppler-utils tools as a reader of the printed page would.

#include "support/ToolRun.h"

#include <QRegularExpression>
#include <QString>

namespace PdfText {

// What the tool writes about the file; a null text when the tool is missing or fails.
inline QString told(const QString& tool, const QStringList& arguments) {
    const ToolRun run = ToolRun::of(tool, arguments); // one not found does not start: -1
    return run.exitCode == 0 ? QString::fromUtf8(run.out) : QString();
}

// The text of every page, pages separated by form feeds.
inline QString text(const QString& pdf) {
    return told(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

// The number of pages; -1 when it cannot be read.
inline int pages(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(told(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The number of pictures on the pages (a line each after two of heading); -1 when unknown.
inline int images(const QString& pdf) {
    const QString list = told(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    return list.isNull() ? -1 : int(list.trimmed().split(QLatin1Char('\n')).size()) - 2;
}

} // namespace PdfText
