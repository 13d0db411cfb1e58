#include "PackedText.h"

#include "CodePage.h"
#include "DurableFile.h"

#include "Failure.h"
#include "SystemFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

#include <zlib.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace PackedText {

using SystemFile::adoptDescriptor;
using SystemFile::openFailure;
using SystemFile::systemReason;

namespace {

constexpr int kChunk = 64 * 1024;
constexpr int kLengthBytes = 8;

QString readError() {
    return QStringLiteral("Stream read error");
}

// Owns a deflate stream so that it is ended on every way out.
class Deflater {
public:
    Deflater() {
        if (deflateInit2(&m_stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS, 8,
                         Z_DEFAULT_STRATEGY) != Z_OK)
            throw Failure(QStringLiteral("Error"));
    }
    ~Deflater() { deflateEnd(&m_stream); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Feeds `size` bytes; with `finish` also writes the end of the stream.
    void feed(QIODevice& device, const char* data, qsizetype size, bool finish) {
        std::array<char, kChunk> out;
        qsizetype offset = 0;
        for (;;) {
            const qsizetype piece = qMin<qsizetype>(size - offset, kChunk * 16);
            m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data + offset));
            m_stream.avail_in = static_cast<uInt>(piece);
            offset += piece;
            const bool last = finish && offset == size;
            int rc = Z_OK;
            do {
                m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
                m_stream.avail_out = kChunk;
                rc = deflate(&m_stream, last ? Z_FINISH : Z_NO_FLUSH);
                if (rc == Z_STREAM_ERROR)
                    throw Failure(QStringLiteral("Error"));
                const qint64 produced = kChunk - m_stream.avail_out;
                if (produced > 0 && device.write(out.data(), produced) != produced)
                    throw Failure(QStringLiteral("Stream write error"));
            } while (m_stream.avail_out == 0 || (last && rc != Z_STREAM_END));
            if (offset >= size)
                return;
        }
    }

private:
    z_stream m_stream{};
};

