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

} // namespace ReportListing
