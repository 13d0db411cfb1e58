#pragma once

#include "QuestionBank.h"

// The GIFT format of question banks: its single-answer multiple-choice questions.
namespace GiftBank {

// Adds every question of the bank `text` (lines separated by "\n") to `bank`.
void read(const QString& text, QuestionBank::Bank& bank);

// Why `question` cannot be written as GIFT; empty when it can.
QString unfit(const QuestionBank::Question& question);

// `questions` as a GIFT bank.
QString write(const QVector<QuestionBank::Question>& questions);

} // namespace GiftBank
