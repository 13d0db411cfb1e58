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
    struct stat parent {};
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray parentPath = slash > 0 ? native.left(slash) : QByteArray("/");
    const bool parentKnown = ::stat(parentPath.constData(), &parent) == 0;
    // A content tree shared by the users of one computer is open to all of them; a folder made
    // in it by one user (a new subject, the first report's folder) must stay open to the others,
    // or the next student's report could not be saved.
    if (parentKnown && (parent.st_mode & S_IWOTH)) {
        if (::mkdir(native.constData(), 0777) != 0)
            return false;
        ::chmod(native.constData(), parent.st_mode & 07777);
        return true;
    }
    // A lab's tree belongs to a group (set-group-ID folders): tests and everything below them
    // are for the group alone, any other folder is readable by everybody and written by the
    // group. Made private first, so that nobody else reaches it before it has its mode.
    if (parentKnown && (parent.st_mode & S_ISGID)) {
        if (::mkdir(native.constData(), 0700) != 0)
            return false;
        const QFileInfo made(path);
        const bool groupOnly = made.fileName() == ContentPaths::kTests ||
                               QFileInfo(made.absolutePath()).fileName() == ContentPaths::kTests ||
                               (parent.st_mode & S_IRWXO) == 0;
        ::chmod(native.constData(), groupOnly ? 02770 : 02775);
        return true;
    }
    return ::mkdir(native.constData(), 0777) == 0;
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
