#include "DurableFile.h"

#include "CodePage.h"

#include "Failure.h"
#include "SystemFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {
namespace {

// The largest old content the in-place way keeps in memory to put back: a text area's capacity.
constexpr qint64 kLargestKeptBack = qint64(64) * 1024 * 1024;

QString writeError() {
    return QStringLiteral("Stream write error");
}

QString createFailed(const QString& path, int error) {
    return SystemFile::createFailure(path, SystemFile::systemReason(error));
}

// The bytes on disk of `path`: through folders whose names are in Windows-1251 bytes as well.
QByteArray nativeOf(const QString& path) {
    return CodePage::nativePath(QFileInfo(path).absoluteFilePath());
}

QByteArray folderOf(const QByteArray& native) {
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : native.left(slash);
}

// EINVAL: the file system keeps nothing of this file to flush (some special and network file
// systems); the data is as durable there as it can be made.
bool syncDescriptor(int fd) {
    int rc = 0;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 || errno == EINVAL;
}

// Puts the folder's entries on the device; 0, or the error number of the failing call.
int folderSyncError(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const bool synced = syncDescriptor(fd);
    const int error = errno;
    ::close(fd);
    return synced ? 0 : error;
}

void syncFolder(const QByteArray& folder) {
    if (folderSyncError(folder) != 0)
        throw Failure(writeError());
}

// Puts `bytes` at the start of `device` as its whole content; a file is cut to that length
// and flushed to the device.
bool putBytes(QIODevice& device, const QByteArray& bytes) {
    if (device.pos() != 0 && !device.seek(0))
        return false;
    if (device.write(bytes) != bytes.size())
        return false;
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (!file)
        return true;
    return file->flush() && file->resize(bytes.size()) && syncDescriptor(file->handle());
}

// The in-place way of replace(): false when the file `target` (bytes on disk) cannot be
// written where it is, so the caller reports why the temporary file could not be made.
bool rewriteExisting(const QString& path, const QByteArray& target,
                     const std::function<void(QIODevice&)>& write) {
    const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    // The old content is the way back; a file too large to keep in memory is not risked.
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        qint64(status.st_size) > kLargestKeptBack) {
        ::close(fd);
        return false;
    }
    // Unbuffered: a write that fails leaves nothing pending, so the old content can still be
    // written back over it.
    QFile file;
    if (SystemFile::adoptDescriptor(file, fd, QIODevice::ReadWrite | QIODevice::Unbuffered) != 0)
        return false;
    const QByteArray oldBytes = file.readAll();
    if (file.error() != QFileDevice::NoError || !file.seek(0))
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    rewriteInPlace(file, path, oldBytes, buffer.data());
    return true;
}

// Whatever stands at `native` and is neither a regular file nor a folder (a device, a named
// pipe, a socket) is never replaced by a file of ours: it is written where it is, as any program
// writes to it, without waiting for a reader. False when the path holds no such thing.
bool writeSpecial(const QString& path, const QByteArray& native,
                  const std::function<void(QIODevice&)>& write) {
    struct stat status {};
    if (::stat(native.constData(), &status) != 0 || S_ISREG(status.st_mode) ||
        S_ISDIR(status.st_mode))
        return false;
    const int fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw Failure(createFailed(path, errno));
    QFile file;
    if (const int error = SystemFile::adoptDescriptor(file, fd, QIODevice::WriteOnly))
        throw Failure(createFailed(path, error));
    write(file);
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw Failure(writeError());
    return true;
}

