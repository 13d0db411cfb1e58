#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// The state of one test attempt. Key letters and answers are Windows-1251 bytes; an answer slot
// holds 0 until the student answers.
struct TestAttempt {
    QString ContentDir;
    QString StudentName;
    QString GroupName;
    QString SubjectName;
    QString VariantName; // file name with its ".txt"

    QVector<qint32> QuestStarts; // line numbers of the "---" lines
    QByteArray AnswerKey;        // one letter per key line, in text order
    QByteArray Answers;          // one slot per key entry
    qint32 CurQuest = 0;
    qint32 RightCount = 0;

    // Number of questions: one fewer than the separators, never negative.
    qint32 questionCount() const { return qMax(0, qint32(QuestStarts.size()) - 1); }

    // Empties the three arrays and the counters, ready for the next start.
    void clearLoaded() {
        QuestStarts.clear();
        AnswerKey.clear();
        Answers.clear();
        CurQuest = 0;
        RightCount = 0;
    }
};
