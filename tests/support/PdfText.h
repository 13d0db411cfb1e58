#pragma once

// What a PDF file says, read with poppler's pdftotext and pdfinfo (poppler-utils), as a reader
// of the printed page would read it.

#include "support/ToolRun.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>

namespace PdfText {

// The text of every page, pages separated by form feeds; a null text when the tool is missing
// or fails.
inline QString text(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        return QString();
    const ToolRun run = ToolRun::of(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    return run.exitCode == 0 ? QString::fromUtf8(run.out) : QString();
}

// The number of pages; -1 when it cannot be read.
inline int pages(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (tool.isEmpty())
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(ToolRun::of(tool, {pdf}).out));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The number of pictures on the pages; -1 when it cannot be read.
inline int images(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
    if (tool.isEmpty())
        return -1;
    const ToolRun run = ToolRun::of(tool, {QStringLiteral("-list"), pdf});
    if (run.exitCode != 0)
        return -1;
    // Two lines of heading, then one line a picture.
    return int(QString::fromUtf8(run.out).trimmed().split(QLatin1Char('\n')).size()) - 2;
}

} // namespace PdfText
