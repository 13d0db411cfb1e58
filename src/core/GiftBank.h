#pragma once

#include "QuestionBank.h"

// The GIFT format of question banks: its single-answer multiple-choice questions.
namespace GiftBank {

// Adds every question of the bank `text` (lines separated by "\n") to `bank`.
void read(const QString& text, QuestionBank::Bank& bank);

// `questions` as a GIFT bank.
QString write(const QVector<QuestionBank::Question>& questions);

} // namespace GiftBank