// The file a name that is a symbolic link leads to, link after link: the link stays, and the
// file it names takes the new content. A name that is no link (or a loop of links) is itself.
QByteArray linkTarget(const QByteArray& native) {
    QByteArray current = native;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status {};
        if (::lstat(current.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return current;
        target.truncate(n);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    return native;
}

// A folder of a lab's tree kept for its group: set-group-ID and closed to everybody else. A file
// made there is for the group alone from its first moment.
bool keptForGroup(const QByteArray& folder) {
    struct stat status {};
    return ::stat(folder.constData(), &status) == 0 && (status.st_mode & S_ISGID) &&
           (status.st_mode & S_IRWXO) == 0;
}

// A new file beside `target`, named "<name>.XXXXXX" with letters at random, made exclusively and
// with the permissions `mode` (less the user's file-creation mask). Its descriptor, or -1 with
// errno set. A name too long to take the suffix is cut first: the longest name the folder takes
// can still be saved.
int createBeside(const QByteArray& target, QByteArray& name, mode_t mode) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr qsizetype kSuffix = 7;
    const qsizetype start = target.lastIndexOf('/') + 1;
    const QByteArray stem =
        target.left(start + qMin<qsizetype>(target.size() - start, NAME_MAX - kSuffix));
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem + '.';
        for (int i = 0; i < 6; ++i)
            name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Removes the temporary file on every way out but the one that put it in place.
class Temporary {
public:
    explicit Temporary(QByteArray name)
        : m_name(std::move(name)) {}
    ~Temporary() {
        if (!m_name.isEmpty())
            ::unlink(m_name.constData());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    void placed() { m_name.clear(); }

private:
    QByteArray m_name;
};

QString inPlaceMessage(const QString& path, const QString& outcome) {
    const QFileInfo info(path);
    return QStringLiteral("%1\nВ папке «%2» нельзя создавать файлы, поэтому файл «%3» "
                          "записывался на своём месте. %4")
        .arg(writeError(), QDir::toNativeSeparators(info.absolutePath()), info.fileName(), outcome);
}

} // namespace

void syncFile(int fd) {
    if (!syncDescriptor(fd))
        throw Failure(writeError());
}

void syncFolderOf(const QString& path) {
    // By its bytes on disk, which for a folder copied from a Windows system are Windows-1251.
    syncFolder(CodePage::nativePath(QFileInfo(path).absolutePath()));
}

void replace(const QString& path, const std::function<void(QIODevice&)>& write) {
    // Every step by the bytes on disk: a folder copied from a Windows system keeps its
    // Windows-1251 name and gets the file, rather than a new folder under the UTF-8 spelling.
    const QByteArray native = nativeOf(path);
    if (writeSpecial(path, native, write))
        return;
    const QByteArray target = linkTarget(native);
    struct stat existing {};
    const bool exists = ::stat(target.constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        throw Failure(createFailed(path, EISDIR));
    // A file that its owner made read-only is not replaced, even where its folder would let us.
    if (exists && ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        throw Failure(createFailed(path, errno));
    const bool forGroup = keptForGroup(folderOf(target));
    QByteArray temporaryName;
    const int fd = createBeside(target, temporaryName, forGroup ? 0660 : 0666);
    if (fd < 0) {
        const int error = errno;
        if (!exists || !rewriteExisting(path, target, write))
            throw Failure(createFailed(path, error));
        return;
    }
    // A failure from here on removes the temporary file; the old file is not touched until the
    // rename puts the new one in its place.
    Temporary temporary(temporaryName);
    QFile file;
    if (const int error = SystemFile::adoptDescriptor(file, fd, QIODevice::WriteOnly))
        throw Failure(createFailed(path, error));
    // The new content keeps who may read and write the file it replaces; in a folder kept for
    // a group, the group reads and writes it and nobody else does.
    mode_t mode = exists ? existing.st_mode & 07777 : 0;
    if (forGroup)
        mode = (mode & ~mode_t(S_IRWXO)) | S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP;
    if (exists || forGroup)
        ::fchmod(fd, mode);
    write(file);
    if (!file.flush())
        throw Failure(writeError());
    syncFile(fd);
    file.close();
    if (file.error() != QFileDevice::NoError ||
        ::rename(temporaryName.constData(), target.constData()) != 0)
        throw Failure(writeError());
    temporary.placed();
    // The new name is an entry of the folder: only the folder's flush keeps it after a power
    // cut. If that fails the new content is in place but may not survive one, and the user is
    // told just that. Not tried again: after a failed flush, a second one may succeed without
    // the data having reached the device.
    if (const int error = folderSyncError(folderOf(target)))
        throw Failure(folderNotFlushed(path, error));
}

void rewriteInPlace(QIODevice& device, const QString& path, const QByteArray& oldBytes,
                    const QByteArray& newBytes) {
    if (putBytes(device, newBytes))
        return;
    throw Failure(putBytes(device, oldBytes) ? inPlaceRestored(path) : inPlaceLost(path));
}

QString inPlaceRestored(const QString& path) {
    return inPlaceMessage(path, QStringLiteral("Запись не удалась, прежнее содержимое файла "
                                               "восстановлено"));
}

QString folderNotFlushed(const QString& path, int error) {
    const QFileInfo info(path);
    return QStringLiteral("Файл «%1» сохранён, но папка «%2» не записана на диск (%3): после "
                          "сбоя питания файла в ней может не оказаться.")
        .arg(info.fileName(), QDir::toNativeSeparators(info.absolutePath()),
             SystemFile::systemReason(error));
}

QString inPlaceLost(const QString& path) {
    return inPlaceMessage(path, QStringLiteral("Запись не удалась, и прежнее содержимое вернуть "
                                               "не удалось: файл повреждён"));
}

} // namespace DurableFile
