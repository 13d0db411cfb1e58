#pragma once

#include "ReportRecord.h"

#include <QString>
#include <QVector>

#include <functional>

// Every entry of every subject's reports folder, read into one row each. The folders are listed
// by the content listing, so the journal holds exactly what the report tree shows, in the same
// order. A file that cannot be read is a row saying why; nothing stops the load but the caller.
namespace ReportJournal {

// Told how far the load has come: `done` of `total` entries read. Returning false stops the
// load after the entry just read.
using Progress = std::function<bool(int done, int total)>;

struct Entry {
    QString subjectFolder;
    QString reportName;
    QString path;
};

struct Load {
    QVector<ReportRecord> rows; // the entries read, in listing order
    int entries = 0;            // how many the folders hold
    bool cancelled = false;     // stopped by the progress callback before the last entry
};

// The entries of every "<subject>/Тесты/Отчеты/" under `contentDir`, subjects in listing order.
QVector<Entry> listEntries(const QString& contentDir);

// Lists and reads every entry. `progress`, when given, is called once before the first entry
// (0 of total) and after every entry.
Load load(const QString& contentDir, const Progress& progress = Progress());

} // namespace ReportJournal
