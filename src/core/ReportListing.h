#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the report tree shows: every subject with the entries of its reports folder.
namespace ReportListing {

struct Subject {
    QString name;
    QStringList reports; // every entry of "Тесты/Отчеты", folders included
};

// The subjects under the content root, in listing order, each with its reports in listing
// order. A subject without a reports folder has none; a missing root gives no subjects.
QVector<Subject> list(const QString& contentDir);

// list() in its two steps: read() keeps the names in the order the system gives, sort() puts
// subjects and reports in listing order (start-up reads before the launcher appears, sorts after).
QVector<Subject> read(const QString& contentDir);
void sort(QVector<Subject>& subjects);

} // namespace ReportListing
