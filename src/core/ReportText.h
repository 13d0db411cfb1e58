#pragma once

#include <QDateTime>
#include <QLocale>
#include <QStringList>
#include <QVector>

struct TestAttempt;

// The text of a report, line by line. The clock and the regional settings come in as
// arguments, so the same attempt always gives the same text.
namespace ReportText {

// 100 / total * right in extended precision, written with at most 15 significant digits,
// trailing zeros dropped, the locale's decimal separator, never an exponent. "0" when total
// is 0.
QString percentText(int right, int total, const QLocale& locale);

// The short date, five blanks, the long time without a time-zone name.
QString dateTimeLine(const QDateTime& when, const QLocale& locale);

// Every line of the report for the attempt's answers and key.
QStringList lines(const TestAttempt& attempt, const QVector<bool>& verdicts, const QDateTime& when,
                  const QLocale& locale);

} // namespace ReportText
