#pragma once

// Content trees that a lab meets when folders are copied from other machines or damaged: names
// that are not valid UTF-8, names with line breaks, names of 255 bytes, link loops, links out of
// the content root, folders nobody may read, a named pipe where a variant belongs, a content
// root that is a file or missing, and folders with a hundred thousand entries. Each tree also
// holds one ordinary subject, which every window must still list and open.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class TempContentTree;

namespace HostileTrees {

enum class Kind {
    BadUtf8,
    LineBreaks,
    LongNames,
    LinkLoops,
    LinkOutside,
    Unreadable,
    Pipes,
    ContentIsFile,
    ContentMissing,
    ManyVariants,
    ManyReports,
    ManyPages,
    Everything,
};

// How many entries the crowded folders hold.
constexpr int kMany = 100000;

// The ordinary subject and what it holds.
inline const QString kSubject = QStringLiteral("Алгебра");
inline const QString kVariant = QStringLiteral("Вариант 1.txt");
inline const QString kPage = QStringLiteral("01.html");
inline const QString kReport = QStringLiteral("Иван Петров(0)");
inline const QString kPipe = QStringLiteral("x.txt");
// The text of the ordinary variant: two questions, keys A and B.
QString variantText();

// What a tree promises: names each listing must show, and names none may show.
struct Expected {
    QStringList subjects;
    QMap<QString, QStringList> variants; // by subject
    QMap<QString, QStringList> pages;
    QMap<QString, QStringList> reports;
    QStringList neverListed; // in no listing at all
    QStringList pipes;       // named pipes in the tree, full paths
    QStringList unreadable;  // folders that only root may read, full paths
    bool noContent = false;  // there is no content root to list
};

// Every kind, with the name a test row shows.
QList<QPair<QString, Kind>> all();

// Makes the tree of `kind` in `tree`; `outside` is a folder beside the program's folder, outside
// the content root, that links may point to.
Expected build(Kind kind, const TempContentTree& tree, const QString& outside);

// Removes a folder and everything in it by the names on disk, links not followed: Qt cannot
// name (and so cannot remove) entries whose names are not valid UTF-8.
void removeAll(const QString& folder);

} // namespace HostileTrees
