// Arbitrary bytes as the names in a content tree. The input is cut at zero bytes into records;
// each record makes one entry (a subject, a page, a variant, a report, a presentation, a video,
// a named pipe, a link, a hidden entry, a file where a folder belongs) or types one name (a
// student's, a new subject's). Then every listing of the windows runs over the tree, each listed
// variant and report is opened, and the typed names go through report saving and subject
// creation. Nothing may hang or crash; every listing is sorted, never shows a hidden entry, a
// pipe or a device, and shows every entry that it can; nothing typed makes anything outside the
// content tree.

#include "CodePage.h"
#include "ContentFolders.h"
#include "ContentPaths.h"
#include "Failure.h"
#include "FolderListing.h"
#include "FuzzCheck.h"
#include "PackedText.h"
#include "ReportFile.h"
#include "ReportListing.h"
#include "StudentName.h"
#include "SubjectCreation.h"
#include "TopicTrees.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <ftw.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxRecords = 48;
constexpr qsizetype kNameMax = 255;

enum Kind {
    Subject,
    Page,
    Variant,
    Report,
    Presentation,
    Video,
    Pipe,
    Hidden,
    TestsAsFile,
    FileInContent,
    StudentTyped,
    SubjectTyped,
    KindCount
};

// Flags in the first byte of a record, above the kind.
constexpr unsigned kWithExtension = 0x10; // the name gets its listing's extension
constexpr unsigned kAsFolder = 0x20;      // a folder where a file is expected
constexpr unsigned kAsLink = 0x40;        // a symbolic link instead
constexpr unsigned kLinkLoops = 0x80;     // the link points at itself, else outside the tree

QByteArray native(const QString& name) {
    return QFile::encodeName(name);
}

// An entry made on disk that a listing should show, by the listing's folder (native bytes).
struct Made {
    QByteArray folder;
    QByteArray name;
};

// Can a listing be asked to show this name? Hidden names are never shown; a name that is not
// valid UTF-8 is shown decoded from Windows-1251 when that gives its bytes back, unless the
// folder holds the same text in UTF-8 as well.
bool nameable(const QByteArray& raw) {
    return !raw.startsWith('.') && !CodePage::fileName(raw).isNull();
}

// The name a listing shows for these bytes.
QString shownName(const QByteArray& raw) {
    return CodePage::fileName(raw);
}

// A name decoded from Windows-1251 whose text the folder also holds in UTF-8.
bool hasUtf8Twin(const QByteArray& folder, const QByteArray& raw) {
    const QByteArray utf8 = shownName(raw).toUtf8();
    struct stat status {};
    return utf8 != raw && ::lstat((folder + '/' + utf8).constData(), &status) == 0;
}

// Can the entries of this folder be listed? Its path holds only names Qt can give back.
bool reachable(const QByteArray& folder) {
    return QFile::encodeName(QFile::decodeName(folder)) == folder;
}

class Tree {
public:
    explicit Tree(const QByteArray& root)
        : m_root(root)
        , m_content(root + "/Content/")
        , m_outside(root + "/outside") {
        ::mkdir(m_content.constData(), 0755);
        ::mkdir(m_outside.constData(), 0755);
    }

    QString contentDir() const { return QFile::decodeName(m_content); }
    const QByteArray& contentBytes() const { return m_content; }
    QString root() const { return QFile::decodeName(m_root); }
    const QList<QByteArray>& subjects() const { return m_subjects; }
    const QList<Made>& listable() const { return m_listable; }
    const QStringList& typedStudents() const { return m_students; }
    const QStringList& typedSubjects() const { return m_typedSubjects; }

    void add(const QByteArray& record) {
        if (record.size() < 2)
            return;
        const auto flags = static_cast<unsigned char>(record.at(0));
        const int kind = int(flags & 0x0F) % KindCount;
        const auto which = static_cast<unsigned char>(record.at(1));
        QByteArray name = record.mid(2);
        name.replace('/', '\\'); // a name holds no folder separator
        if (kind == StudentTyped) {
            m_students << QString::fromUtf8(name);
            return;
        }
        if (kind == SubjectTyped) {
            m_typedSubjects << QString::fromUtf8(name);
            return;
        }
        if (kind == TestsAsFile) {
            makeFile(m_content + subjectFor(which) + '/' + native(ContentPaths::kTests));
            return;
        }
        if (kind == Hidden)
            name.prepend('.');
        if (flags & kWithExtension)
            name += extensionOf(kind);
        if (name.isEmpty() || name == "." || name == ".." || name.size() > kNameMax)
            return;

        if (kind == Subject || kind == Hidden || kind == FileInContent) {
            const QByteArray path = m_content + name;
            bool folder = kind != FileInContent;
            if (flags & kAsLink)
                folder = makeLink(path, flags) && !(flags & kLinkLoops);
            else if (!(folder ? ::mkdir(path.constData(), 0755) == 0 : makeFile(path)))
                return;
            if (folder && !(flags & kAsLink) && kind == Subject)
                m_subjects << name;
            return;
        }

        const QByteArray base = m_content + subjectFor(which) + '/';
        const QByteArray folder = folderFor(kind, base);
        if (folder.isEmpty())
            return;
        const QByteArray path = folder + '/' + name;
        if (kind == Pipe) {
            ::mkfifo(path.constData(), 0644);
            return;
        }
        bool made = false;
        if (flags & kAsLink)
            made = makeLink(path, flags) && !(flags & kLinkLoops);
        else if (flags & kAsFolder)
            made = ::mkdir(path.constData(), 0755) == 0;
        else
            made = makeFile(path);
        if (made)
            m_listable << Made{folder, name};
    }

private:
    static QByteArray extensionOf(int kind) {
        switch (kind) {
        case Page:
            return ".html";
        case Variant:
        case Pipe:
            return ".txt";
        case Presentation:
            return ".ppt";
        case Video:
            return ".avi";
        default:
            return QByteArray();
        }
    }

