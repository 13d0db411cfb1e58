#include "LabCheck.h"

#include "CodePage.h"
#include "ContentPaths.h"
#include "Failure.h"
#include "SystemFile.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>

namespace LabCheck {
namespace {

// One entry of the tree: its bytes on disk and the path the user is shown.
struct Entry {
    QByteArray native;
    QString shown;
};

QString modeText(mode_t mode) {
    return QStringLiteral("mode %1").arg(uint(mode & 07777), 4, 8, QLatin1Char('0'));
}

// The entries of `folder`, sorted by their bytes; nullopt with errno when it cannot be read.
std::optional<QVector<Entry>> entriesOf(const Entry& folder) {
    DIR* dir = ::opendir(folder.native.constData());
    if (!dir)
        return std::nullopt;
    QVector<Entry> entries;
    while (const dirent* item = ::readdir(dir)) {
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        QString shown = CodePage::fileName(name);
        if (shown.isNull())
            shown = CodePage::decode(name);
        entries.append({folder.native + '/' + name, folder.shown + QLatin1Char('/') + shown});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.native < b.native; });
    return entries;
}

QString lastName(const Entry& entry) {
    return entry.shown.section(QLatin1Char('/'), -1);
}

class Checker {
public:
    Checker(QVector<Finding>& findings, std::optional<gid_t> group, QString groupName)
        : m_findings(findings)
        , m_group(group)
        , m_groupName(std::move(groupName)) {}

    void content(const Entry& root, const struct stat& status) {
        owner(root, status, true);
        if (status.st_mode & S_IWOTH)
            add(root, QStringLiteral("others can create, rename and remove subjects (%1)")
                          .arg(modeText(status.st_mode)));
        const bool open = status.st_mode & S_IXOTH;
        const auto subjects = entries(root);
        for (const Entry& subject : subjects) {
            struct stat folder {};
            // A subject may be a link to a folder: the program follows it.
            if (::stat(subject.native.constData(), &folder) == 0 && S_ISDIR(folder.st_mode))
                this->subject(subject, folder, open);
        }
    }

private:
    void add(const Entry& entry, const QString& reason) {
        m_findings.append({entry.shown, reason});
    }

    QVector<Entry> entries(const Entry& folder) {
        std::optional<QVector<Entry>> found = entriesOf(folder);
        if (found)
            return *found;
        add(folder, QStringLiteral("not checked: %1").arg(SystemFile::systemReason(errno)));
        return {};
    }

    void subject(const Entry& subject, const struct stat& status, bool reachable) {
        owner(subject, status, reachable);
        if (status.st_mode & S_IWOTH)
            add(subject, QStringLiteral("others can create, rename and remove the subject's "
                                        "folders, its tests among them (%1)")
                             .arg(modeText(status.st_mode)));
        reachable = reachable && (status.st_mode & S_IXOTH);
        const auto children = entries(subject);
        for (const Entry& child : children) {
            struct stat folder {};
            if (lastName(child) == ContentPaths::kTests &&
                ::stat(child.native.constData(), &folder) == 0 && S_ISDIR(folder.st_mode))
                testsFolder(child, folder, reachable);
        }
    }

    // "Тесты" and every folder below it: for the group alone, and set-group-ID so that what is
    // made in it stays in the group.
    void testsFolder(const Entry& folder, const struct stat& status, bool reachable) {
        owner(folder, status, reachable);
        if (status.st_mode & S_IRWXO)
            add(folder, QStringLiteral("others can %1 it (%2)")
                            .arg(status.st_mode & S_IWOTH   ? QStringLiteral("change")
                                 : status.st_mode & S_IROTH ? QStringLiteral("list")
                                                            : QStringLiteral("pass through"),
                                 modeText(status.st_mode)));
        if (!(status.st_mode & S_ISGID))
            add(folder, QStringLiteral("not set-group-ID: what is made in it leaves the group "
                                       "(%1)")
                            .arg(modeText(status.st_mode)));
        if (m_group && status.st_gid != *m_group)
            add(folder,
                QStringLiteral("in group %1, not in %2").arg(status.st_gid).arg(m_groupName));
        reachable = reachable && (status.st_mode & S_IXOTH);
        const auto children = entries(folder);
        for (const Entry& child : children) {
            struct stat own {};
            if (::lstat(child.native.constData(), &own) != 0)
                continue;
            if (S_ISDIR(own.st_mode)) {
                testsFolder(child, own, reachable);
            } else if (S_ISLNK(own.st_mode)) {
                linkInTests(child);
            } else if (reachable && (own.st_mode & (S_IROTH | S_IWOTH))) {
                file(child, own, QString());
            }
        }
    }

