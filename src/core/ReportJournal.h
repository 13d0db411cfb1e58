#pragma once

#include "ReportRecord.h"

#include <QString>
#include <QVector>

#include <functional>

// Every entry of every subject's reports folder, read into one row each. The folders are listed
// by the content listing, so the journal holds exactly what the report tree shows, in the same
// order. A file that cannot be read is a row saying why; nothing stops the load but the caller.
//
// The files are read by several workers at once (a network folder answers many requests at a
// time about as fast as one), and the rows are put together in listing order: what a load gives
// does not depend on which file came first.
namespace ReportJournal {

// Told how far the load has come: the first `done` of `total` entries are read. Returning false
// stops the load there.
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
    int readFromFiles = 0;      // rows read from their files, not taken from the cache
};

// How many files are read at a time.
constexpr int kInFlight = 12;

// The entries of every "<subject>/Тесты/Отчеты/" under `contentDir`, subjects in listing order.
QVector<Entry> listEntries(const QString& contentDir);

// Lists and reads every entry. `progress`, when given, is called on the calling thread once
// before the first entry (0 of total), then whenever more entries are read, and now and then
// while it waits for a slow file (with the count it had). With a `cacheFile`, the rows of
// reports that have not changed since it was written are taken from it, and a whole load
// writes it anew.
Load load(const QString& contentDir, const Progress& progress = Progress(),
          const QString& cacheFile = QString());

} // namespace ReportJournal
