#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The line rules of texts that come from files: every CR LF, lone CR and lone LF is one break,
// and a zero byte ends the text.
namespace TextLines {

// The bytes up to the first zero byte, with every break turned into CR LF.
QByteArray normalizeBreaks(const QByteArray& bytes);

// Number of lines: breaks plus one, less one when the text ends with a break; none when empty.
qsizetype lineCount(const QByteArray& normalized);

// The text as a text editor holds it (breaks as "\n"), decoded from Windows-1251.
QString toEditorText(const QByteArray& bytes);

// The lines of an editor's text ("\n" between lines); a final break begins no further line,
// and an empty text has none.
QStringList splitLines(const QString& editorText);

// The editor's text as file bytes: Windows-1251, every "\n" (or U+2029) written as CR LF.
QByteArray fromEditorText(const QString& text);

} // namespace TextLines
