#include "SyncFaults.h"

#include <cerrno>
#include <dlfcn.h>
#include <mutex>
#include <sys/stat.h>

namespace SyncFaults {
namespace {

std::mutex s_lock;
std::vector<Call> s_calls;
int s_failFiles = 0;
int s_failFolders = 0;

using SyncFunction = int (*)(int);

int intercept(int fd, const char* name) {
    struct stat status {};
    const bool known = ::fstat(fd, &status) == 0;
    Call call;
    call.folder = known && S_ISDIR(status.st_mode);
    call.device = status.st_dev;
    call.inode = status.st_ino;
    {
        const std::lock_guard<std::mutex> hold(s_lock);
        int& planned = call.folder ? s_failFolders : s_failFiles;
        if (known && planned > 0) {
            --planned;
            call.failed = true;
        }
        s_calls.push_back(call);
    }
    if (call.failed) {
        errno = EIO;
        return -1;
    }
    const auto function = reinterpret_cast<SyncFunction>(::dlsym(RTLD_NEXT, name));
    if (!function) {
        errno = ENOSYS;
        return -1;
    }
    return function(fd);
}

} // namespace

void reset() {
    const std::lock_guard<std::mutex> hold(s_lock);
    s_calls.clear();
    s_failFiles = 0;
    s_failFolders = 0;
}

void failFiles(int count) {
    const std::lock_guard<std::mutex> hold(s_lock);
    s_failFiles = count;
}

void failFolders(int count) {
    const std::lock_guard<std::mutex> hold(s_lock);
    s_failFolders = count;
}

std::vector<Call> calls() {
    const std::lock_guard<std::mutex> hold(s_lock);
    return s_calls;
}

} // namespace SyncFaults

extern "C" int fsync(int fd) {
    return SyncFaults::intercept(fd, "fsync");
}

extern "C" int fdatasync(int fd) {
    return SyncFaults::intercept(fd, "fdatasync");
}
