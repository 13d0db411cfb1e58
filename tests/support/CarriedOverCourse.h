#pragma once

// The course of tests/data/carried-over laid out as a Windows system leaves it when copied over
// without conversion: every name below "Content/" in Windows-1251 bytes, and each file whose
// name ends in ".packed" packed under its name without that ending (the old editor's packed
// pages, variants and reports). The fixture itself keeps UTF-8 names and readable sources, so
// that a checkout on any system holds it; its Windows-1251 page is stored byte for byte.

#include "CodePage.h"
#include "PackedText.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CarriedOverCourse {

inline const QString kSubject = QStringLiteral("Электротехника");

inline QString fixture() {
    return QStringLiteral(NORMAKURS_TEST_DATA "/carried-over/");
}

// Writes the course into `programDir` (which ends in "/"); false when a part cannot be made.
inline bool makeIn(const QString& programDir) {
    const QString root = fixture();
    const QByteArray base = QFile::encodeName(programDir);
    QDirIterator it(root + QStringLiteral("Content"), QDir::AllEntries | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    if (::mkdir((base + "Content").constData(), 0755) != 0 && errno != EEXIST)
        return false;
    // Parents come before their entries in the iteration, so each folder exists when needed.
    while (it.hasNext()) {
        const QString source = it.next();
        QString relative = source.mid(root.size() + int(qstrlen("Content/")));
        const bool packed = relative.endsWith(QLatin1String(".packed"));
        if (packed)
            relative.chop(int(qstrlen(".packed")));
        const QByteArray target = base + "Content/" + CodePage::encode(relative);
        if (it.fileInfo().isDir()) {
            if (::mkdir(target.constData(), 0755) != 0)
                return false;
            continue;
        }
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray bytes = in.readAll();
        if (packed)
            bytes =
                TestHelpers::packedInMemory(TextLines::fromEditorText(QString::fromUtf8(bytes)));
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
        ::close(fd);
        if (!written)
            return false;
    }
    return true;
}

} // namespace CarriedOverCourse
