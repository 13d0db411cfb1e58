#include "ReportJournal.h"

#include "ContentPaths.h"
#include "JournalCache.h"
#include "PackedText.h"
#include "ReportListing.h"
#include "ReportParser.h"

#include <QSemaphore>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace ReportJournal {
namespace {

// A worker reads this many entries of one folder in a row, the folder held open meanwhile.
constexpr int kBatch = 16;
// The longest the calling thread waits for the next file before it tells its progress again.
constexpr int kWaitMs = 40;

// A subject's reports folder, opened by the first of its workers and shared by the others (on
// a network share, opening a folder costs a round trip or two).
struct SubjectFolder {
    std::once_flag opening;
    std::shared_ptr<const PackedText::OpenFolder> open;
};

// One load's shared state: the workers fill rows and statuses at their own indexes and mark
// each one ready; the calling thread takes them in order.
struct Reading {
    QString contentDir;
    const JournalCache::Entries* cached = nullptr;
    ReportRecord* rows = nullptr;
    PackedText::FileStatus* statuses = nullptr;
    std::unique_ptr<std::atomic<bool>[]> ready;
    std::atomic<bool> stop{false};
    std::atomic<int> fromFiles{0};
    QSemaphore finished;

    // Reads entries [first, first + count) of subject folder `subject`, named `names`.
    void readBatch(SubjectFolder& opened, const QString& subject, const QStringList& names,
                   int first, int offset, int count) {
        std::call_once(opened.opening, [&] {
            opened.open = std::make_shared<const PackedText::OpenFolder>(
                ContentPaths::reportsDir(contentDir, subject));
        });
        PackedText::FolderReader folder(opened.open);
        const ReportRecord* previous = nullptr;
        int done = 0;
        for (; done < count && !stop.load(std::memory_order_relaxed); ++done) {
            const int at = first + done;
            const QString& name = names.at(offset + done);
            ReportRecord& record = rows[at];
            if (!takeKept(folder, record, statuses[at])) {
                ReportParser::parseFile(folder, name, record, previous, &statuses[at]);
                fromFiles.fetch_add(1, std::memory_order_relaxed);
            }
            previous = &record;
            ready[at].store(true, std::memory_order_release);
            finished.release();
        }
        if (done < count)
            finished.release(count - done); // stopped: the rest will never come
    }

    // The row kept in the cache for the file `record` names, when the file is the same.
    bool takeKept(PackedText::FolderReader& folder, ReportRecord& record,
                  PackedText::FileStatus& status) const {
        if (!cached || cached->isEmpty())
            return false;
        const auto kept = cached->constFind(record.file());
        if (kept == cached->constEnd() || !folder.statusOf(record.reportName, status) ||
            !JournalCache::sameFile(kept->status, status)) {
            status = PackedText::FileStatus();
            return false;
        }
        const QString subjectFolder = record.subjectFolder;
        const QString reportName = record.reportName;
        record = kept->record;
        record.subjectFolder = subjectFolder;
        record.reportName = reportName;
        record.owner = status.owner; // a change of owner leaves the time as it was
        return true;
    }
};

} // namespace

QVector<Entry> listEntries(const QString& contentDir) {
    QVector<Entry> found;
    for (const ReportListing::Subject& subject : ReportListing::list(contentDir)) {
        const QString folder = ContentPaths::reportsDir(contentDir, subject.name);
        for (const QString& name : subject.reports)
            found.append(Entry{subject.name, name, folder + QLatin1Char('/') + name});
    }
    return found;
}

Load load(const QString& contentDir, const Progress& progress, const QString& cacheFile) {
    const QVector<ReportListing::Subject> subjects = ReportListing::list(contentDir);
    Load result;
    for (const ReportListing::Subject& subject : subjects)
        result.entries += int(subject.reports.size());
    const int total = result.entries;
    if (progress && !progress(0, total)) {
        result.cancelled = total > 0;
        return result;
    }
    result.rows.resize(total);
    QVector<PackedText::FileStatus> statuses(total);
    const JournalCache::Entries cached =
        cacheFile.isEmpty() ? JournalCache::Entries() : JournalCache::read(cacheFile, contentDir);

    Reading reading;
    reading.contentDir = contentDir;
    reading.cached = &cached;
    reading.rows = result.rows.data();
    reading.statuses = statuses.data();
    reading.ready = std::make_unique<std::atomic<bool>[]>(size_t(total));
    for (int i = 0; i < total; ++i)
        reading.ready[i].store(false, std::memory_order_relaxed);

    // The pool is sized for waiting on files, not for the processor's cores.
    std::vector<SubjectFolder> folders(size_t(subjects.size()));
    QThreadPool pool;
    pool.setMaxThreadCount(kInFlight);
    int first = 0;
    for (int s = 0; s < subjects.size(); ++s) {
        const ReportListing::Subject& subject = subjects.at(s);
        SubjectFolder& opened = folders[size_t(s)];
        for (int offset = 0; offset < subject.reports.size(); offset += kBatch) {
            ReportRecord* row = reading.rows + first + offset;
            for (int k = 0; k < kBatch && offset + k < subject.reports.size(); ++k) {
                row[k].subjectFolder = subject.name;
                row[k].reportName = subject.reports.at(offset + k);
            }
        }
        for (int offset = 0; offset < subject.reports.size(); offset += kBatch) {
            const int count = std::min(kBatch, int(subject.reports.size()) - offset);
            const int at = first + offset;
            pool.start([&reading, &opened, &subject, at, offset, count] {
                reading.readBatch(opened, subject.name, subject.reports, at, offset, count);
            });
        }
        first += int(subject.reports.size());
    }

    int done = 0;
    if (!progress) {
        pool.waitForDone();
        done = total;
    }
    while (done < total) {
        // Woken by the next file read, or after a while to tell the same count again.
        reading.finished.tryAcquire(1, kWaitMs);
        reading.finished.tryAcquire(reading.finished.available());
        bool go = true;
        const int before = done;
        while (go && done < total && reading.ready[done].load(std::memory_order_acquire))
            go = progress(++done, total);
        if (go && done == before)
            go = progress(done, total);
        if (!go) {
            reading.stop.store(true);
            break;
        }
    }
    pool.waitForDone();
    result.cancelled = done < total;
    result.readFromFiles = reading.fromFiles.load();
    if (result.cancelled) {
        result.rows.resize(done);
        return result;
    }
    // Written again only when it would hold something else: a report new, changed or gone.
    const int taken = total - result.readFromFiles;
    int keep = 0;
    for (int i = 0; i < total; ++i)
        keep += statuses.at(i).found && result.rows.at(i).state != ReportRecord::State::Unreadable;
    if (!cacheFile.isEmpty() && (keep != taken || cached.size() != taken))
        JournalCache::write(cacheFile, contentDir, result.rows, statuses);
    return result;
}

} // namespace ReportJournal
