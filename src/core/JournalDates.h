#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

// The date and time texts of report line 5, read back for sorting. Reports carry the short date
// and long time of the regional settings they were written with; the caller passes that locale.
namespace JournalDates {

// The date in the locale's short format; an invalid date when the text is not one. Two-digit
// years are taken as 20yy.
QDate parseDate(const QString& text, const QLocale& locale);

// The time in the locale's long format (without a zone name), or hours:minutes:seconds; an
// invalid time when the text is neither.
QTime parseTime(const QString& text, const QLocale& locale);

// What a date column sorts by: reports whose date parses come first, in date and time order;
// the others follow in text order.
struct SortKey {
    bool parsed = false;
    qint64 msecs = 0; // since the epoch, local time, when parsed
    QString text;     // date, five blanks, time

    bool operator<(const SortKey& other) const;
};

SortKey sortKey(const QString& date, const QString& time, const QLocale& locale);

} // namespace JournalDates
