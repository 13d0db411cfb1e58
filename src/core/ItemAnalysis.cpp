#include "ItemAnalysis.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace ItemAnalysis {
namespace {

struct Attempt {
    const ReportRecord* record = nullptr;
    QString file;
    int score = 0;
};

bool sameTest(const ReportRecord& record, const QString& subject, const QString& test) {
    return record.subject == subject && record.test == test;
}

bool usable(const ReportRecord& record) {
    return record.state == ReportRecord::State::Agrees && record.total && *record.total > 0;
}

// The most frequent total among the usable reports; on a tie the larger. 0 when there is none.
int chosenTotal(const QVector<ReportRecord>& journal, const QString& subject, const QString& test) {
    QMap<int, int> frequency;
    for (const ReportRecord& record : journal) {
        if (sameTest(record, subject, test) && usable(record))
            ++frequency[*record.total];
    }
    int best = 0;
    int bestCount = 0;
    for (auto it = frequency.constBegin(); it != frequency.constEnd(); ++it) {
        if (it.value() >= bestCount) { // ascending keys: a tie goes to the larger total
            best = it.key();
            bestCount = it.value();
        }
    }
    return best;
}

// Pearson's r of two integer series, from exact integer sums; none when either is constant.
std::optional<double> pearson(const QVector<int>& a, const QVector<int>& b) {
    const qint64 n = a.size();
    qint64 sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        sa += a.at(i);
        sb += b.at(i);
        saa += qint64(a.at(i)) * a.at(i);
        sbb += qint64(b.at(i)) * b.at(i);
        sab += qint64(a.at(i)) * b.at(i);
    }
    const qint64 varA = n * saa - sa * sa;
    const qint64 varB = n * sbb - sb * sb;
    if (varA == 0 || varB == 0)
        return std::nullopt;
    return double(n * sab - sa * sb) / std::sqrt(double(varA) * double(varB));
}

// The flag of a question with `right` of `n` right, `upperRight` and `lowerRight` of `g` in
// the groups. The thresholds are compared in integers, so a share exactly on a threshold
// (1 of 5 is 0.2) never falls on the wrong side through a binary fraction.
Flag flagOf(const std::optional<double>& r, int right, int n, int upperRight, int lowerRight,
            int g) {
    if (r && *r < 0)
        return Flag::CheckKey;
    if (5 * right < n)
        return Flag::TooHard;
    if (20 * right > 19 * n)
        return Flag::TooEasy;
    if (5 * (upperRight - lowerRight) < g)
        return Flag::WeakSpread;
    return Flag::None;
}

double median(QVector<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    if (n % 2 == 1)
        return values.at(n / 2);
    return (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

} // namespace

QString flagText(Flag flag) {
    switch (flag) {
    case Flag::None:
        return QString();
    case Flag::CheckKey:
        return QStringLiteral("проверьте ключ");
    case Flag::TooHard:
        return QStringLiteral("слишком трудный");
    case Flag::TooEasy:
        return QStringLiteral("слишком лёгкий");
    case Flag::WeakSpread:
        return QStringLiteral("слабо различает");
    }
    return QString();
}

QString notEnoughAttemptsText() {
    return QStringLiteral("Для анализа нужно не менее %1 попыток").arg(kMinimumAttempts);
}

Result analyse(const QVector<ReportRecord>& journal, const QString& subject, const QString& test) {
    Result result;
    const int k = chosenTotal(journal, subject, test);
    result.questionCount = k;

    QVector<Attempt> attempts;
    for (const ReportRecord& record : journal) {
        if (!sameTest(record, subject, test))
            continue;
        if (k > 0 && usable(record) && *record.total == k)
            attempts.append(Attempt{&record, record.file(), int(record.verdicts.count(true))});
        else
            ++result.summary.excluded;
    }
    std::sort(attempts.begin(), attempts.end(), [](const Attempt& a, const Attempt& b) {
        if (a.score != b.score)
            return a.score > b.score;
        return a.file < b.file;
    });
    const int n = int(attempts.size());
    result.summary.attempts = n;
    for (const Attempt& attempt : attempts)
        result.attemptFiles << attempt.file;

    for (const Attempt& attempt : attempts)
        ++result.histogram[size_t(std::min(9, 10 * attempt.score / k))];
    if (n < kMinimumAttempts)
        return result;

    // g = max(1, round(0.27 N)), half away from zero, in integers.
    const int g = std::max(1, (27 * n + 50) / 100);
    result.groupSize = g;

    double sumPQ = 0;
    for (int q = 0; q < k; ++q) {
        QVector<int> item(n);
        QVector<int> rest(n);
        int right = 0;
        for (int i = 0; i < n; ++i) {
            item[i] = attempts.at(i).record->verdicts.at(q) ? 1 : 0;
            rest[i] = attempts.at(i).score - item.at(i);
            right += item.at(i);
        }
        int upperRight = 0;
        int lowerRight = 0;
        for (int i = 0; i < g; ++i) {
            upperRight += item.at(i);
            lowerRight += item.at(n - 1 - i);
        }
        Question question;
        question.number = q + 1;
        question.p = double(right) / n;
        question.upper = double(upperRight) / g;
        question.lower = double(lowerRight) / g;
        question.d = question.upper - question.lower;
        question.r = pearson(item, rest);
        question.flag = flagOf(question.r, right, n, upperRight, lowerRight, g);
        sumPQ += question.p * (1 - question.p);
        result.questions.append(question);
    }

    QVector<double> percents;
    double sumScore = 0;
    for (const Attempt& attempt : attempts) {
        percents.append(100.0 * attempt.score / k);
        sumScore += attempt.score;
    }
    double sumPercent = 0;
    for (double percent : percents)
        sumPercent += percent;
    const double mean = sumPercent / n;
    double squares = 0;
    for (double percent : percents)
        squares += (percent - mean) * (percent - mean);
    result.summary.meanPercent = mean;
    result.summary.medianPercent = median(percents);
    result.summary.deviationPercent = std::sqrt(squares / (n - 1));

    const double meanScore = sumScore / n;
    double scoreSquares = 0;
    for (const Attempt& attempt : attempts)
        scoreSquares += (attempt.score - meanScore) * (attempt.score - meanScore);
    const double variance = scoreSquares / n;
    if (k >= 2 && variance > 0)
        result.summary.kr20 = double(k) / (k - 1) * (1 - sumPQ / variance);
    return result;
}

} // namespace ItemAnalysis
