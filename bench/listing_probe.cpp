// Times each listing the program reads at start-up, one after the other as the windows read
// them, over the content folder given (a network share, for bench/share/journal-share.sh):
// the textbook's three trees, the testing window's subjects and the teacher's report tree.
// Prints "name_ms=…" for each and the entries the report tree holds.
//
//   normakurs-listing-probe CONTENT_FOLDER/
#include "FolderListing.h"
#include "ReportListing.h"
#include "TopicTrees.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace {

template <typename Read> void timed(const char* name, Read&& read) {
    QElapsedTimer timer;
    timer.start();
    const qsizetype entries = read();
    std::printf("%s_ms=%.1f %s_entries=%lld\n", name, double(timer.nsecsElapsed()) / 1e6, name,
                static_cast<long long>(entries));
}

qsizetype treeEntries(const QString& content, TopicTrees::Tree tree) {
    qsizetype entries = 0;
    for (const TopicTrees::Branch& branch : TopicTrees::list(content, tree))
        entries += 1 + branch.entries.size();
    return entries;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: normakurs-listing-probe CONTENT_FOLDER/\n", stderr);
        return 2;
    }
    const QString content = QString::fromLocal8Bit(argv[1]);
    timed("topics", [&] { return treeEntries(content, TopicTrees::Tree::Topics); });
    timed("presentations", [&] { return treeEntries(content, TopicTrees::Tree::Presentations); });
    timed("videos", [&] { return treeEntries(content, TopicTrees::Tree::Videos); });
    timed("subjects", [&] { return FolderListing::subjects(content).size(); });
    timed("reports", [&] {
        qsizetype entries = 0;
        for (const ReportListing::Subject& subject : ReportListing::list(content))
            entries += 1 + subject.reports.size();
        return entries;
    });
    return 0;
}
