#include "JournalCache.h"

#include "SystemFile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace JournalCache {
namespace {

constexpr quint32 kMagic = 0x4E4B4A43; // "NKJC"
constexpr quint32 kVersion = 1;
constexpr qint64 kLargest = qint64(256) * 1024 * 1024;

QString canonical(const QString& contentDir) {
    const QString found = QFileInfo(contentDir).canonicalFilePath();
    return found.isEmpty() ? QDir::cleanPath(QFileInfo(contentDir).absoluteFilePath()) : found;
}

QString cacheRoot() {
    const QString xdg = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg + QStringLiteral("/normakurs");
    return QDir::homePath() + QStringLiteral("/.cache/normakurs");
}

// The whole file, when it is a regular file of this user that nobody else may write; else null.
QByteArray readOwnFile(const QString& file) {
    const int fd =
        ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QByteArray();
    struct stat status {};
    const bool own = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                     status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
                     status.st_size <= kLargest;
    QFile opened;
    if (SystemFile::adoptDescriptor(opened, fd, QIODevice::ReadOnly) != 0 || !own)
        return QByteArray();
    return opened.readAll();
}

void putCount(QDataStream& out, const std::optional<int>& value) {
    out << bool(value) << qint32(value.value_or(0));
}

bool getCount(QDataStream& in, std::optional<int>& value) {
    bool set = false;
    qint32 number = 0;
    in >> set >> number;
    value = set ? std::optional<int>(number) : std::nullopt;
    return in.status() == QDataStream::Ok;
}

} // namespace

QString fileFor(const QString& contentDir) {
    const QByteArray key =
        QCryptographicHash::hash(canonical(contentDir).toUtf8(), QCryptographicHash::Sha256);
    return cacheRoot() + QStringLiteral("/journal-") + QString::fromLatin1(key.toHex().left(32)) +
           QStringLiteral(".cache");
}

bool sameFile(const PackedText::FileStatus& kept, const PackedText::FileStatus& now) {
    return kept.found && now.found && kept.size == now.size && kept.modifiedNs == now.modifiedNs &&
           kept.inode == now.inode;
}

Entries read(const QString& file, const QString& contentDir) {
    const QByteArray bytes = readOwnFile(file);
    if (bytes.isEmpty())
        return Entries();
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 version = 0;
    QString folder;
    quint32 count = 0;
    in >> magic >> version;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion)
        return Entries();
    in >> folder >> count;
    if (in.status() != QDataStream::Ok || folder != canonical(contentDir) ||
        qint64(count) > bytes.size())
        return Entries();

    // The texts many reports hold alike are kept once, as a load from the files keeps them.
    QSet<QString> shared;
    const auto share = [&shared](QString& text) {
        const auto found = shared.constFind(text);
        if (found != shared.constEnd())
            text = *found;
        else
            shared.insert(text);
    };
    Entries entries;
    entries.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        Entry entry;
        ReportRecord& r = entry.record;
        qint64 size = 0;
        qint64 modified = 0;
        quint64 inode = 0;
        quint8 state = 0;
        in >> r.subjectFolder >> r.reportName >> size >> modified >> inode;
        in >> r.student >> r.group >> r.subject >> r.test >> r.date >> r.time;
        if (!getCount(in, r.total) || !getCount(in, r.right) || !getCount(in, r.wrong))
            return Entries();
        in >> r.percentWritten >> r.verdicts >> state >> r.reason;
        if (in.status() != QDataStream::Ok || state > quint8(ReportRecord::State::Unreadable))
            return Entries();
        r.state = ReportRecord::State(state);
        for (QString* text : {&r.subjectFolder, &r.group, &r.subject, &r.test, &r.date})
            share(*text);
        entry.status.found = true;
        entry.status.size = size;
        entry.status.modifiedNs = modified;
        entry.status.inode = inode;
        entries.insert(r.file(), std::move(entry));
    }
    if (!in.atEnd())
        return Entries();
    return entries;
}

void write(const QString& file, const QString& contentDir, const QVector<ReportRecord>& rows,
           const QVector<PackedText::FileStatus>& statuses) {
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_0);
        // A report that could not be read is read again next time: its failure may pass.
        const auto kept = [&](int i) {
            return statuses.at(i).found && rows.at(i).state != ReportRecord::State::Unreadable;
        };
        quint32 count = 0;
        for (int i = 0; i < rows.size() && i < statuses.size(); ++i)
            count += kept(i);
        out << kMagic << kVersion << canonical(contentDir) << count;
        for (int i = 0; i < rows.size() && i < statuses.size(); ++i) {
            if (!kept(i))
                continue;
            const PackedText::FileStatus& s = statuses.at(i);
            const ReportRecord& r = rows.at(i);
            out << r.subjectFolder << r.reportName << s.size << s.modifiedNs << s.inode;
            out << r.student << r.group << r.subject << r.test << r.date << r.time;
            putCount(out, r.total);
            putCount(out, r.right);
            putCount(out, r.wrong);
            out << r.percentWritten << r.verdicts << quint8(r.state) << r.reason;
        }
    }
    const QString folder = QFileInfo(file).path();
    if (!QDir().mkpath(folder))
        return;
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    // Written beside it and put in its place in one step; made with the user's rights alone.
    QByteArray temporary = QFile::encodeName(file + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return;
    bool written = ::fchmod(fd, 0600) == 0;
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        done += n > 0 ? n : 0;
    }
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.constData(), QFile::encodeName(file).constData()) != 0)
        ::unlink(temporary.constData());
}

} // namespace JournalCache
