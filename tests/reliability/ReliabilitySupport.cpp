#include "ReliabilitySupport.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <grp.h>
#include <new>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#ifdef NORMAKURS_ASAN
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace Reliability {

QByteArray zerosStream(qint64 claimed, qint64 zeros) {
    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_COMPRESSION) != Z_OK)
        return QByteArray();
    QByteArray out;
    QByteArray chunk(256 * 1024, '\0');
    const QByteArray head = le64(claimed);
    auto feed = [&](const char* data, qint64 size, bool last) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        stream.avail_in = uInt(size);
        do {
            char buffer[64 * 1024];
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        } while (stream.avail_out == 0);
    };
    feed(head.constData(), head.size(), zeros == 0);
    for (qint64 left = zeros; left > 0;) {
        const qint64 piece = qMin<qint64>(left, chunk.size());
        left -= piece;
        feed(chunk.constData(), piece, left == 0);
    }
    deflateEnd(&stream);
    return out;
}

namespace {

constexpr uid_t kNobody = 65534;
constexpr long kFuseMagic = 0x65735546; // FUSE_SUPER_MAGIC
constexpr gid_t kNoGroup = 65534;

void writeFully(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

#ifdef NORMAKURS_ASAN
std::atomic<qint64> s_current{0};
std::atomic<qint64> s_peak{0};

void onMalloc(const volatile void*, size_t size) {
    const qint64 now = s_current.fetch_add(qint64(size)) + qint64(size);
    qint64 peak = s_peak.load();
    while (now > peak && !s_peak.compare_exchange_weak(peak, now)) {
    }
}

void onFree(const volatile void* pointer) {
    s_current.fetch_sub(qint64(__sanitizer_get_allocated_size(pointer)));
}
#else
// The address space this process has mapped, in bytes.
qint64 mappedBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}
#endif

} // namespace

QByteArray ChildRun::describe() const {
    if (!finished)
        return "still running after " + QByteArray::number(elapsedMs) + " ms (killed)";
    if (crashed)
        return "ended by signal " + QByteArray::number(exitCode);
    return "exit " + QByteArray::number(exitCode) + ": " + output;
}

ChildRun inChild(const std::function<QByteArray()>& work, int timeoutMs) {
    ChildRun run;
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        run.output = "<no pipe>";
        return run;
    }
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        QByteArray result;
        try {
            result = work();
        } catch (const Failure& failure) {
            result = "<failure: " + failure.message().toUtf8() + '>';
        } catch (const std::exception& other) {
            result = QByteArray("<exception: ") + other.what() + '>';
        }
        writeFully(channel[1], result);
        ::close(channel[1]);
        ::_exit(0);
    }
    ::close(channel[1]);
    if (pid < 0) {
        ::close(channel[0]);
        run.output = "<no fork>";
        return run;
    }

    // Read until the child closes its end, or until the time is up.
    bool open = true;
    while (open) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        pollfd wait{channel[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            open = false;
        else
            run.output.append(buffer, n);
    }
    ::close(channel[0]);

    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(pid, &status, WNOHANG)) == 0 && clock.elapsed() < timeoutMs)
        ::usleep(1000);
    if (ended == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        run.elapsedMs = clock.elapsed();
        return run;
    }
    run.elapsedMs = clock.elapsed();
    run.finished = true;
    run.crashed = WIFSIGNALED(status);
    run.exitCode = run.crashed ? WTERMSIG(status) : WEXITSTATUS(status);
    return run;
}

bool dropRoot() {
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNoGroup) == 0 && ::setuid(kNobody) == 0 &&
           ::geteuid() == kNobody;
}

void openToAll(const QString& path) {
    QString folder = QFileInfo(path).absoluteFilePath();
    while (!folder.isEmpty() && folder != QLatin1String("/")) {
        struct stat info {};
        const QByteArray native = QFile::encodeName(folder);
        if (::stat(native.constData(), &info) == 0 && !(info.st_mode & S_IXOTH))
            ::chmod(native.constData(), (info.st_mode & 07777) | S_IRUSR | S_IXUSR | S_IRGRP |
                                            S_IXGRP | S_IROTH | S_IXOTH);
        folder = QFileInfo(folder).path();
    }
}

QString scaffoldingPath() {
    const QString local = qEnvironmentVariable("NORMAKURS_LOCAL_TMPDIR");
    return local.isEmpty() ? QDir::tempPath() : local;
}

bool onFuse(const QString& path) {
    struct statfs info {};
    return ::statfs(QFile::encodeName(path).constData(), &info) == 0 &&
           long(info.f_type) == kFuseMagic;
}

QString notOnShare(const QString& path) {
    const QString share = qEnvironmentVariable("NORMAKURS_SHARE");
    if (share.isEmpty() || onFuse(path))
        return QString();
    return QStringLiteral("%1 should lie on the %2 share, but it is not on a FUSE file system")
        .arg(path, share);
}

QString unprivilegedShutOut(const QString& path) {
    if (::geteuid() != 0 || !onFuse(path))
        return QString();
    const ChildRun run = inChild([&]() -> QByteArray {
        if (!dropRoot())
            return "cannot leave root";
        return ::access(QFile::encodeName(path).constData(), X_OK) == 0 ? "" : "shut out";
    });
    if (run.finished && !run.crashed && run.output.isEmpty())
        return QString();
    return QStringLiteral("the share is mounted for root alone (no allow_other): the user nobody, "
                          "who must do this write, cannot enter it (%1)")
        .arg(QString::fromUtf8(run.describe()));
}

QString withinHeapBudget(qint64 budget, const std::function<QString()>& work) {
#ifdef NORMAKURS_ASAN
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    if (!hooked)
        return QStringLiteral("<the allocator takes no hooks>");
    const qint64 start = s_current.load();
    s_peak.store(start);
    const QString result = work();
    const qint64 growth = s_peak.load() - start;
    if (growth > budget)
        return QStringLiteral("<heap grew by %1 bytes, budget %2>").arg(growth).arg(budget);
    return result;
#else
    const ChildRun run = inChild([&]() -> QByteArray {
        const qint64 mapped = mappedBytes();
        if (mapped < 0)
            return "<cannot read the address space>";
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = rlim_t(mapped + budget);
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            return "<cannot limit the address space>";
        try {
            return work().toUtf8();
        } catch (const std::bad_alloc&) {
            return "<ran out of its budget of " + QByteArray::number(budget) + " bytes>";
        }
    });
    if (!run.finished || run.crashed)
        return QStringLiteral("<%1>").arg(QString::fromUtf8(run.describe()));
    return QString::fromUtf8(run.output);
#endif
}

} // namespace Reliability