// Owns an inflate stream, or borrows one kept for many files, and the input it reads: from a
// device, chunk by chunk, or from bytes already in memory, all at once.
class Inflater {
public:
    explicit Inflater(QIODevice& device)
        : m_device(&device) {
        if (inflateInit(m_stream) != Z_OK)
            throw Failure(QStringLiteral("Error"));
    }
    Inflater(const char* data, qsizetype size) {
        if (inflateInit(m_stream) != Z_OK)
            throw Failure(QStringLiteral("Error"));
        takeAll(data, size);
    }
    // Reads `size` bytes at `data` with `reused`, an inflate stream made before: resetting it
    // keeps the state zlib allocated for it, which making a stream for every file allocates anew.
    Inflater(z_stream& reused, const char* data, qsizetype size)
        : m_stream(&reused)
        , m_borrowed(true) {
        if (inflateReset(m_stream) != Z_OK)
            throw Failure(QStringLiteral("Error"));
        takeAll(data, size);
    }
    ~Inflater() {
        if (!m_borrowed)
            inflateEnd(m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Decompresses up to `want` bytes into `dest`; returns how many arrived. Fewer than `want`
    // means the stream (or the file) ended first. A small request inflates a whole chunk ahead
    // into the output buffer, and every call asks zlib to finish: a small file then inflates in
    // one call, for which zlib keeps no window of its own.
    qint64 read(char* dest, qint64 want) {
        qint64 got = qMin<qint64>(want, m_outputEnd - m_outputStart);
        if (got > 0) {
            std::memcpy(dest, m_output.data() + m_outputStart, size_t(got));
            m_outputStart += got;
        }
        while (got < want && !m_ended) {
            if (m_stream->avail_in == 0 && !m_eof) {
                const qint64 n = m_device->read(m_input.data(), kChunk);
                if (n < 0)
                    throw Failure(readError());
                if (n == 0)
                    m_eof = true;
                m_stream->next_in = reinterpret_cast<Bytef*>(m_input.data());
                m_stream->avail_in = static_cast<uInt>(n);
            }
            const bool ahead = want - got < kChunk;
            char* out = ahead ? m_output.data() : dest + got;
            const qint64 room = ahead ? kChunk : qMin<qint64>(want - got, kChunk * 16);
            m_stream->next_out = reinterpret_cast<Bytef*>(out);
            m_stream->avail_out = static_cast<uInt>(room);
            const int rc = inflate(m_stream, Z_FINISH);
            const qint64 produced = room - m_stream->avail_out;
            if (ahead) {
                const qint64 taken = qMin(produced, want - got);
                std::memcpy(dest + got, m_output.data(), size_t(taken));
                m_outputStart = taken;
                m_outputEnd = produced;
                got += taken;
            } else {
                got += produced;
            }
            switch (rc) {
            case Z_OK:
                break;
            case Z_STREAM_END:
                m_ended = true;
                break;
            case Z_BUF_ERROR:
                // Told to finish, zlib says so for every call that does not end the stream.
                // Only a call without progress on input that has run out means the input
                // ended before the stream did.
                if (produced == 0 && m_eof && m_stream->avail_in == 0)
                    m_ended = true;
                break;
            case Z_DATA_ERROR:
                // The bytes before the damage are good; the damage counts only when the
                // caller needs what lies beyond it. Inflating ahead must not turn damage past
                // the text (or in the checksum after it) into a failure of the text.
                m_damaged = true;
                m_ended = true;
                break;
            default: // Z_NEED_DICT, Z_MEM_ERROR, Z_STREAM_ERROR
                throw Failure(QStringLiteral("Error"));
            }
        }
        if (got < want && m_damaged)
            throw Failure(QStringLiteral("Error"));
        return got;
    }

private:
    void takeAll(const char* data, qsizetype size) {
        m_stream->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_stream->avail_in = static_cast<uInt>(size);
        m_eof = true; // the device's last read, as it were, is behind us
    }

    QIODevice* m_device = nullptr; // none when reading from memory
    z_stream m_own{};
    z_stream* m_stream = &m_own;
    bool m_borrowed = false;
    // Left uninitialised: only the bytes the device delivered are ever handed to inflate, and
    // clearing 64 KiB for every report of a journal costs more than reading the report.
    std::array<char, kChunk> m_input;
    // What inflate delivered ahead of the requests, m_outputStart to m_outputEnd not yet taken.
    std::array<char, kChunk> m_output;
    qint64 m_outputStart = 0;
    qint64 m_outputEnd = 0;
    bool m_eof = false;
    bool m_ended = false;
    bool m_damaged = false; // the stream ended in damage
};

void openFailed(const QString& path, const QString& reason) {
    throw Failure(openFailure(path, reason));
}

} // namespace

void writeStream(QIODevice& device, const QByteArray& text) {
    std::array<char, kLengthBytes> length{};
    quint64 n = static_cast<quint64>(text.size());
    for (int i = 0; i < kLengthBytes; ++i, n >>= 8)
        length[i] = static_cast<char>(n & 0xFF);

    Deflater deflater;
    deflater.feed(device, length.data(), kLengthBytes, false);
    deflater.feed(device, text.constData(), text.size(), true);
}

namespace {

QByteArray readText(Inflater& inflater, qint64 capacity) {
    std::array<unsigned char, kLengthBytes> header{};
    if (inflater.read(reinterpret_cast<char*>(header.data()), kLengthBytes) != kLengthBytes)
        throw Failure(readError());
    quint64 raw = 0;
    for (int i = kLengthBytes - 1; i >= 0; --i)
        raw = (raw << 8) | header[i];
    const auto length = static_cast<qint64>(raw);
    if (length < 0)
        throw Failure(readError());

    if (length > capacity) {
        // Too large for a text area. Count the bytes without keeping them, to tell a cut-off
        // stream ("Stream read error") from a text that is simply too large.
        std::array<char, kChunk> scratch;
        for (qint64 seen = 0; seen < length;) {
            const qint64 want = qMin<qint64>(length - seen, kChunk);
            const qint64 got = inflater.read(scratch.data(), want);
            seen += got;
            if (got < want)
                throw Failure(readError());
        }
        throw Failure(QStringLiteral("Text exceeds memo capacity"));
    }

    // Grow the text only as fast as the stream really delivers, so a length field that claims
    // more than the stream holds costs nothing beyond the bytes that actually arrive.
    QByteArray text;
    qint64 kept = 0;
    while (kept < length) {
        const qint64 step = qMin<qint64>(length - kept, qMax<qint64>(kChunk, kept));
        // reserve() takes exactly this much; resize() alone would round the block up to the
        // next power of two, so a text at the capacity would hold twice its size.
        text.reserve(kept + step);
        text.resize(kept + step);
        const qint64 got = inflater.read(text.data() + kept, step);
        kept += got;
        if (got < step)
            throw Failure(readError());
    }
    return text;
}

} // namespace

QByteArray readStream(QIODevice& device, qint64 capacity) {
    Inflater inflater(device);
    return readText(inflater, capacity);
}

void SaveToStream(const QString& path, const QByteArray& text) {
    // A folder at `path` is refused there, by its bytes on disk.
    DurableFile::replace(path, [&text](QIODevice& device) { writeStream(device, text); });
}

namespace {

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Whether the open descriptor `fd` is a regular file, and its size; `status`, when given, gets
// what the system tells of it. Any other kind closes it and gives the error number its open
// failure names; 0 means a regular file.
void fillStatus(const struct stat& found, FileStatus& status) {
    status.found = true;
    status.size = qint64(found.st_size);
    status.modifiedNs = qint64(found.st_mtim.tv_sec) * 1000000000 + found.st_mtim.tv_nsec;
    status.inode = quint64(found.st_ino);
    status.owner = uint(found.st_uid);
}

int checkRegular(int fd, qint64& size, FileStatus* status = nullptr) {
    struct stat found {};
    if (::fstat(fd, &found) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    if (!S_ISREG(found.st_mode)) {
        ::close(fd);
        return S_ISDIR(found.st_mode) ? EISDIR : ENXIO;
    }
    size = qint64(found.st_size);
    if (status)
        fillStatus(found, *status);
    return 0;
}

// Is an open that failed with `error` worth trying again by the name's Windows-1251 bytes?
bool notThereAsUtf8(int error) {
    // Not there by its UTF-8 spelling (which may also be too long: Windows-1251 takes one byte a
    // letter, UTF-8 two).
    return error == ENOENT || error == ENAMETOOLONG || error == ENOTDIR;
}

// Opens the regular file at `path` for reading and gives its descriptor and size. The name is
// tried as UTF-8 first; only a name that is not there is looked for by its Windows-1251 bytes.
// O_NONBLOCK: opening a named pipe must not wait for a writer, nor a device for its line; on
// the regular file that is all this lets through, the flag changes nothing.
int openRegularDescriptor(const QString& path, qint64& size, FileStatus* status = nullptr) {
    const QByteArray utf8 = QFile::encodeName(path);
    int fd = ::open(utf8.constData(), kOpenFlags);
    if (fd < 0 && notThereAsUtf8(errno)) {
        const QByteArray native = CodePage::nativePath(path);
        if (native != utf8)
            fd = ::open(native.constData(), kOpenFlags);
        else
            errno = ENOENT;
    }
    if (fd < 0)
        openFailed(path, systemReason(errno));
    if (const int error = checkRegular(fd, size, status))
        openFailed(path, systemReason(error));
    return fd;
}

// A packed file this small (every report and variant) is read in one call and inflated from
// memory; a larger one is streamed.
constexpr qint64 kReadWhole = 1 << 20;

} // namespace

void openRegularFile(QFile& file, const QString& path) {
    qint64 size = 0;
    const int fd = openRegularDescriptor(path, size);
    if (const int error = adoptDescriptor(file, fd, QIODevice::ReadOnly))
        openFailed(path, systemReason(error));
}

namespace {

// Reads the packed text from `fd`, a regular file of `size` bytes, and closes it. `pathOf` gives
// the file's path for a failure's message; a small file is inflated with `reused`, if given.
template <typename PathOf>
QByteArray readDescriptor(int fd, qint64 size, const PathOf& pathOf, qint64 capacity,
                          z_stream* reused = nullptr) {
    if (size > kReadWhole) {
        QFile file;
        if (const int error = adoptDescriptor(file, fd, QIODevice::ReadOnly))
            openFailed(pathOf(), systemReason(error));
        return readStream(file, capacity);
    }
    // Nearly every packed file fits a chunk and is read onto the stack.
    std::array<char, kChunk> small;
    QByteArray large;
    if (size > kChunk)
        large.resize(size);
    char* packed = size > kChunk ? large.data() : small.data();
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, packed + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        // Cut short under our hands, or unreadable from here on (a damaged sector): what was
        // read is judged as it is. The text may lie wholly before the failure; if not, the
        // stream ends early and the read fails as a cut-off file does.
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (reused) {
        Inflater inflater(*reused, packed, qsizetype(got));
        return readText(inflater, capacity);
    }
    Inflater inflater(packed, qsizetype(got));
    return readText(inflater, capacity);
}

} // namespace

QByteArray OpenFromStream(const QString& path, qint64 capacity, FileStatus* status) {
    qint64 size = 0;
    const int fd = openRegularDescriptor(path, size, status);
    return readDescriptor(
        fd, size, [&path] { return path; }, capacity);
}

// The inflate stream a folder reader uses for every small file it reads.
struct FolderReader::Stream {
    z_stream z{};
    // Without one (out of memory), each file makes its own and fails there as it would alone.
    bool made = inflateInit(&z) == Z_OK;

