#pragma once

#include <QStringList>

struct TestAttempt;

// The text format of a test variant: "---" lines bound the questions, a line that begins with
// the grave accent is a key line whose next character is the right answer's letter, every other
// line is text.
namespace TestFormat {

inline constexpr QLatin1String kSeparator("---");
inline constexpr QChar kGrave(u'`');

bool isSeparator(const QString& line);
bool isKeyLine(const QString& line);

// The key letter of a key line: its second character as a Windows-1251 byte, upper-cased the
// way the Russian ANSI code page does it; 0 for a lone grave accent.
char keyLetter(const QString& keyLine);

// Loads the lines of a variant into the attempt's arrays (which must be empty) and strips the
// grave accent from every key line, in place.
void ReadAndLoadTest(QStringList& lines, TestAttempt& attempt);

// The lines shown for question `index` (from 0): those strictly between its two separators.
QStringList questionLines(const QStringList& lines, const TestAttempt& attempt, int index);

} // namespace TestFormat
