#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// What the textbook's three trees hold, read from the content folders: one branch per subject,
// in the order of the one subject listing, each with the names that its listing for that tree
// yields. Nothing is read from the listed files themselves.
namespace TopicTrees {

enum class Tree {
    Topics,        // tv1: the subject's "*.html" pages
    Presentations, // tv2: "Презентации/*.ppt"
    Videos,        // tv3: "Видео/*.avi"
};

struct Branch {
    QString subject;
    QStringList entries;
};

// Every subject, each with its entries for `tree`; a subject without any still has its branch.
QVector<Branch> list(const QString& contentDir, Tree tree);

// list() in its two steps: read() reads every folder and keeps the names in the order the system
// gives; sort() puts the branches and their entries in listing order. Start-up reads before the
// launcher appears and sorts after.
QVector<Branch> read(const QString& contentDir, Tree tree);
void sort(QVector<Branch>& branches);

// The file behind an entry of `tree`, rebuilt from the subject's and the entry's names.
QString pathOf(const QString& contentDir, Tree tree, const QString& subject, const QString& entry);

} // namespace TopicTrees
