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
#include <sys/stat.h>
#include <unistd.h>

namespace ReportFile {
namespace {

// The permissions a new file gets from the user's file-creation mask, read without changing it
// (changing it would be seen by every thread of the program for a moment).
mode_t creationMode() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(0666 & ~mask);
            }
        }
    }
    return 0644;
}

// Who may read a report: in a folder kept for a group (set-group-ID, closed to everybody else)
// the student's account and the group (the teachers) do; elsewhere, as any new file.
mode_t reportMode(const QByteArray& folder) {
    struct stat status {};
    if (::stat(folder.constData(), &status) == 0 && (status.st_mode & S_ISGID) &&
        (status.st_mode & S_IRWXO) == 0)
        return S_IRUSR | S_IWUSR | S_IRGRP;
    return creationMode();
}

// Writes the whole packed report into the temporary file `fd` and puts it on the device. The
// file is removed on any failure.
void fill(int fd, const QString& path, const QByteArray& temporary, const QByteArray& text,
          mode_t mode) {
    QFile file;
    if (const int error = SystemFile::adoptDescriptor(file, fd, QIODevice::WriteOnly)) {
        ::unlink(temporary.constData());
        throw Failure(SystemFile::createFailure(path, SystemFile::systemReason(error)));
    }
    try {
        PackedText::writeStream(file, text);
        if (!file.flush() || ::fchmod(file.handle(), mode) != 0)
            throw Failure(QStringLiteral("Stream write error"));
        DurableFile::syncFile(file.handle());
        file.close();
        if (file.error() != QFileDevice::NoError)
            throw Failure(QStringLiteral("Stream write error"));
    } catch (...) {
        file.close();
        ::unlink(temporary.constData());
        throw;
    }
}

// Where a folder takes no second name for a file (some network shares), a name is taken by
// creating it exclusively and writing into it, as before links were used: a reader may then
// see the report while it is written. Returns false when the name is taken.
bool writeInPlace(const QString& path, const QByteArray& native, const QByteArray& text,
                  mode_t mode) {
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        throw Failure(SystemFile::createFailure(path, SystemFile::systemReason(errno)));
    }
    fill(fd, path, native, text, mode);
    return true;
}

bool linksUnsupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EXDEV ||
           error == EMLINK;
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
    // does not cost one file-system call per number. The link below still has the last word: a
    // number taken meanwhile by another writer is simply skipped.
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

    int first = 0;
    while (first < kMaxReports && taken.test(size_t(first)))
        ++first;
    if (first == kMaxReports)
        return QString();

    // The whole report is written and flushed under a hidden temporary name first; a link then
    // gives it the first free report name in one step that fails when the name is taken, so no
    // reader ever sees a report that is not complete, and no other writer's report is replaced.
    const mode_t mode = reportMode(nativeFolder);
    QByteArray temporary = nativeFolder + "/.report.XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        throw Failure(
            SystemFile::createFailure(folder + QLatin1Char('/') + reportName(student, first),
                                      SystemFile::systemReason(errno)));
    }
    fill(fd, folder + QLatin1Char('/') + reportName(student, first), temporary, text, mode);

    bool linking = true;
    for (int n = first; n < kMaxReports; ++n) {
        if (taken.test(size_t(n)))
            continue;
        const QString path = folder + QLatin1Char('/') + reportName(student, n);
        const QByteArray native = nativeFolder + '/' + QFile::encodeName(reportName(student, n));
        ++counted.createAttempts;
        if (linking) {
            if (::link(temporary.constData(), native.constData()) != 0) {
                const int error = errno;
                if (error == EEXIST)
                    continue;
                if (!linksUnsupported(error)) {
                    ::unlink(temporary.constData());
                    throw Failure(SystemFile::createFailure(path, SystemFile::systemReason(error)));
                }
                ::unlink(temporary.constData());
                linking = false;
            }
        }
        if (!linking && !writeInPlace(path, native, text, mode))
            continue;
        if (linking)
            ::unlink(temporary.constData());
        // The new name is an entry of the folder: only the folder's flush keeps it after a
        // power cut. A report that may not survive one is taken back and reported as failed.
        try {
            DurableFile::syncFolderOf(path);
        } catch (...) {
            ::unlink(native.constData());
            throw;
        }
        return path;
    }
    if (linking)
        ::unlink(temporary.constData());
    return QString();
}

} // namespace ReportFile
