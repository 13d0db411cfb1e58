#pragma once

// Small helpers that many tests share; header-only, QtCore and the core library only, so that a
// core test links nothing more.

#include "Failure.h"
#include "PackedText.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QtEndian>
#include <QTest>

#include <csignal>
#include <initializer_list>
#include <sys/resource.h>

// NORMAKURS_ASAN: built with AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define NORMAKURS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NORMAKURS_ASAN 1
#endif
#endif

// Runs a helper that checks as it goes, and ends the test when one of those checks failed.
#define STEP(call)                                                                                 \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

namespace TestHelpers {

inline const QString kNoFailure = QStringLiteral("<no failure>");

// The message of the Failure that `step` throws, or kNoFailure (other exceptions fail the test).
template <typename Step> QString failureOf(Step&& step) {
    try {
        step();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return kNoFailure;
}

// Lowers the largest file this process may write, for as long as it lives: a write beyond it
// fails with EFBIG, as on a full disk (the signal that would end the process is ignored).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lowered{rlim_t(bytes), m_old.rlim_max};
        m_ok = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    Q_DISABLE_COPY(FileSizeLimit)
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    bool m_ok = false;
};

// The bytes of the file at `path`; "<unreadable>" when it cannot be read.
inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Writes `bytes` as the whole file at `path`; false when that fails.
inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// Bytes given by their values, for texts in a code page.
inline QByteArray bytes(std::initializer_list<unsigned char> values) {
    return QByteArray(reinterpret_cast<const char*>(values.begin()), qsizetype(values.size()));
}

// `value` as a packed file's length field: eight bytes, little-endian.
inline QByteArray le64(qint64 value) {
    const quint64 le = qToLittleEndian(quint64(value));
    return QByteArray(reinterpret_cast<const char*>(&le), sizeof le);
}

// `text` packed as a packed file holds it.
inline QByteArray packedInMemory(const QByteArray& text) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PackedText::writeStream(buffer, text);
    return buffer.data();
}

// Every entry of `folder`, hidden and system ones included, sorted by name.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// The text of a packed file; a file that cannot be read gives a text saying why, so that the
// comparison fails with the reason instead of ending the whole run.
inline QByteArray unpacked(const QString& path) {
    try {
        return PackedText::OpenFromStream(path);
    } catch (const Failure& failure) {
        return "<unreadable: " + failure.message().toUtf8() + '>';
    }
}

} // namespace TestHelpers
