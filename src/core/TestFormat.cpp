#include "TestFormat.h"

#include "CodePage.h"
#include "TestAttempt.h"

namespace TestFormat {

bool isSeparator(const QString& line) {
    return line == kSeparator;
}

bool isKeyLine(const QString& line) {
    return !line.isEmpty() && line.front() == kGrave;
}

char keyLetter(const QString& keyLine) {
    if (keyLine.size() < 2)
        return 0;
    return CodePage::upperAnsi(CodePage::encodeChar(keyLine.at(1).unicode()));
}

void ReadAndLoadTest(QStringList& lines, TestAttempt& attempt) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString& line = lines[i];
        if (isSeparator(line)) {
            attempt.QuestStarts.append(qint32(i));
        } else if (isKeyLine(line)) {
            attempt.AnswerKey.append(keyLetter(line));
            line.remove(0, 1);
            attempt.Answers.append(char(0));
        }
    }
}

QStringList questionLines(const QStringList& lines, const TestAttempt& attempt, int index) {
    if (index < 0 || index + 1 >= attempt.QuestStarts.size())
        return {};
    const qsizetype first = attempt.QuestStarts.at(index) + 1;
    const qsizetype last = attempt.QuestStarts.at(index + 1); // exclusive
    return lines.mid(first, last - first);
}

} // namespace TestFormat
