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

QVector<Branch> list(const QString& contentDir, Tree tree) {
    QVector<Branch> branches;
    for (const QString& subject : FolderListing::subjects(contentDir))
        branches.append(Branch{
            subject, FolderListing::children(folderOf(contentDir, tree, subject), maskOf(tree))});
    return branches;
}

QString pathOf(const QString& contentDir, Tree tree, const QString& subject, const QString& entry) {
    return folderOf(contentDir, tree, subject) + QLatin1Char('/') + entry;
}

} // namespace TopicTrees
