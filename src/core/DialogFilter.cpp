#include "DialogFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace DialogFilter {

QString toDialog(const QString& pairs) {
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(separators, Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        entries.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QString entry(const QString& pairs, int number) {
    const QStringList entries = toDialog(pairs).split(QStringLiteral(";;"));
    return number >= 1 && number <= entries.size() ? entries.at(number - 1) : QString();
}

} // namespace DialogFilter
