#include "ReportFile.h"

#include "content/Failure.h"
#include "content/PackedText.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace ReportFile {
namespace {

// Writes the packed text into the freshly created file; on any failure the file is removed,
// since it is ours and only half written.
void fill(int fd, const QString& path, const QByteArray& text) {
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        QFile::remove(path);
        throw Failure(PackedText::createFailure(path, file.errorString()));
    }
    try {
        PackedText::writeStream(file, text);
        if (!file.flush())
            throw Failure(QStringLiteral("Stream write error"));
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw Failure(QStringLiteral("Stream write error"));
    } catch (...) {
        file.close();
        QFile::remove(path);
        throw;
    }
}

} // namespace

QString reportName(const QString& student, int number) {
    return student + QLatin1Char('(') + QString::number(number) + QLatin1Char(')');
}

QString saveNew(const QString& folder, const QString& student, const QByteArray& text) {
    for (int n = 0; n < kMaxReports; ++n) {
        const QString path = folder + QLatin1Char('/') + reportName(student, n);
        const QByteArray native = QFile::encodeName(path);
        // O_EXCL makes "is it free?" and "take it" one step: no other writer can slip between.
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            throw Failure(
                PackedText::createFailure(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        fill(fd, path, text);
        return path;
    }
    return QString();
}

} // namespace ReportFile