    // A folder's owner may change its mode whatever the mode is: an owner outside the group (a
    // student who made the first reports folder under an open layout) can open it again, where
    // the way to it is open. Behind a folder for the group alone (a reports folder the keeper
    // made for a student) its owner cannot reach it.
    void owner(const Entry& folder, const struct stat& status, bool reachable) {
        if (!reachable || status.st_uid == 0 || !m_group || inGroup(status.st_uid))
            return;
        const struct passwd* account = ::getpwuid(status.st_uid);
        const QString name =
            account ? QString::fromLocal8Bit(account->pw_name) : QString::number(status.st_uid);
        add(folder, QStringLiteral("owned by %1, who is not in %2 and can open it to everybody")
                        .arg(name, m_groupName));
    }

    bool inGroup(uid_t uid) {
        const auto known = m_members.constFind(uid);
        if (known != m_members.cend())
            return *known;
        bool member = false;
        if (const struct passwd* account = ::getpwuid(uid)) {
            member = account->pw_gid == *m_group;
            const QByteArray name(account->pw_name);
            if (const struct group* group = ::getgrgid(*m_group))
                for (char** other = group->gr_mem; !member && *other; ++other)
                    member = name == *other;
        }
        m_members.insert(uid, member);
        return member;
    }

    void file(const Entry& entry, const struct stat& status, const QString& through) {
        const bool reads = status.st_mode & S_IROTH;
        const bool writes = status.st_mode & S_IWOTH;
        const QString what = reads && writes ? QStringLiteral("read and change")
                             : reads         ? QStringLiteral("read")
                                             : QStringLiteral("change");
        add(entry,
            QStringLiteral("others can %1 it%2 (%3)").arg(what, through, modeText(status.st_mode)));
    }

    // A link leads wherever it was pointed: what counts is what others may do with its target
    // by the target's own path, whether or not they can pass through the tests folder. A linked
    // folder is judged by its own mode and not entered.
    void linkInTests(const Entry& link) {
        char resolved[PATH_MAX];
        struct stat target {};
        if (!::realpath(link.native.constData(), resolved) || ::stat(resolved, &target) != 0 ||
            !passable(QByteArray(resolved)))
            return;
        if (S_ISDIR(target.st_mode)) {
            if (target.st_mode & S_IRWXO)
                add(link, QStringLiteral("a link to a folder others can enter (%1)")
                              .arg(modeText(target.st_mode)));
        } else if (target.st_mode & (S_IROTH | S_IWOTH)) {
            file(link, target, QStringLiteral(" through this link"));
        }
    }

    // Others may pass through every folder on the way to the absolute path `path`.
    static bool passable(const QByteArray& path) {
        for (qsizetype slash = path.indexOf('/', 1); slash > 0;
             slash = path.indexOf('/', slash + 1)) {
            struct stat folder {};
            if (::stat(path.left(slash).constData(), &folder) != 0 || !(folder.st_mode & S_IXOTH))
                return false;
        }
        return true;
    }

    QVector<Finding>& m_findings;
    std::optional<gid_t> m_group;
    QString m_groupName;
    QHash<uid_t, bool> m_members;
};

// The group's number for a name or a number; nullopt when no group has that name.
std::optional<gid_t> groupId(const QString& group) {
    bool number = false;
    const uint id = group.toUInt(&number);
    if (number)
        return gid_t(id);
    const QByteArray name = group.toLocal8Bit();
    if (const struct group* found = ::getgrnam(name.constData()))
        return found->gr_gid;
    return std::nullopt;
}

} // namespace

QVector<Finding> check(const QString& contentDir, const QString& group) {
    QString shown = contentDir;
    while (shown.size() > 1 && shown.endsWith(QLatin1Char('/')))
        shown.chop(1);
    const Entry root{CodePage::nativePath(QFileInfo(shown).absoluteFilePath()), shown};
    struct stat status {};
    if (::stat(root.native.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        throw Failure(QStringLiteral("%1: no such content folder").arg(contentDir));

    QVector<Finding> findings;
    const std::optional<gid_t> gid = groupId(group);
    if (!gid)
        findings.append({group, QStringLiteral("no such group: teachers cannot be given the "
                                               "tests, nor students kept from them")});
    Checker(findings, gid, group).content(root, status);
    return findings;
}

} // namespace LabCheck
