#pragma once

#include "ReportRecord.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <optional>

// Item analysis of one test: how hard each question was, how well it tells strong attempts from
// weak ones, and how consistent the test is as a whole.
//
// The attempts are the readable, agreeing reports of subject S and test V whose number of
// questions K is the most frequent among them (on a tie the larger K). Everything else with S
// and V is counted as excluded. With N attempts, x_ik = 1 when question k is right in attempt i,
// and the score X_i = sum over k of x_ik.
namespace ItemAnalysis {

// The analysis needs at least this many attempts.
constexpr int kMinimumAttempts = 2;

// What the analysis says of a question; the first that applies, in this order.
enum class Flag {
    None,
    CheckKey,   // r < 0
    TooHard,    // p < 0.2
    TooEasy,    // p > 0.95
    WeakSpread, // D < 0.2
};

// "", "проверьте ключ", "слишком трудный", "слишком лёгкий", "слабо различает".
QString flagText(Flag flag);

struct Question {
    int number = 0;          // 1 ... K
    double p = 0;            // share of attempts with the question right
    double upper = 0;        // that share in the upper group
    double lower = 0;        // and in the lower group
    double d = 0;            // upper − lower
    std::optional<double> r; // Pearson's r with the rest score; none for zero variance
    Flag flag = Flag::None;
};

struct Summary {
    int attempts = 0;       // N
    int excluded = 0;       // reports of S and V that are not attempts
    double meanPercent = 0; // of 100 X / K
    double medianPercent = 0;
    double deviationPercent = 0; // sample standard deviation (N − 1)
    std::optional<double> kr20;  // none when K < 2 or the variance of X is 0
};

struct Result {
    int questionCount = 0;           // K; 0 when no report qualifies
    int groupSize = 0;               // g = max(1, round(0.27 N))
    QStringList attemptFiles;        // the attempts' "Файл", X descending, then by file
    QVector<Question> questions;     // empty when there are fewer than two attempts
    Summary summary;                 // the counts always; the figures with two attempts or more
    std::array<int, 10> histogram{}; // percent in bins of 10 %; 100 % falls into the last

    bool enoughAttempts() const { return summary.attempts >= kMinimumAttempts; }
};

// The analysis of test `test` of subject `subject` (the reports' "Предмет: " and "Тест: ").
Result analyse(const QVector<ReportRecord>& journal, const QString& subject, const QString& test);

// What the page says instead of the analysis when there are too few attempts.
QString notEnoughAttemptsText();

} // namespace ItemAnalysis
