#include "Scoring.h"

#include <algorithm>

namespace Scoring {

QVector<bool> verdicts(const QByteArray& answerKey, const QByteArray& answers) {
    QVector<bool> result;
    result.reserve(answerKey.size());
    for (qsizetype k = 0; k < answerKey.size(); ++k) {
        const char given = k < answers.size() ? answers.at(k) : char(0);
        result.append(given == answerKey.at(k));
    }
    return result;
}

int rightCount(const QVector<bool>& verdicts) {
    return int(std::count(verdicts.cbegin(), verdicts.cend(), true));
}

} // namespace Scoring
