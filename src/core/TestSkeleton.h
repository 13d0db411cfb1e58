#pragma once

#include <QString>

// The skeleton of a new test that "Создать тест" writes into the editor: a "---" line, then for
// every question its number line, the five answer lines "A)" to "E)" and a closing "---". It has
// no key lines; the teacher adds them.
namespace TestSkeleton {

inline constexpr int kMinQuestions = 1;
inline constexpr int kMaxQuestions = 200;
inline constexpr int kStartQuestions = 30;

// The question count that the count field's text stands for: its whole number kept within 1 to
// 200. A smaller number counts as 1, a larger one as 200, and a text that is not a whole number
// as 1.
int questionCount(const QString& typed);

// The skeleton with `questions` questions (kept within 1 to 200) as editor text: lines separated
// by "\n", and a "\n" after the last "---" as well.
QString text(int questions);

} // namespace TestSkeleton
