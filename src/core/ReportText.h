#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

struct TestAttempt;

// The text of a report, line by line. The clock and the regional settings come in as
// arguments, so the same attempt always gives the same text.
namespace ReportText {

// The fixed pieces of a report's lines, written here and read back by the report parser.
inline const QString kStudent = QStringLiteral("Имя фамилия: ");
inline const QString kGroup = QStringLiteral("Группа: ");
inline const QString kSubject = QStringLiteral("Предмет: ");
inline const QString kTest = QStringLiteral("Тест: ");
inline const QString kDateTimeGap = QStringLiteral("     ");  // between the date and the time
inline const QString kQuestion = QStringLiteral("Вопрос № "); // then the number and a verdict
inline const QString kRightVerdict = QStringLiteral("- Правильно");
inline const QString kWrongVerdict = QStringLiteral("- Неправильно");
inline const QString kVerdictEnd = QStringLiteral(" ");
inline const QString kTotal = QStringLiteral("Всего вопросов: ");
inline const QString kRight = QStringLiteral("Правильно: "); // then the count and the percentage
inline const QString kPercentStart = QStringLiteral("    (");
inline const QString kPercentEnd = QStringLiteral(" %)");
inline const QString kWrong = QStringLiteral("Неправильно: ");

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
