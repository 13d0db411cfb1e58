#include "ContentFolders.h"

#include "ContentPaths.h"

#include <QDir>
#include <QFileInfo>

namespace ContentFolders {

bool folderExists(const QString& path) {
    return QFileInfo(path).isDir();
}

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return (info.exists() || info.isSymLink()) && !info.isDir();
}

bool createFolder(const QString& path) {
    if (QFileInfo::exists(path))
        return false;
    return QDir().mkdir(path);
}

void createSubject(const QString& contentDir, const QString& name) {
    const QString subject = ContentPaths::subjectDir(contentDir, name);
    createFolder(subject);
    createFolder(ContentPaths::testsDir(contentDir, name));
    createFolder(ContentPaths::videosDir(contentDir, name));
    createFolder(ContentPaths::presentationsDir(contentDir, name));
}

QString subjectNameProblem(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("Введите название предмета.");
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("Название предмета не может содержать символы «/» и «\\».");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("Название предмета не может быть «.» или «..».");
    return QString();
}

} // namespace ContentFolders
