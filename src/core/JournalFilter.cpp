#include "JournalFilter.h"

#include "FolderListing.h"

#include <QSet>

bool JournalFilter::matches(const ReportRecord& record) const {
    if (!subject.isEmpty() && record.subject != subject)
        return false;
    if (!group.isEmpty() && record.group != group)
        return false;
    if (!test.isEmpty() && record.test != test)
        return false;
    return search.isEmpty() || record.student.contains(search, Qt::CaseInsensitive);
}

QVector<ReportRecord> JournalFilter::apply(const QVector<ReportRecord>& rows) const {
    QVector<ReportRecord> kept;
    for (const ReportRecord& row : rows) {
        if (matches(row))
            kept.append(row);
    }
    return kept;
}

namespace JournalChoices {
namespace {

QStringList distinct(const QVector<ReportRecord>& rows, QString ReportRecord::*field) {
    QSet<QString> seen;
    QStringList values;
    for (const ReportRecord& row : rows) {
        const QString& value = row.*field;
        if (!value.isEmpty() && !seen.contains(value)) {
            seen.insert(value);
            values.append(value);
        }
    }
    FolderListing::sortNames(values);
    return values;
}

} // namespace

QStringList subjects(const QVector<ReportRecord>& rows) {
    return distinct(rows, &ReportRecord::subject);
}

QStringList groups(const QVector<ReportRecord>& rows) {
    return distinct(rows, &ReportRecord::group);
}

QStringList tests(const QVector<ReportRecord>& rows) {
    return distinct(rows, &ReportRecord::test);
}

} // namespace JournalChoices