    static bool makeFile(const QByteArray& path) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        ::close(fd);
        return true;
    }

    bool makeLink(const QByteArray& path, unsigned flags) const {
        const QByteArray target = (flags & kLinkLoops) ? path : m_outside;
        return ::symlink(target.constData(), path.constData()) == 0;
    }

    QByteArray subjectFor(unsigned char which) {
        if (m_subjects.isEmpty()) {
            const QByteArray fallback = QFile::encodeName(QStringLiteral("Предмет"));
            ::mkdir((m_content + fallback).constData(), 0755);
            m_subjects << fallback;
        }
        return m_subjects.at(which % m_subjects.size());
    }

    // The folder of `kind` in a subject, made on the way; empty when it cannot be made.
    static QByteArray folderFor(int kind, const QByteArray& base) {
        QByteArray folder;
        switch (kind) {
        case Page:
            return base.chopped(1);
        case Variant:
        case Pipe:
            folder = base + native(ContentPaths::kTests);
            break;
        case Report:
            ::mkdir((base + native(ContentPaths::kTests)).constData(), 0755);
            folder = base + native(ContentPaths::kTests) + '/' + native(ContentPaths::kReports);
            break;
        case Presentation:
            folder = base + native(ContentPaths::kPresentations);
            break;
        case Video:
            folder = base + native(ContentPaths::kVideos);
            break;
        default:
            return QByteArray();
        }
        ::mkdir(folder.constData(), 0755);
        struct stat info {};
        if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return QByteArray();
        return folder;
    }

    QByteArray m_root;
    QByteArray m_content;
    QByteArray m_outside;
    QList<QByteArray> m_subjects;
    QList<Made> m_listable;
    QStringList m_students;
    QStringList m_typedSubjects;
};

// A listing's own rules: sorted as the lists show it, each name once, no hidden entry.
void checkListing(const QStringList& names) {
    QStringList sorted = names;
    FolderListing::sortNames(sorted);
    FUZZ_CHECK(sorted == names);
    FUZZ_CHECK(QSet<QString>(names.cbegin(), names.cend()).size() == names.size());
    for (const QString& name : names) {
        FUZZ_CHECK(!name.isEmpty());
        FUZZ_CHECK(!name.startsWith(QLatin1Char('.')));
    }
}

