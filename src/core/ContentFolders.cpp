#include "ContentFolders.h"

#include "ContentPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

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
    if (!QDir().mkdir(path))
        return false;
    // A content tree shared by the users of one computer is open to all of them; a folder made
    // in it by one user (a new subject, the first report's folder) must stay open to the others,
    // or the next student's report could not be saved.
    struct stat parent {};
    const QByteArray parentPath = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::stat(parentPath.constData(), &parent) == 0 && (parent.st_mode & S_IWOTH))
        ::chmod(QFile::encodeName(path).constData(), parent.st_mode & 07777);
    return true;
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
    // A subject whose folder begins with "." would be hidden: made, and never listed.
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("Название предмета не может начинаться с точки.");
    return QString();
}

} // namespace ContentFolders
