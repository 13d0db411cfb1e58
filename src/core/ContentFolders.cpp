#include "ContentFolders.h"

#include "CodePage.h"
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
    // By the bytes on disk: a subject whose name came in Windows-1251 bytes gets its new folder
    // inside its own folder, not beside it under a UTF-8 name.
    const QByteArray native = CodePage::nativePath(QFileInfo(path).absoluteFilePath());
    struct stat existing {};
    if (::lstat(native.constData(), &existing) == 0)
        return false;
    if (::mkdir(native.constData(), 0777) != 0)
        return false;
    // A content tree shared by the users of one computer is open to all of them; a folder made
    // in it by one user (a new subject, the first report's folder) must stay open to the others,
    // or the next student's report could not be saved.
    struct stat parent {};
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray parentPath = slash > 0 ? native.left(slash) : QByteArray("/");
    if (::stat(parentPath.constData(), &parent) == 0 && (parent.st_mode & S_IWOTH))
        ::chmod(native.constData(), parent.st_mode & 07777);
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
