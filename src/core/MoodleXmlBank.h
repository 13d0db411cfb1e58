#pragma once

#include "QuestionBank.h"

// The Moodle XML format of question banks: its single-answer multiple-choice questions.
namespace MoodleXmlBank {

// Adds every question of the bank `text` (lines separated by "\n") to `bank`.
void read(const QString& text, QuestionBank::Bank& bank);

// `questions` as a Moodle XML bank.
QString write(const QVector<QuestionBank::Question>& questions);

} // namespace MoodleXmlBank