    Stream() = default;
    ~Stream() {
        if (made)
            inflateEnd(&z);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
};

OpenFolder::OpenFolder(const QString& folder)
    : m_path(folder) {
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    constexpr decltype(statfs::f_type) kFuse = 0x65735546;
    struct statfs system {};
    m_stableInodes = m_fd < 0 || ::fstatfs(m_fd, &system) != 0 || system.f_type != kFuse;
}

OpenFolder::~OpenFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

FolderReader::FolderReader(const QString& folder)
    : FolderReader(std::make_shared<const OpenFolder>(folder)) {}

FolderReader::FolderReader(std::shared_ptr<const OpenFolder> folder)
    : m_folder(std::move(folder))
    , m_stream(std::make_unique<Stream>()) {}

FolderReader::~FolderReader() = default;

QByteArray FolderReader::OpenFromStream(const QString& name, qint64 capacity, FileStatus* status) {
    const auto pathOf = [this, &name] { return m_folder->path() + QLatin1Char('/') + name; };
    const int folder = m_folder->descriptor();
    if (folder < 0)
        return PackedText::OpenFromStream(pathOf(), capacity, status);
    int fd = ::openat(folder, QFile::encodeName(name).constData(), kOpenFlags);
    if (fd < 0 && notThereAsUtf8(errno)) // the whole path's own search
        return PackedText::OpenFromStream(pathOf(), capacity, status);
    if (fd < 0) {
        const int error = errno;
        openFailed(pathOf(), systemReason(error));
    }
    qint64 size = 0;
    if (const int error = checkRegular(fd, size, status))
        openFailed(pathOf(), systemReason(error));
    if (status && !m_folder->stableInodes())
        status->inode = 0;
    return readDescriptor(fd, size, pathOf, capacity, m_stream->made ? &m_stream->z : nullptr);
}

bool FolderReader::statusOf(const QString& name, FileStatus& status) const {
    struct stat found {};
    if (m_folder->descriptor() < 0)
        return false;
    int result = ::fstatat(m_folder->descriptor(), QFile::encodeName(name).constData(), &found, 0);
    if (result != 0 && notThereAsUtf8(errno)) // as the file is opened: by its bytes
        result = ::stat(
            CodePage::nativePath(m_folder->path() + QLatin1Char('/') + name).constData(), &found);
    if (result != 0 || !S_ISREG(found.st_mode))
        return false;
    fillStatus(found, status);
    if (!m_folder->stableInodes())
        status.inode = 0;
    return true;
}

} // namespace PackedText
