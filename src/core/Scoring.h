#pragma once

#include <QByteArray>
#include <QVector>

// Compares answers with the key: one verdict per key entry. An answer is right when it equals
// the key letter byte for byte; an unanswered slot (0) is right only against a key of 0.
namespace Scoring {

QVector<bool> verdicts(const QByteArray& answerKey, const QByteArray& answers);

int rightCount(const QVector<bool>& verdicts);

} // namespace Scoring
