#include "TopicTrees.h"

#include "ContentPaths.h"
#include "FolderListing.h"

namespace TopicTrees {
namespace {

QString folderOf(const QString& contentDir, Tree tree, const QString& subject) {
    switch (tree) {
    case Tree::Presentations:
        return ContentPaths::presentationsDir(contentDir, subject);
    case Tree::Videos:
        return ContentPaths::videosDir(contentDir, subject);
    case Tree::Topics:
        break;
    }
    return ContentPaths::subjectDir(contentDir, subject);
}

QString maskOf(Tree tree) {
    switch (tree) {
    case Tree::Presentations:
        return QStringLiteral("*.ppt");
    case Tree::Videos:
        return QStringLiteral("*.avi");
    case Tree::Topics:
        break;
    }
    return QStringLiteral("*.html");
}

} // namespace

QVector<Branch> read(const QString& contentDir, Tree tree) {
    QVector<Branch> branches;
    for (const QString& subject : FolderListing::subjectsAsRead(contentDir))
        branches.append(Branch{subject, FolderListing::childrenAsRead(
                                            folderOf(contentDir, tree, subject), maskOf(tree))});
    return branches;
}

void sort(QVector<Branch>& branches) {
    FolderListing::sortByName(branches, [](const Branch& branch) { return branch.subject; });
    for (Branch& branch : branches)
        FolderListing::sortNames(branch.entries);
}

QVector<Branch> list(const QString& contentDir, Tree tree) {
    QVector<Branch> branches = read(contentDir, tree);
    sort(branches);
    return branches;
}

QString pathOf(const QString& contentDir, Tree tree, const QString& subject, const QString& entry) {
    return folderOf(contentDir, tree, subject) + QLatin1Char('/') + entry;
}

} // namespace TopicTrees
