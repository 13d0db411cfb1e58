#include "ReportJournal.h"

#include "ContentPaths.h"
#include "FolderListing.h"
#include "ReportParser.h"

namespace ReportJournal {

QVector<Entry> listEntries(const QString& contentDir) {
    QVector<Entry> found;
    for (const QString& subject : FolderListing::subjects(contentDir)) {
        const QString folder = ContentPaths::reportsDir(contentDir, subject);
        for (const QString& name : FolderListing::children(folder, QStringLiteral("*")))
            found.append(Entry{subject, name, folder + QLatin1Char('/') + name});
    }
    return found;
}

Load load(const QString& contentDir, const Progress& progress) {
    const QVector<Entry> found = listEntries(contentDir);
    Load result;
    result.entries = int(found.size());
    result.rows.reserve(found.size());
    if (progress && !progress(0, result.entries)) {
        result.cancelled = result.entries > 0;
        return result;
    }
    for (const Entry& entry : found) {
        ReportRecord record;
        record.subjectFolder = entry.subjectFolder;
        record.reportName = entry.reportName;
        ReportParser::parseFile(entry.path, record);
        result.rows.append(std::move(record));
        const int done = int(result.rows.size());
        if (progress && !progress(done, result.entries)) {
            result.cancelled = done < result.entries;
            return result;
        }
    }
    return result;
}

} // namespace ReportJournal
