#pragma once

#include <QString>

// The keys that answer a question as the buttons "A" to "E" do: the Latin letters, the keys in
// the same places on a Russian keyboard (Ф И С В У), the Cyrillic letters that look like A and
// E (А, Е; С is in C's place anyway), and the digits 1 to 5. The Cyrillic В is D's place on a
// Russian keyboard and counts as D.
namespace AnswerKeys {

// The answer letter for the text a key press gives; 0 for any other key.
char letterFor(const QString& text);

// The keys of one answer letter, as a button's tool tip names them.
QString keysOf(char letter);

} // namespace AnswerKeys
