#include "FolderListing.h"

#include "CodePage.h"

#include <QCollator>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef Q_OS_UNIX
#include "FolderEntries.h"

#include <sys/stat.h>
#endif

namespace FolderListing {

bool matchesMask(const QString& name, const QString& mask) {
    if (mask == QLatin1String("*"))
        return true;
    if (!mask.startsWith(QLatin1String("*.")))
        return QString::compare(name, mask, Qt::CaseInsensitive) == 0;
    const QStringView wanted = QStringView(mask).mid(2);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(name).mid(dot + 1);
    if (wanted.size() == 3)
        return extension.startsWith(wanted, Qt::CaseInsensitive);
    return extension.compare(wanted, Qt::CaseInsensitive) == 0;
}

namespace {

// An entry with the key it sorts by, computed once instead of in every comparison.
struct Keyed {
    QCollatorSortKey key;
    Entry entry;
};

} // namespace
} // namespace FolderListing

// A key and a name are each one shared pointer: a growing list moves them as bytes, instead of
// copying every key (the key has no move constructor) and releasing the old one.
Q_DECLARE_TYPEINFO(FolderListing::Keyed, Q_RELOCATABLE_TYPE);

namespace FolderListing {
namespace {

// The order a Russian reader expects: the toolkit's collator for Russian (its own collation
// data, whatever the system's locale), case ignored, Ё beside Е, numbers by value. The collator
// is made once per thread: making one loads its collation data.
const QCollator& russianCollator() {
    thread_local const QCollator collator = [] {
        QCollator made{QLocale(QLocale::Russian, QLocale::Russia)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(true);
        made.setIgnorePunctuation(false);
        return made;
    }();
    return collator;
}

QCollatorSortKey sortKey(const QString& name) {
    return russianCollator().sortKey(name);
}

// The positions of `found` in listing order. The positions are sorted, not the entries: moving
// an entry would copy its key.
std::vector<qsizetype> sortedOrder(const QVector<Keyed>& found) {
    std::vector<qsizetype> order(size_t(found.size()));
    for (qsizetype i = 0; i < found.size(); ++i)
        order[size_t(i)] = i;
    std::sort(order.begin(), order.end(), [&found](qsizetype a, qsizetype b) {
        const int byKey = found.at(a).key.compare(found.at(b).key);
        if (byKey != 0)
            return byKey < 0;
        return found.at(a).entry.name < found.at(b).entry.name;
    });
    return order;
}

// A listing to be sorted keeps each name's key, made as it is read; one kept as read, the name.
void append(QVector<Keyed>& found, const QString& name, bool isFolder) {
    found.append(Keyed{sortKey(name), Entry{name, isFolder}});
}
void append(QVector<Entry>& found, const QString& name, bool isFolder) {
    found.append(Entry{name, isFolder});
}

#ifdef Q_OS_UNIX
// Reads the folder with one pass of readdir. The entry's type comes with its name, so only
// links (and file systems that do not say) cost a stat, which follows the link. The folder is
// opened by its UTF-8 bytes first and looked for in another spelling only when that fails: on a
// network share each look is a round trip, and most listings are of folders that exist by those
// bytes, or (a subject without videos) of folders that do not exist at all.
template <typename Found>
void readFolder(const QString& folder, const QString& mask, QVector<Found>& found) {
    QByteArray native = QFile::encodeName(folder);
    const auto visit = [&](const dirent& item) {
        const char* raw = item.d_name;
        if (raw[0] == '.') // hidden
            return;
        bool isFolder = false;
        switch (item.d_type) {
        case DT_DIR:
            isFolder = true;
            break;
        case DT_REG:
            break;
        case DT_LNK:
        case DT_UNKNOWN: {
            struct stat target {};
            const QByteArray path = native + '/' + raw;
            if (::stat(path.constData(), &target) != 0)
                return; // a broken link or a loop
            if (S_ISDIR(target.st_mode))
                isFolder = true;
            else if (!S_ISREG(target.st_mode))
                return;
            break;
        }
        default:
            return; // pipes, sockets, devices
        }
        // File names on this platform are UTF-8, whatever the locale; one that is not was copied
        // from a Windows system and is Windows-1251 (opened again by CodePage::nativePath).
        bool fromWindows1251 = false;
        const QString name = CodePage::fileName(
            QByteArray::fromRawData(raw, qsizetype(std::strlen(raw))), &fromWindows1251);
        if (name.isNull())
            return; // no name would open it again
        if (fromWindows1251) {
            // Decoded from Windows-1251: when the folder also holds that name in UTF-8, the name
            // opens that entry, so this one is not listed a second time under it.
            struct stat twin {};
            if (::lstat((native + '/' + name.toUtf8()).constData(), &twin) == 0)
                return;
        }
        if (!matchesMask(name, mask))
            return;
        append(found, name, isFolder);
    };
    if (FolderEntries::forEach(native, visit))
        return;
    native = CodePage::otherSpelling(folder);
    if (!native.isEmpty())
        FolderEntries::forEach(native, visit);
}
#else
template <typename Found>
void readFolder(const QString& folder, const QString& mask, QVector<Found>& found) {
    // Without QDir::Hidden and QDir::System the iterator already skips hidden entries,
    // special files and broken links.
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if ((!info.isDir() && !info.isFile()) || !matchesMask(name, mask))
            continue;
        append(found, name, info.isDir());
    }
}
#endif

} // namespace

QVector<Entry> entries(const QString& folder, const QString& mask) {
    QVector<Keyed> found;
    readFolder(folder, mask, found);
    QVector<Entry> sorted;
    sorted.reserve(found.size());
    for (const qsizetype i : sortedOrder(found))
        sorted.append(std::move(found[i].entry));
    return sorted;
}

QStringList subjects(const QString& contentDir) {
    QStringList names;
    for (const Entry& entry : entries(contentDir, QStringLiteral("*"))) {
        if (entry.isFolder)
            names.append(entry.name);
    }
    return names;
}

QStringList children(const QString& folder, const QString& mask) {
    QVector<Keyed> found;
    readFolder(folder, mask, found);
    QStringList names;
    names.reserve(found.size());
    for (const qsizetype i : sortedOrder(found))
        names.append(std::move(found[i].entry.name));
    return names;
}

QStringList subjectsAsRead(const QString& contentDir) {
    QVector<Entry> found;
    readFolder(contentDir, QStringLiteral("*"), found);
    QStringList names;
    for (Entry& entry : found) {
        if (entry.isFolder)
            names.append(std::move(entry.name));
    }
    return names;
}

QStringList childrenAsRead(const QString& folder, const QString& mask) {
    QVector<Entry> found;
    readFolder(folder, mask, found);
    QStringList names;
    names.reserve(found.size());
    for (Entry& entry : found)
        names.append(std::move(entry.name));
    return names;
}

void sortNames(QStringList& names) {
    QVector<Keyed> keyed;
    keyed.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keyed.append(Keyed{sortKey(name), Entry{name, false}});
    const std::vector<qsizetype> order = sortedOrder(keyed);
    for (qsizetype i = 0; i < keyed.size(); ++i)
        names[i] = keyed.at(order[size_t(i)]).entry.name;
}

} // namespace FolderListing
