#include "AccountNames.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace AccountNames {
namespace {

QString lookUp(uint uid) {
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size_t(suggested > 0 ? suggested : 1024));
    for (;;) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        const int error = ::getpwuid_r(uid_t(uid), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (size_t(1) << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (error != 0 || !found || !found->pw_name || !*found->pw_name)
            return QString::number(uid);
        return QString::fromLocal8Bit(found->pw_name);
    }
}

} // namespace

QString nameOf(uint uid) {
    static QMutex mutex;
    static QHash<uint, QString> known;
    QMutexLocker lock(&mutex);
    auto it = known.constFind(uid);
    if (it == known.constEnd())
        it = known.insert(uid, lookUp(uid));
    return *it;
}

} // namespace AccountNames
