// normakurs-exam: the exam keeper. The testing window starts it for each attempt and talks to it
// over its standard input and output (ExamProtocol). In a lab it is installed set-group-ID to
// the group that alone may reach the tests folders, so it is written the way such a program must
// be: the environment is cleared before anything else, no other program is ever run, the group
// is held only while the content tree is touched, and a request that does not follow the
// protocol ends it with a clear error. Where it has no group of its own, it runs with the user's
// rights and does exactly the same.

#include "ContentPaths.h"
#include "ExamKeeper.h"
#include "ExamProtocol.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool g_ownGroup = false; // running with a group of its own (set-group-ID)

// Descriptors 0 to 2 closed by the caller would be taken by the first files opened here, and a
// reply could land in a report: they are opened on /dev/null first.
void keepStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            if (::open("/dev/null", O_RDWR) != fd)
                std::_Exit(1);
        }
    }
}

// The folder of this program's own file, whatever the caller says: the content tree is the one
// installed beside it.
QString ownFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return QString();
    const QString file = QString::fromLocal8Bit(path, n);
    return file.left(file.lastIndexOf(QLatin1Char('/')) + 1);
}

bool writeAll(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

[[noreturn]] void refuse(const char* reason) {
    writeAll(ExamProtocol::encode({QLatin1String(ExamProtocol::kInvalid), QLatin1String(reason)}));
    std::fprintf(stderr, "normakurs-exam: %s\n", reason);
    std::exit(2);
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer build's leak check stops the program's threads the way a debugger does, which a
// set-group-ID program does not allow, and would fail the keeper at its end; it checks the keeper
// wherever the keeper runs with the user's own rights.
extern "C" __attribute__((visibility("default"), used)) int __lsan_is_turned_off() {
    return g_ownGroup ? 1 : 0;
}
#endif

int main() {
    keepStandardDescriptors();
    // Nothing of the caller's environment (locale, time zone aside from the system's own,
    // library or toolkit variables) may steer this program.
    ::clearenv();
    // A write beyond the caller's file size limit fails instead of ending the program with a
    // report half written; a window gone away ends the talk, not the program mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    const gid_t userGroup = ::getgid();
    const gid_t keeperGroup = ::getegid();
    const bool ownGroup = userGroup != keeperGroup;
    g_ownGroup = ownGroup;
    if (ownGroup && ::setegid(userGroup) != 0)
        std::exit(1);
    auto filesAccess = [&](bool on) {
        if (ownGroup && ::setegid(on ? keeperGroup : userGroup) != 0)
            std::exit(1);
    };

    const QString folder = ownFolder();
    if (folder.isEmpty())
        refuse("cannot find the program's own folder");
    ExamKeeper keeper(
        folder + QStringLiteral("Content/"), [] { return QDateTime::currentDateTime(); },
        filesAccess);

    QByteArray pending;
    char chunk[65536];
    for (;;) {
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            if (!writeAll(keeper.handle(line)))
                return 1;
            if (keeper.broken())
                return 2;
        }
        if (pending.size() >= ExamProtocol::kMaxRequestLine)
            refuse("request line too long");
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return 1;
        if (n == 0) {
            if (!pending.isEmpty())
                refuse("the last request has no line end");
            return 0;
        }
        pending.append(chunk, n);
    }
}
