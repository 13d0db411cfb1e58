#pragma once

#include "PackedText.h"
#include "ReportRecord.h"

#include <QHash>
#include <QString>
#include <QVector>

// What the journal read last time, kept in the user's own cache so that a later load reads only
// the reports that are new or changed. A report is known again by its subject folder and name,
// its size, its modification time and its inode; anything else about it is read from the file.
// The cache is only ever a shortcut: a file that is missing, damaged, of another content folder
// or not the user's own alone is ignored (and written anew by the next load).
namespace JournalCache {

struct Entry {
    PackedText::FileStatus status; // of the file the record was read from
    ReportRecord record;
};

// Entries by "subject folder/report name".
using Entries = QHash<QString, Entry>;

// The cache file of `contentDir` for this user: "$XDG_CACHE_HOME/normakurs/", else
// "~/.cache/normakurs/", and a name made from the content folder's canonical path.
QString fileFor(const QString& contentDir);

// The entries kept in `file` for `contentDir`; none when the file is missing or is not to be
// trusted.
Entries read(const QString& file, const QString& contentDir);

// Puts `rows` (each with the status of its file; those without one, and those that could not be
// read, skipped) into `file` for
// `contentDir`, readable and writable by the user alone. Failures are silent: the journal works
// without its cache.
void write(const QString& file, const QString& contentDir, const QVector<ReportRecord>& rows,
           const QVector<PackedText::FileStatus>& statuses);

// Is a record kept for a file of `kept` status good for a file of `now` status?
bool sameFile(const PackedText::FileStatus& kept, const PackedText::FileStatus& now);

} // namespace JournalCache
