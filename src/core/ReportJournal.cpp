#include "ReportJournal.h"

#include "ContentPaths.h"
#include "PackedText.h"
#include "ReportListing.h"
#include "ReportParser.h"

namespace ReportJournal {

QVector<Entry> listEntries(const QString& contentDir) {
    QVector<Entry> found;
    for (const ReportListing::Subject& subject : ReportListing::list(contentDir)) {
        const QString folder = ContentPaths::reportsDir(contentDir, subject.name);
        for (const QString& name : subject.reports)
            found.append(Entry{subject.name, name, folder + QLatin1Char('/') + name});
    }
    return found;
}

Load load(const QString& contentDir, const Progress& progress) {
    const QVector<ReportListing::Subject> subjects = ReportListing::list(contentDir);
    Load result;
    for (const ReportListing::Subject& subject : subjects)
        result.entries += int(subject.reports.size());
    result.rows.reserve(result.entries);
    if (progress && !progress(0, result.entries)) {
        result.cancelled = result.entries > 0;
        return result;
    }
    for (const ReportListing::Subject& subject : subjects) {
        if (subject.reports.isEmpty())
            continue;
        // The folder is held open while its entries are read, so that the system looks up each
        // report by its name alone.
        PackedText::FolderReader folder(ContentPaths::reportsDir(contentDir, subject.name));
        for (const QString& name : subject.reports) {
            ReportRecord& record = result.rows.emplace_back();
            record.subjectFolder = subject.name;
            record.reportName = name;
            const int done = int(result.rows.size());
            // The rows are reserved: the one before stays where it is.
            const ReportRecord* previous = done > 1 ? &result.rows.at(done - 2) : nullptr;
            ReportParser::parseFile(folder, name, record, previous);
            if (progress && !progress(done, result.entries)) {
                result.cancelled = done < result.entries;
                return result;
            }
        }
    }
    return result;
}

} // namespace ReportJournal
