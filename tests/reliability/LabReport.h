#pragma once

// The report of one writer in the concurrent lab: the report text of the testing window, made
// different for every writer (variant, answers), so that each file shows whose report it holds.

#include "ReportText.h"
#include "Scoring.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QDateTime>
#include <QLocale>

namespace LabReport {

inline QByteArray text(const QString& student, int writer) {
    TestAttempt attempt;
    attempt.StudentName = student;
    attempt.GroupName = QStringLiteral("ИС-%1").arg(writer % 7);
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант %1.txt").arg(writer);
    for (int k = 0; k < 30; ++k) {
        attempt.AnswerKey.append("ABCDE"[k % 5]);
        attempt.Answers.append("ABCDE"[(k + writer) % 5]);
    }
    const QVector<bool> verdicts = Scoring::verdicts(attempt.AnswerKey, attempt.Answers);
    const QStringList lines =
        ReportText::lines(attempt, verdicts, QDateTime(QDate(2014, 3, 5), QTime(9, 7, writer % 60)),
                          QLocale(QLocale::Russian, QLocale::Russia));
    return TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

} // namespace LabReport
