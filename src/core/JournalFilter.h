#pragma once

#include "ReportRecord.h"

#include <QString>
#include <QStringList>
#include <QVector>

// The journal page's filters: subject, group and test chosen from the values the rows hold, and
// a search over the students' names. An empty filter lets every row through.
struct JournalFilter {
    QString subject; // the report's "Предмет: " text, exactly
    QString group;   // "Группа: ", exactly
    QString test;    // "Тест: ", exactly
    QString search;  // part of "Имя фамилия: ", without regard to case

    bool matches(const ReportRecord& record) const;

    // The rows that pass, in their order.
    QVector<ReportRecord> apply(const QVector<ReportRecord>& rows) const;
};

// The values a filter can choose from, each once, in the order every list of names shows.
namespace JournalChoices {
QStringList subjects(const QVector<ReportRecord>& rows);
QStringList groups(const QVector<ReportRecord>& rows);
QStringList tests(const QVector<ReportRecord>& rows);
} // namespace JournalChoices
