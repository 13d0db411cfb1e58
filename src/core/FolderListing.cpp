#include "FolderListing.h"

#include "CodePage.h"

#include <QCollator>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace FolderListing {
namespace {} // namespace

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

void sortKeyed(QVector<Keyed>& found) {
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        const int order = a.key.compare(b.key);
        if (order != 0)
            return order < 0;
        return a.entry.name < b.entry.name;
    });
}

#ifdef Q_OS_UNIX
// Reads the folder with one pass of readdir. The entry's type comes with its name, so only
// links (and file systems that do not say) cost a stat, which follows the link.
void readFolder(const QString& folder, const QString& mask, QVector<Keyed>& found) {
    const QByteArray native = CodePage::nativePath(folder);
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return;
    while (const dirent* item = ::readdir(dir)) {
        const char* raw = item->d_name;
        if (raw[0] == '.') // hidden, and "." and ".."
            continue;
        bool isFolder = false;
        switch (item->d_type) {
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
                continue; // a broken link or a loop
            if (S_ISDIR(target.st_mode))
                isFolder = true;
            else if (!S_ISREG(target.st_mode))
                continue;
            break;
        }
        default:
            continue; // pipes, sockets, devices
        }
        // File names on this platform are UTF-8, whatever the locale; one that is not was copied
        // from a Windows system and is Windows-1251 (opened again by CodePage::nativePath).
        const QString name =
            CodePage::fileName(QByteArray::fromRawData(raw, qsizetype(std::strlen(raw))));
        if (name.isNull())
            continue; // no name would open it again
        if (std::strcmp(name.toUtf8().constData(), raw) != 0) {
            // Decoded from Windows-1251: when the folder also holds that name in UTF-8, the name
            // opens that entry, so this one is not listed a second time under it.
            struct stat twin {};
            if (::lstat((native + '/' + name.toUtf8()).constData(), &twin) == 0)
                continue;
        }
        if (!matchesMask(name, mask))
            continue;
        found.append(Keyed{sortKey(name), Entry{name, isFolder}});
    }
    ::closedir(dir);
}
#else
void readFolder(const QString& folder, const QString& mask, QVector<Keyed>& found) {
    // Without QDir::Hidden and QDir::System the iterator already skips hidden entries,
    // special files and broken links.
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if ((!info.isDir() && !info.isFile()) || !matchesMask(name, mask))
            continue;
        found.append(Keyed{sortKey(name), Entry{name, info.isDir()}});
    }
}
#endif

} // namespace

QVector<Entry> entries(const QString& folder, const QString& mask) {
    QVector<Keyed> found;
    readFolder(folder, mask, found);
    sortKeyed(found);
    QVector<Entry> sorted;
    sorted.reserve(found.size());
    for (Keyed& keyed : found)
        sorted.append(std::move(keyed.entry));
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
    sortKeyed(found);
    QStringList names;
    names.reserve(found.size());
    for (Keyed& keyed : found)
        names.append(std::move(keyed.entry.name));
    return names;
}

void sortNames(QStringList& names) {
    QVector<Keyed> keyed;
    keyed.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keyed.append(Keyed{sortKey(name), Entry{name, false}});
    sortKeyed(keyed);
    for (qsizetype i = 0; i < keyed.size(); ++i)
        names[i] = keyed.at(i).entry.name;
}

} // namespace FolderListing
