#include "JournalDates.h"

namespace JournalDates {

QDate parseDate(const QString& text, const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(text.trimmed(), format);
    if (date.isValid() && !format.contains(QLatin1String("yyyy")) && date.year() < 2000)
        date = date.addYears(100); // "yy" reads as 19yy; reports are of this century
    return date;
}

QTime parseTime(const QString& text, const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t')); // the report writes no zone name
    const QString trimmed = text.trimmed();
    QTime time = locale.toTime(trimmed, format.trimmed());
    if (!time.isValid())
        time = QTime::fromString(trimmed, QStringLiteral("H:mm:ss"));
    return time;
}

bool SortKey::operator<(const SortKey& other) const {
    if (parsed != other.parsed)
        return parsed;
    if (parsed && msecs != other.msecs)
        return msecs < other.msecs;
    return text < other.text;
}

SortKey sortKey(const QString& date, const QString& time, const QLocale& locale) {
    SortKey key;
    key.text = date + QStringLiteral("     ") + time;
    const QDate day = parseDate(date, locale);
    if (!day.isValid())
        return key;
    const QTime clock = parseTime(time, locale);
    key.parsed = true;
    // A time that does not parse still sorts the day among the days, at its start.
    key.msecs = QDateTime(day, clock.isValid() ? clock : QTime(0, 0)).toMSecsSinceEpoch();
    return key;
}

} // namespace JournalDates