// Opens a listed variant or report the way the windows do. It is a regular file or a folder
// (never a pipe, which would block); either it reads or it fails with a message.
void open(const QString& path) {
    // A listed name may fail to lead back to its entry (a Windows-1251 name whose text collides
    // with another spelling); then opening it must fail with a message, never hang or crash.
    struct stat status {};
    if (::stat(CodePage::nativePath(path).constData(), &status) != 0) {
        try {
            PackedText::OpenFromStream(path);
        } catch (const Failure& failure) {
            FUZZ_CHECK(!failure.message().isEmpty());
        }
        return;
    }
    FUZZ_CHECK(S_ISREG(status.st_mode) || S_ISDIR(status.st_mode));
    try {
        PackedText::OpenFromStream(path);
    } catch (const Failure& failure) {
        FUZZ_CHECK(!failure.message().isEmpty());
    }
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

void listEverything(const Tree& tree) {
    const QString content = tree.contentDir();
    const QStringList subjects = FolderListing::subjects(content);
    checkListing(subjects);
    for (const QByteArray& made : tree.subjects()) {
        if (nameable(made) && !hasUtf8Twin(tree.contentBytes(), made))
            FUZZ_CHECK(subjects.contains(shownName(made)));
    }

    // The listings of the three windows.
    for (TopicTrees::Tree kind :
         {TopicTrees::Tree::Topics, TopicTrees::Tree::Presentations, TopicTrees::Tree::Videos}) {
        const QVector<TopicTrees::Branch> branches = TopicTrees::list(content, kind);
        FUZZ_CHECK(branches.size() == subjects.size());
        for (const TopicTrees::Branch& branch : branches)
            checkListing(branch.entries);
    }
    const QVector<ReportListing::Subject> reports = ReportListing::list(content);
    FUZZ_CHECK(reports.size() == subjects.size());
    for (const ReportListing::Subject& subject : reports) {
        checkListing(subject.reports);
        const QString folder = ContentPaths::reportsDir(content, subject.name);
        for (const QString& report : subject.reports)
            open(folder + QLatin1Char('/') + report);
    }
    for (const QString& subject : subjects) {
        const QString folder = ContentPaths::testsDir(content, subject);
        const QStringList variants = FolderListing::children(folder, QStringLiteral("*.txt"));
        checkListing(variants);
        for (const QString& variant : variants) {
            FUZZ_CHECK(FolderListing::matchesMask(variant, QStringLiteral("*.txt")));
            open(folder + QLatin1Char('/') + variant);
        }
    }

    // Every entry made that a listing can show is shown by it.
    for (const Made& made : tree.listable()) {
        if (!nameable(made.name) || !reachable(made.folder) || hasUtf8Twin(made.folder, made.name))
            continue;
        const QString name = shownName(made.name);
        const QStringList shown =
            FolderListing::children(QFile::decodeName(made.folder), QStringLiteral("*"));
        FUZZ_CHECK(shown.contains(name));
    }
}

// The names typed into the windows: a student's name becomes a report, a subject's name a new
// subject. Neither may make anything outside the content tree.
void typeNames(const Tree& tree) {
    const QString content = tree.contentDir();
    const QStringList rootBefore = entriesOf(tree.root());
    const QStringList outsideBefore = entriesOf(tree.root() + QStringLiteral("/outside"));

    const QStringList subjects = FolderListing::subjects(content);
    for (qsizetype i = 0; i < tree.typedStudents().size(); ++i) {
        const QString& student = tree.typedStudents().at(i);
        if (subjects.isEmpty() || !StudentName::problem(student).isEmpty())
            continue;
        const QString subject = subjects.at(i % subjects.size());
        if (QFileInfo(ContentPaths::subjectDir(content, subject)).isSymLink())
            continue; // a link put in place by whoever installed the content leads elsewhere
        struct stat subjectFolder {};
        if (::stat(CodePage::nativePath(ContentPaths::subjectDir(content, subject)).constData(),
                   &subjectFolder) != 0)
            continue; // a Windows-1251 name that does not lead back to its folder (a known gap)
        const QString folder = ContentPaths::reportsDir(content, subject);
        ContentFolders::createFolder(folder); // as the testing window makes it
        const QByteArray text = "report of " + student.toUtf8();
        QString written;
        try {
            written = ReportFile::saveNew(folder, student, text);
        } catch (const Failure& failure) {
            FUZZ_CHECK(failure.message().startsWith(QLatin1String("Cannot create file")));
            continue;
        }
        if (written.isEmpty())
            continue; // all numbers taken
        FUZZ_CHECK(QFileInfo(written).path() == folder);
        FUZZ_CHECK(QFileInfo(written).fileName().startsWith(student + QLatin1Char('(')));
        FUZZ_CHECK(PackedText::OpenFromStream(written) == text);
    }

    for (const QString& name : tree.typedSubjects()) {
        if (QFileInfo(ContentPaths::subjectDir(content, name)).isSymLink())
            continue; // a link put in place by whoever installed the content leads elsewhere
        if (!SubjectCreation::create(content, name).isEmpty())
            continue; // refused with a notice
        // Created or left as it was, always directly under the content root.
        FUZZ_CHECK(QFileInfo(ContentPaths::subjectDir(content, name)).path() + QLatin1Char('/') ==
                   content);
    }

    FUZZ_CHECK(entriesOf(tree.root()) == rootBefore);
    FUZZ_CHECK(entriesOf(tree.root() + QStringLiteral("/outside")) == outsideBefore);
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*) {
    return type == FTW_DP ? ::rmdir(path) : ::unlink(path);
}

// Removes a tree by its native names: Qt cannot name, and so cannot remove, an entry whose
// name is not valid UTF-8. Links are removed, never followed.
void removeTree(const QByteArray& root) {
    ::nftw(root.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory where the system has such a place: each input makes and removes a whole tree.
    static const auto base =
        QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/normakurs-fuzz-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    FUZZ_CHECK(base->isValid());
    const QString root = base->filePath(QStringLiteral("run"));
    removeTree(QFile::encodeName(root));
    FUZZ_CHECK(QDir().mkdir(root));
    {
        Tree tree(QFile::encodeName(root));
        const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
        const QList<QByteArray> records = input.split('\0');
        for (qsizetype i = 0; i < records.size() && i < kMaxRecords; ++i)
            tree.add(records.at(i));
        listEverything(tree);
        typeNames(tree);
    }
    removeTree(QFile::encodeName(root));
    return 0;
}
