#include "FolderListing.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

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
    QString key; // case-folded name
    Entry entry;
};

void sortKeyed(QVector<Keyed>& found) {
    std::sort(found.begin(), found.end(), [](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return a.entry.name < b.entry.name;
    });
}

#ifdef Q_OS_UNIX
// Reads the folder with one pass of readdir. The entry's type comes with its name, so only
// links (and file systems that do not say) cost a stat, which follows the link.
void readFolder(const QString& folder, const QString& mask, QVector<Keyed>& found) {
    const QByteArray native = QFile::encodeName(folder);
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
        const QString name = QFile::decodeName(raw);
        if (!matchesMask(name, mask))
            continue;
        found.append(Keyed{name.toCaseFolded(), Entry{name, isFolder}});
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
        found.append(Keyed{name.toCaseFolded(), Entry{name, info.isDir()}});
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
    QStringList names;
    for (const Entry& entry : entries(folder, mask))
        names.append(entry.name);
    return names;
}

void sortNames(QStringList& names) {
    QVector<Keyed> keyed;
    keyed.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keyed.append(Keyed{name.toCaseFolded(), Entry{name, false}});
    sortKeyed(keyed);
    for (qsizetype i = 0; i < keyed.size(); ++i)
        names[i] = keyed.at(i).entry.name;
}

} // namespace FolderListing
