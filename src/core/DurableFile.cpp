#include "DurableFile.h"

#include "CodePage.h"

#include "Failure.h"
#include "PackedText.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {
namespace {

QString writeError() {
    return QStringLiteral("Stream write error");
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

// The in-place way of replace(): false when the file cannot be written where it is, so the
// caller reports why the temporary file could not be made.
bool rewriteExisting(const QString& path, const std::function<void(QIODevice&)>& write) {
    if (!QFileInfo(path).isFile())
        return false;
    // Unbuffered: a write that fails leaves nothing pending, so the old content can still be
    // written back over it.
    QFile target(path);
    if (!target.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    // The old content is the way back; a file too large to keep in memory is not risked.
    if (target.size() > PackedText::kMemoCapacity)
        return false;
    const QByteArray oldBytes = target.readAll();
    if (target.error() != QFileDevice::NoError || !target.seek(0))
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write(buffer);
    rewriteInPlace(target, path, oldBytes, buffer.data());
    return true;
}

// Whatever stands at `path` and is neither a regular file nor a folder (a device, a named pipe,
// a socket) is never replaced by a file of ours: it is written where it is, as any program
// writes to it, without waiting for a reader. False when the path holds no such thing.
bool writeSpecial(const QString& path, const std::function<void(QIODevice&)>& write) {
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {};
    if (::stat(encoded.constData(), &status) != 0 || S_ISREG(status.st_mode) ||
        S_ISDIR(status.st_mode))
        return false;
    const int fd = ::open(encoded.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw Failure(PackedText::createFailure(path, PackedText::systemReason(errno)));
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Failure(PackedText::createFailure(path, file.errorString()));
    }
    write(file);
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw Failure(writeError());
    return true;
}

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
    const QByteArray folder = CodePage::nativePath(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw Failure(writeError());
    const bool synced = syncDescriptor(fd);
    ::close(fd);
    if (!synced)
        throw Failure(writeError());
}

void replace(const QString& path, const std::function<void(QIODevice&)>& write) {
    if (writeSpecial(path, write))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QString reason = file.errorString();
        if (!rewriteExisting(path, write))
            throw Failure(PackedText::createFailure(path, reason));
        return;
    }
    // A failure from here on drops the temporary file when `file` goes out of scope; the old
    // file is not touched until commit() puts the new one in its place.
    write(file);
    // commit() ignores a failure of the last, buffered piece (a full disk) and of its own
    // flush to the device: both are done and looked at first.
    if (!file.flush())
        throw Failure(writeError());
    syncFile(file.handle());
    if (!file.commit())
        throw Failure(writeError());
    // The new name is an entry of the folder: only the folder's flush keeps it after a power
    // cut. If that fails the new content is in place but may not survive one, and the save is
    // reported as failed.
    syncFolderOf(path);
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

QString inPlaceLost(const QString& path) {
    return inPlaceMessage(path, QStringLiteral("Запись не удалась, и прежнее содержимое вернуть "
                                               "не удалось: файл повреждён"));
}

} // namespace DurableFile
