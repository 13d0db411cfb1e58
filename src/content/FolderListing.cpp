#include "FolderListing.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace FolderListing {
namespace {

bool nameLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

} // namespace

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

QVector<Entry> entries(const QString& folder, const QString& mask) {
    QVector<Entry> found;
    // Without QDir::Hidden and QDir::System the iterator already skips hidden entries,
    // special files and broken links.
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString name = info.fileName();
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        if (!info.isDir() && !info.isFile())
            continue;
        if (!matchesMask(name, mask))
            continue;
        found.append(Entry{name, info.isDir()});
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return nameLess(a.name, b.name); });
    return found;
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
    std::sort(names.begin(), names.end(), nameLess);
}

} // namespace FolderListing
