#include "ReportText.h"

#include "Scoring.h"
#include "TestAttempt.h"

#include <cstdio>
#include <cstdlib>

namespace ReportText {
namespace {

// Positional digits of `value` rounded to 15 significant digits, with '.' as separator.
QString fifteenDigits(long double value) {
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14Le", value); // d.dddddddddddddde±XX
    const QString text = QString::fromLatin1(buffer);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    const bool negative = text.startsWith(QLatin1Char('-'));
    QString digits = text.left(e);
    digits.remove(QLatin1Char('-'));
    digits.remove(QLatin1Char('.'));
    const int exponent = text.mid(e + 1).toInt();

    QString whole;
    QString fraction;
    if (exponent >= 0) {
        if (exponent + 1 >= digits.size()) {
            whole = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
        } else {
            whole = digits.left(exponent + 1);
            fraction = digits.mid(exponent + 1);
        }
    } else {
        whole = QStringLiteral("0");
        fraction = QString(-exponent - 1, QLatin1Char('0')) + digits;
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString out = negative ? QStringLiteral("-") : QString();
    out += whole;
    if (!fraction.isEmpty())
        out += QLatin1Char('.') + fraction;
    return out;
}

QString longTimeWithoutZone(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

} // namespace

QString percentText(int right, int total, const QLocale& locale) {
    if (total == 0)
        return QStringLiteral("0");
    const long double share = 100.0L / static_cast<long double>(total);
    QString text = fifteenDigits(share * static_cast<long double>(right));
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString dateTimeLine(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat) + kDateTimeGap +
           locale.toString(when.time(), longTimeWithoutZone(locale));
}

QStringList lines(const TestAttempt& attempt, const QVector<bool>& verdicts, const QDateTime& when,
                  const QLocale& locale) {
    QStringList out;
    out << kStudent + attempt.StudentName << kGroup + attempt.GroupName
        << kSubject + attempt.SubjectName << kTest + attempt.VariantName
        << dateTimeLine(when, locale);
    for (qsizetype k = 0; k < verdicts.size(); ++k) {
        out << kQuestion + QString::number(k + 1) +
                   (verdicts.at(k) ? kRightVerdict : kWrongVerdict) + kVerdictEnd;
    }
    const int total = int(verdicts.size());
    const int right = Scoring::rightCount(verdicts);
    out << kTotal + QString::number(total)
        << kRight + QString::number(right) + kPercentStart + percentText(right, total, locale) +
               kPercentEnd
        << kWrong + QString::number(total - right);
    return out;
}

} // namespace ReportText
