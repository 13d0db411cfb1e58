#include "TestSkeleton.h"

namespace TestSkeleton {

int questionCount(const QString& typed) {
    const QString digits = typed.trimmed();
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, 10);
    if (ok)
        return int(qBound(qlonglong(kMinQuestions), value, qlonglong(kMaxQuestions)));
    // A whole number too long for any integer type is still a whole number: its sign says on
    // which side of the range it lies.
    static const QString wholeNumber = QStringLiteral("0123456789");
    QStringView rest(digits);
    bool negative = false;
    if (rest.startsWith(QLatin1Char('+')) || rest.startsWith(QLatin1Char('-'))) {
        negative = rest.front() == QLatin1Char('-');
        rest = rest.mid(1);
    }
    if (rest.isEmpty())
        return kMinQuestions;
    for (const QChar c : rest) {
        if (!wholeNumber.contains(c))
            return kMinQuestions;
    }
    return negative ? kMinQuestions : kMaxQuestions;
}

QString text(int questions) {
    questions = qBound(kMinQuestions, questions, kMaxQuestions);
    QString out;
    out.reserve(4 + questions * 24);
    out += QStringLiteral("---\n");
    for (int i = 1; i <= questions; ++i) {
        out += QString::number(i);
        out += QStringLiteral(")\nA)\nB)\nC)\nD)\nE)\n---\n");
    }
    return out;
}

} // namespace TestSkeleton
