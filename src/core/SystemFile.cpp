#include "SystemFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace SystemFile {
namespace {

QString trimReason(QString reason) {
    while (!reason.isEmpty() && (reason.back() == QLatin1Char('.') || reason.back().isSpace()))
        reason.chop(1);
    return reason;
}

QString absolutePath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

QString systemReason(int error) {
    // The reentrant form: reports are read on several threads at once.
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

QString createFailure(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2")
        .arg(absolutePath(path), trimReason(reason));
}

QString openFailure(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(absolutePath(path), trimReason(reason));
}

int adoptDescriptor(QFile& file, int fd, QIODevice::OpenMode mode) {
    errno = 0;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return 0;
    // The toolkit refuses a descriptor only when a system call on it fails, and leaves that
    // call's error number; a refusal without one is a descriptor it cannot use.
    const int error = errno != 0 ? errno : EBADF;
    ::close(fd);
    return error;
}

} // namespace SystemFile
