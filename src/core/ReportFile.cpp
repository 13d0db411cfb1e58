#include "ReportFile.h"

#include "CodePage.h"
#include "DurableFile.h"
#include "Failure.h"
#include "PackedText.h"
#include "SystemFile.h"

#include <QFile>

#include <bitset>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace ReportFile {
namespace {

// Writes the packed text into the freshly created file and puts it, and its name in the folder,
// on the device before the save counts as done. On any failure the file is removed (by its
// bytes on disk, `native`), since it is ours and may be only half written or lost in a power cut.
void fill(int fd, const QString& path, const QByteArray& native, const QByteArray& text) {
    QFile file;
    if (const int error = SystemFile::adoptDescriptor(file, fd, QIODevice::WriteOnly)) {
        ::unlink(native.constData());
        throw Failure(SystemFile::createFailure(path, SystemFile::systemReason(error)));
    }
    try {
        PackedText::writeStream(file, text);
        if (!file.flush())
            throw Failure(QStringLiteral("Stream write error"));
        DurableFile::syncFile(file.handle());
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw Failure(QStringLiteral("Stream write error"));
        DurableFile::syncFolderOf(path);
    } catch (...) {
        file.close();
        ::unlink(native.constData());
        throw;
    }
}

} // namespace

QString reportName(const QString& student, int number) {
    return student + QLatin1Char('(') + QString::number(number) + QLatin1Char(')');
}

QString saveNew(const QString& folder, const QString& student, const QByteArray& text,
                SaveStats* stats) {
    SaveStats local;
    SaveStats& counted = stats ? *stats : local;

    // One read of the folder tells which numbers are taken, so a student with many reports
    // does not cost one file-system call per number. The exclusive creation below still has
    // the last word: a number taken meanwhile by another writer is simply skipped.
    std::bitset<kMaxReports> taken;
    const QByteArray nativeFolder = CodePage::nativePath(folder);
    if (DIR* dir = ::opendir(nativeFolder.constData())) {
        ++counted.listings;
        // A report copied from a Windows system has its name in Windows-1251 bytes; a new one
        // of the same name in UTF-8 would hide it from the listing, so its number counts too.
        const QByteArray prefix = QFile::encodeName(student) + '(';
        const QByteArray copiedPrefix = CodePage::encode(student) + '(';
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            const qsizetype start = name.startsWith(prefix)         ? prefix.size()
                                    : name.startsWith(copiedPrefix) ? copiedPrefix.size()
                                                                    : -1;
            if (start < 0 || !name.endsWith(')'))
                continue;
            bool ok = false;
            const QByteArray digits = name.mid(start, name.size() - start - 1);
            const int n = digits.toInt(&ok);
            if (ok && n >= 0 && n < kMaxReports && digits == QByteArray::number(n))
                taken.set(size_t(n));
        }
        ::closedir(dir);
    }

    for (int n = 0; n < kMaxReports; ++n) {
        if (taken.test(size_t(n)))
            continue;
        const QString path = folder + QLatin1Char('/') + reportName(student, n);
        const QByteArray native = nativeFolder + '/' + QFile::encodeName(reportName(student, n));
        // O_EXCL makes "is it free?" and "take it" one step: no other writer can slip between.
        ++counted.createAttempts;
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            throw Failure(SystemFile::createFailure(path, SystemFile::systemReason(errno)));
        }
        fill(fd, path, native, text);
        return path;
    }
    return QString();
}

} // namespace ReportFile
