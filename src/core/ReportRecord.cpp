#include "ReportRecord.h"

#include "AccountNames.h"

QString ReportRecord::file() const {
    return subjectFolder + QLatin1Char('/') + reportName;
}

QString ReportRecord::ownerText() const {
    return owner ? AccountNames::nameOf(*owner) : QString();
}

std::optional<int> ReportRecord::percentTenths() const {
    if (!total || !right || *total <= 0 || *right < 0)
        return std::nullopt;
    // round(1000 r / t) half away from zero, in integers so that no half is lost to binary
    // fractions: (2000 r + t) / (2 t).
    const qint64 r = *right;
    const qint64 t = *total;
    return int((2000 * r + t) / (2 * t));
}

QString ReportRecord::percentText(QChar decimalSeparator) const {
    const std::optional<int> tenths = percentTenths();
    if (!tenths)
        return QString();
    return QString::number(*tenths / 10) + decimalSeparator + QString::number(*tenths % 10);
}

QString ReportRecord::stateText() const {
    switch (state) {
    case State::Agrees:
        return QString();
    case State::Disagrees:
        return QStringLiteral("не сходится");
    case State::Unreadable:
        return QStringLiteral("не читается: ") + reason;
    }
    return QString();
}
