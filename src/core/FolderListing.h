#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The one way the program lists its content folders. Hidden entries and entries that are
// neither a regular file nor a folder (pipes, sockets, devices, broken links) are never
// returned; masks match without regard to case; entries come sorted by name, without regard to
// case, so every window shows the same order. A missing folder simply has no entries.
namespace FolderListing {

struct Entry {
    QString name;
    bool isFolder = false;
};

// Does `name` match a mask of the form "*" or "*.ext"? A three-letter extension also matches
// longer extensions that begin with it ("*.ppt" matches "talk.pptx").
bool matchesMask(const QString& name, const QString& mask);

// Every entry of `folder` that matches `mask`, folders and files alike.
QVector<Entry> entries(const QString& folder, const QString& mask);

// The subjects: the folders directly under the content root.
QStringList subjects(const QString& contentDir);

// The names in `folder` that match `mask`; a folder whose name matches is listed like a file.
QStringList children(const QString& folder, const QString& mask);

// Orders names the way every list shows them.
void sortNames(QStringList& names);

// subjects() and children() as read, in the order the system gives: start-up reads every folder
// before the launcher appears and puts the names in order (sortNames) after it has.
QStringList subjectsAsRead(const QString& contentDir);
QStringList childrenAsRead(const QString& folder, const QString& mask);

// Puts `items` in the order sortNames() gives their names (`nameOf(item)`, one name per item, as
// the entries of a folder have).
template <typename T, typename NameOf> void sortByName(QVector<T>& items, NameOf&& nameOf) {
    QStringList names;
    QHash<QString, qsizetype> at;
    for (qsizetype i = 0; i < items.size(); ++i) {
        names.append(nameOf(items.at(i)));
        at.insert(names.last(), i);
    }
    sortNames(names);
    QVector<T> sorted;
    sorted.reserve(items.size());
    for (const QString& name : std::as_const(names))
        sorted.append(std::move(items[at.value(name)]));
    items = std::move(sorted);
}

} // namespace FolderListing
