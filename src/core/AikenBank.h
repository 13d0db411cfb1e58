#pragma once

#include "QuestionBank.h"

// The Aiken format of question banks: its single-answer multiple-choice questions.
namespace AikenBank {

// Adds every question of the bank `text` (lines separated by "\n") to `bank`.
void read(const QString& text, QuestionBank::Bank& bank);

// `questions` as a Aiken bank.
QString write(const QVector<QuestionBank::Question>& questions);

} // namespace AikenBank
