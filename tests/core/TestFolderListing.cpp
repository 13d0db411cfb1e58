// Listing the content folders, the existence tests and folder creation in the content tree.

#include "CodePage.h"
#include "ContentFolders.h"
#include "ContentPaths.h"
#include "FolderListing.h"
#include "support/TempContentTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <memory>

namespace {

const QString kSubject = QStringLiteral("Алгебра");

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// Every name under `folder`, hidden ones included, sorted plainly: what is really on disk.
QStringList onDisk(const QString& folder) {
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

} // namespace

class TestFolderListing : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempContentTree> m_tree;

    QString content(const QString& relative = QString()) const {
        return m_tree->contentDir() + relative;
    }

private slots:
    void init();
    void cleanup();

    void matchesMask_data();
    void matchesMask();
    void filesInRootAreNotSubjects();
    void hiddenEntriesSkipped();
    void matchingFolderListedLikeFile_data();
    void matchingFolderListedLikeFile();
    void masks_data();
    void masks();
    void missingFolderYieldsNothing();
    void namesSortedWithoutRegardToCase_data();
    void namesSortedWithoutRegardToCase();
    void pipesAndBrokenLinksSkipped();
    void subjectsInSameOrderEveryTime();
    void entriesTellFoldersFromFiles();

    void existenceTests_data();
    void existenceTests();
    void createFolderMakesOneLevel();
    void createFolderKeepsSharedTreeOpen_data();
    void createFolderKeepsSharedTreeOpen();
    void createSubject_data();
    void createSubject();
    void createSubjectWithoutContentRoot();
    void subjectNameProblem_data();
    void subjectNameProblem();
    void contentPaths();
    void documentUrlLeadsToFile_data();
    void documentUrlLeadsToFile();
    void everyRawNameListedOnceAndLeadsBack();
};

void TestFolderListing::init() {
    m_tree = std::make_unique<TempContentTree>();
    QVERIFY(m_tree->isValid());
}

void TestFolderListing::cleanup() {
    m_tree.reset();
}

void TestFolderListing::matchesMask_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("matches");

    QTest::newRow("* takes anything") << "Иванов(1)"
                                      << "*" << true;
    QTest::newRow("* takes a dotted name") << "a.b.c"
                                           << "*" << true;
    QTest::newRow("html") << "notes.html"
                          << "*.html" << true;
    QTest::newRow("HTML, other case") << "A.HTML"
                                      << "*.html" << true;
    QTest::newRow("mixed case mask") << "a.html"
                                     << "*.HtMl" << true;
    QTest::newRow("htm is shorter") << "x.htm"
                                    << "*.html" << false;
    QTest::newRow("htmlx is longer") << "x.htmlx"
                                     << "*.html" << false;
    QTest::newRow("html inside the name") << "x.html.bak"
                                          << "*.html" << false;
    QTest::newRow("no extension") << "html"
                                  << "*.html" << false;
    QTest::newRow("pptx under ppt") << "talk.pptx"
                                    << "*.ppt" << true;
    QTest::newRow("PPTX under ppt") << "TALK.PPTX"
                                    << "*.ppt" << true;
    QTest::newRow("pptm under ppt") << "talk.pptm"
                                    << "*.ppt" << true;
    QTest::newRow("pp is shorter") << "talk.pp"
                                   << "*.ppt" << false;
    QTest::newRow("xppt") << "talk.xppt"
                          << "*.ppt" << false;
    QTest::newRow("txt") << "Вариант 1.txt"
                         << "*.txt" << true;
    QTest::newRow("txt.bak") << "v.txt.bak"
                             << "*.txt" << false;
    QTest::newRow("text under txt") << "v.text"
                                    << "*.txt" << false;
    QTest::newRow("avi") << "film.AVI"
                         << "*.avi" << true;
    QTest::newRow("mp4 under avi") << "film.mp4"
                                   << "*.avi" << false;
    QTest::newRow("dot ending") << "name."
                                << "*.txt" << false;
    QTest::newRow("report has no extension") << "Иванов(1)"
                                             << "*.txt" << false;
}

void TestFolderListing::matchesMask() {
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, matches);

    QCOMPARE(FolderListing::matchesMask(name, mask), matches);
}

void TestFolderListing::filesInRootAreNotSubjects() {
    m_tree->makeFolder(QStringLiteral("Content/") + kSubject);
    m_tree->makeFile(QStringLiteral("Content/readme.txt"), "x");
    m_tree->makeFile(QStringLiteral("Content/Физика"), "not a folder");

    QCOMPARE(FolderListing::subjects(content()), QStringList{kSubject});
    // The listing itself returns both; the subject listing keeps the folders.
    QCOMPARE(FolderListing::children(content(), QStringLiteral("*")),
             (QStringList{QStringLiteral("Алгебра"), QStringLiteral("Физика"),
                          QStringLiteral("readme.txt")}));
}

void TestFolderListing::hiddenEntriesSkipped() {
    m_tree->makeFolder(QStringLiteral("Content/") + kSubject);
    m_tree->makeFolder(QStringLiteral("Content/.hidden"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/.page.html"), "x");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/page.html"), "x");
    m_tree->makeFolder(QStringLiteral("Content/Алгебра/.old.html"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/.v.txt"), "x");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/.Иванов(1)"), "x");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иванов(1)"), "x");

    QCOMPARE(FolderListing::subjects(content()), QStringList{kSubject});
    QCOMPARE(FolderListing::children(content(QStringLiteral("Алгебра")), QStringLiteral("*.html")),
             QStringList{QStringLiteral("page.html")});
    QCOMPARE(
        FolderListing::children(content(QStringLiteral("Алгебра/Тесты")), QStringLiteral("*.txt")),
        QStringList());
    QCOMPARE(FolderListing::children(content(QStringLiteral("Алгебра/Тесты/Отчеты")),
                                     QStringLiteral("*")),
             QStringList{QStringLiteral("Иванов(1)")});
}

void TestFolderListing::matchingFolderListedLikeFile_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("name");

    QTest::newRow("page") << "Алгебра"
                          << "*.html"
                          << "notes.html";
    QTest::newRow("variant") << "Алгебра/Тесты"
                             << "*.txt"
                             << "old.txt";
    QTest::newRow("report") << "Алгебра/Тесты/Отчеты"
                            << "*"
                            << "Петров(2)";
    QTest::newRow("presentation") << "Алгебра/Презентации"
                                  << "*.ppt"
                                  << "slides.ppt";
    QTest::newRow("video") << "Алгебра/Видео"
                           << "*.avi"
                           << "clip.avi";
}

void TestFolderListing::matchingFolderListedLikeFile() {
    QFETCH(QString, folder);
    QFETCH(QString, mask);
    QFETCH(QString, name);

    m_tree->makeFolder(QStringLiteral("Content/") + folder + QLatin1Char('/') + name);
    m_tree->makeFolder(QStringLiteral("Content/") + folder + QStringLiteral("/other"));
    m_tree->makeFile(QStringLiteral("Content/") + folder + QStringLiteral("/zz") +
                         (mask == QLatin1String("*") ? QString() : mask.mid(1)),
                     "x");

    const QStringList expected{name, mask == QLatin1String("*")
                                         ? QStringLiteral("zz")
                                         : QStringLiteral("zz") + mask.mid(1)};
    QStringList listed = FolderListing::children(content(folder), mask);
    listed.removeAll(QStringLiteral("other")); // "*" takes it as well
    QCOMPARE(listed, expected);
}

void TestFolderListing::masks_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("html, any case")
        << QStringList{"A.HTML", "b.html", "c.Html", "x.htm", "x.htmlx", "y.txt", "html"}
        << "*.html" << QStringList{"A.HTML", "b.html", "c.Html"};
    QTest::newRow("ppt takes pptx") << QStringList{"talk.pptx", "old.ppt", "notes.pdf", "a.pp"}
                                    << "*.ppt" << QStringList{"old.ppt", "talk.pptx"};
    QTest::newRow("txt variants") << QStringList{"Вариант 2.txt", "вариант 1.TXT", "key.txt.bak",
                                                 "Иванов(1)"}
                                  << "*.txt" << QStringList{"вариант 1.TXT", "Вариант 2.txt"};
    QTest::newRow("star takes every name") << QStringList{"Иванов(1)", "Петров(1)", "a.txt"} << "*"
                                           << QStringList{"Иванов(1)", "Петров(1)", "a.txt"};
    QTest::newRow("nothing matches") << QStringList{"a.txt"} << "*.avi" << QStringList();
}

void TestFolderListing::masks() {
    QFETCH(QStringList, files);
    QFETCH(QString, mask);
    QFETCH(QStringList, listed);

    for (const QString& file : files)
        m_tree->makeFile(QStringLiteral("Content/Алгебра/") + file, "x");
    QCOMPARE(FolderListing::children(content(kSubject), mask), listed);
}

void TestFolderListing::missingFolderYieldsNothing() {
    QCOMPARE(FolderListing::subjects(content()), QStringList());
    QCOMPARE(FolderListing::children(content(QStringLiteral("Нет/Тесты")), QStringLiteral("*.txt")),
             QStringList());
    QCOMPARE(FolderListing::entries(content(QStringLiteral("Нет")), QStringLiteral("*")).size(),
             qsizetype(0));

    QVERIFY(QDir(content()).removeRecursively());
    QCOMPARE(FolderListing::subjects(content()), QStringList());
    // A file where a folder is expected lists as nothing, too.
    m_tree->makeFile(QStringLiteral("Content"), "x");
    QCOMPARE(FolderListing::subjects(content()), QStringList());
}

void TestFolderListing::namesSortedWithoutRegardToCase_data() {
    QTest::addColumn<QStringList>("made");
    QTest::addColumn<QStringList>("expected");

    // Numbers by value, Cyrillic before Latin as in a Russian order, case ignored (names equal
    // apart from case keep one fixed order), Ё as Е.
    QTest::newRow("mixed") << QStringList{"zoo", "Zeta",      "b",       "a",        "A",
                                          "C",   "алгоритмы", "Алгебра", "Биология", "ёлка",
                                          "Ёж",  "10",        "2"}
                           << QStringList{"2",  "10",   "Алгебра", "алгоритмы", "Биология",
                                          "Ёж", "ёлка", "A",       "a",         "b",
                                          "C",  "Zeta", "zoo"};
    QTest::newRow("variants") << QStringList{"Вариант 10.txt", "Вариант 2.txt", "Вариант 1.txt",
                                             "Вариант 12.txt", "Вариант 9.txt"}
                              << QStringList{"Вариант 1.txt", "Вариант 2.txt", "Вариант 9.txt",
                                             "Вариант 10.txt", "Вариант 12.txt"};
    QTest::newRow("reports") << QStringList{"Иванов(10).txt", "Иванов(2).txt", "Иванов(1).txt",
                                            "Иванова(1).txt"}
                             << QStringList{"Иванов(1).txt", "Иванов(2).txt", "Иванов(10).txt",
                                            "Иванова(1).txt"};
    QTest::newRow("yo beside ye") << QStringList{"Ёлка", "Жук", "Дом", "Елка", "Ежевика", "ель"}
                                  << QStringList{"Дом", "Ежевика", "Елка", "Ёлка", "ель", "Жук"};
    QTest::newRow("case") << QStringList{"бета", "Альфа", "БЕТА2", "альфа1"}
                          << QStringList{"Альфа", "альфа1", "бета", "БЕТА2"};
}

void TestFolderListing::namesSortedWithoutRegardToCase() {
    QFETCH(QStringList, made);
    QFETCH(QStringList, expected);
    for (const QString& name : made)
        m_tree->makeFolder(QStringLiteral("Content/") + name);

    QCOMPARE(FolderListing::subjects(content()), expected);
    QCOMPARE(FolderListing::children(content(), QStringLiteral("*")), expected);

    QStringList names = made;
    FolderListing::sortNames(names);
    QCOMPARE(names, expected);
}

void TestFolderListing::pipesAndBrokenLinksSkipped() {
    m_tree->makeFolder(QStringLiteral("Content/Алгебра/Тесты"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/v1.txt"), "x");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/target.bin"), "x");
    QVERIFY(makeFifo(content(QStringLiteral("Алгебра/Тесты/pipe.txt"))));
    QVERIFY(makeFifo(content(QStringLiteral("Pipe"))));
    QVERIFY(QFile::link(content(QStringLiteral("gone")), content(QStringLiteral("Broken"))));
    QVERIFY(QFile::link(content(QStringLiteral("gone.txt")),
                        content(QStringLiteral("Алгебра/Тесты/broken.txt"))));
    // A link that leads somewhere is taken as what it leads to.
    QVERIFY(QFile::link(content(QStringLiteral("Алгебра/Тесты/target.bin")),
                        content(QStringLiteral("Алгебра/Тесты/link.txt"))));
    QVERIFY(QFile::link(content(kSubject), content(QStringLiteral("Линк"))));

    QCOMPARE(FolderListing::subjects(content()), (QStringList{kSubject, QStringLiteral("Линк")}));
    QCOMPARE(
        FolderListing::children(content(QStringLiteral("Алгебра/Тесты")), QStringLiteral("*.txt")),
        (QStringList{QStringLiteral("link.txt"), QStringLiteral("v1.txt")}));
    // They are on disk all the same.
    QCOMPARE(onDisk(content(QStringLiteral("Алгебра/Тесты"))),
             (QStringList{"broken.txt", "link.txt", "pipe.txt", "target.bin", "v1.txt"}));
}

void TestFolderListing::subjectsInSameOrderEveryTime() {
    const QStringList made{"Физика", "алгебра", "Химия", "Biology", "astronomy", "История"};
    for (const QString& name : made)
        m_tree->makeFolder(QStringLiteral("Content/") + name);
    m_tree->makeFile(QStringLiteral("Content/zzz.html"), "x");

    const QStringList first = FolderListing::subjects(content());
    QCOMPARE(first, (QStringList{"алгебра", "История", "Физика", "Химия", "astronomy", "Biology"}));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(FolderListing::subjects(content()), first);
    // Through ContentDir(), as the windows list them.
    QCOMPARE(FolderListing::subjects(ContentPaths::ContentDir()), first);
}

void TestFolderListing::entriesTellFoldersFromFiles() {
    m_tree->makeFolder(QStringLiteral("Content/Алгебра/notes.html"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/page.html"), "x");

    const QVector<FolderListing::Entry> found =
        FolderListing::entries(content(kSubject), QStringLiteral("*.html"));
    QCOMPARE(found.size(), qsizetype(2));
    QCOMPARE(found.at(0).name, QStringLiteral("notes.html"));
    QCOMPARE(found.at(0).isFolder, true);
    QCOMPARE(found.at(1).name, QStringLiteral("page.html"));
    QCOMPARE(found.at(1).isFolder, false);
}

void TestFolderListing::existenceTests_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("file");

    QTest::newRow("folder") << "Алгебра" << true << false;
    QTest::newRow("file") << "Алгебра/page.html" << false << true;
    QTest::newRow("empty file") << "Алгебра/Тесты/Отчеты/Иванов(1)" << false << true;
    QTest::newRow("missing") << "Алгебра/none.html" << false << false;
    QTest::newRow("missing parent") << "Физика/Тесты" << false << false;
    QTest::newRow("folder with a dot") << "Алгебра/notes.html" << true << false;
    QTest::newRow("hidden file") << "Алгебра/.hidden" << false << true;
    QTest::newRow("named pipe") << "Алгебра/pipe" << false << true;
    // A broken link still holds the name: writing there must not count on it being free.
    QTest::newRow("broken link") << "Алгебра/broken" << false << true;
    QTest::newRow("link to a folder") << "Линк" << true << false;
}

void TestFolderListing::existenceTests() {
    QFETCH(QString, name);
    QFETCH(bool, folder);
    QFETCH(bool, file);

    m_tree->makeFile(QStringLiteral("Content/Алгебра/page.html"), "x");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иванов(1)"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/.hidden"), "x");
    m_tree->makeFolder(QStringLiteral("Content/Алгебра/notes.html"));
    QVERIFY(makeFifo(content(QStringLiteral("Алгебра/pipe"))));
    QVERIFY(
        QFile::link(content(QStringLiteral("gone")), content(QStringLiteral("Алгебра/broken"))));
    QVERIFY(QFile::link(content(kSubject), content(QStringLiteral("Линк"))));

    QCOMPARE(ContentFolders::folderExists(content(name)), folder);
    QCOMPARE(ContentFolders::fileExists(content(name)), file);
}

void TestFolderListing::createFolderMakesOneLevel() {
    const QString subject = content(kSubject);
    QCOMPARE(ContentFolders::createFolder(subject + QStringLiteral("/Тесты")), false);
    QVERIFY(!QFileInfo::exists(subject));

    QCOMPARE(ContentFolders::createFolder(subject), true);
    QVERIFY(QFileInfo(subject).isDir());
    QCOMPARE(ContentFolders::createFolder(subject), false);
    QVERIFY(QFileInfo(subject).isDir());

    QCOMPARE(ContentFolders::createFolder(subject + QStringLiteral("/Тесты")), true);
    QCOMPARE(ContentFolders::createFolder(subject + QStringLiteral("/Тесты/Отчеты")), true);
    QCOMPARE(onDisk(subject + QStringLiteral("/Тесты")), QStringList{QStringLiteral("Отчеты")});

    // A file of that name is not replaced.
    m_tree->makeFile(QStringLiteral("Content/file"), "keep");
    QCOMPARE(ContentFolders::createFolder(content(QStringLiteral("file"))), false);
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/file")), QByteArray("keep"));
}

void TestFolderListing::createFolderKeepsSharedTreeOpen_data() {
    QTest::addColumn<int>("parentMode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expectedMode"); // -1: what the user's file-creation mask gives

    QTest::newRow("open to all") << 0777 << "Тесты" << 0777;
    QTest::newRow("open to all, set-group") << 02777 << "Тесты" << 02777;
    QTest::newRow("private") << 0755 << "Тесты" << -1;
    QTest::newRow("group only") << 0775 << "Тесты" << -1;
    // A lab's tree: set-group-ID folders of one group.
    QTest::newRow("lab subject's tests") << 02775 << "Тесты" << 02770;
    QTest::newRow("lab subject's videos") << 02775 << "Видео" << 02775;
    QTest::newRow("lab content's new subject") << 02755 << "Химия" << 02775;
    QTest::newRow("lab reports, in a closed folder") << 02770 << "Отчеты" << 02770;
    QTest::newRow("lab tests' subfolder") << 02775 << "Тесты/Отчеты" << 02770;
}

void TestFolderListing::createFolderKeepsSharedTreeOpen() {
    QFETCH(int, parentMode);
    QFETCH(QString, name);
    QFETCH(int, expectedMode);
    const QString parent = m_tree->makeFolder(QStringLiteral("Content/Общий"));
    QCOMPARE(::chmod(QFile::encodeName(parent).constData(), mode_t(parentMode)), 0);
    // A nested name: its own parent is made first, by the same rules.
    if (name.contains(QLatin1Char('/')))
        QVERIFY(ContentFolders::createFolder(parent + QLatin1Char('/') + name.section('/', 0, 0)));

    const QString folder = parent + QLatin1Char('/') + name;
    QVERIFY(ContentFolders::createFolder(folder));
    struct stat made {};
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &made), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int expected = expectedMode >= 0 ? expectedMode : int(0777 & ~mask);
    QCOMPARE(int(made.st_mode & 07777), expected);
}

void TestFolderListing::createSubject_data() {
    QTest::addColumn<QStringList>("files");   // in the subject's folder before; each holds its name
    QTest::addColumn<QStringList>("subject"); // on disk after
    QTest::addColumn<QStringList>("tests");   // no reports folder: the first report makes it

    QTest::newRow("new subject") << QStringList() << QStringList{"Видео", "Презентации", "Тесты"}
                                 << QStringList();
    QTest::newRow("keeps what exists")
        << QStringList{"page.html", "Тесты/v1.txt", "Тесты/Отчеты/Иванов(1)", "Видео/clip.avi"}
        << QStringList{"page.html", "Видео", "Презентации", "Тесты"}
        << QStringList{"v1.txt", "Отчеты"};
}

void TestFolderListing::createSubject() {
    QFETCH(QStringList, files);
    QFETCH(QStringList, subject);
    QFETCH(QStringList, tests);
    for (const QString& file : files)
        m_tree->makeFile(QStringLiteral("Content/Алгебра/") + file, file.toUtf8());

    ContentFolders::createSubject(content(), kSubject);

    QCOMPARE(onDisk(content()), QStringList{kSubject});
    QCOMPARE(onDisk(content(kSubject)), subject);
    QCOMPARE(onDisk(content(QStringLiteral("Алгебра/Презентации"))), QStringList());
    QCOMPARE(onDisk(content(QStringLiteral("Алгебра/Тесты"))), tests);
    for (const QString& file : files)
        QCOMPARE(m_tree->readFile(QStringLiteral("Content/Алгебра/") + file), file.toUtf8());
    QCOMPARE(FolderListing::subjects(content()), QStringList{kSubject});
}

void TestFolderListing::createSubjectWithoutContentRoot() {
    QVERIFY(QDir(content()).removeRecursively());

    ContentFolders::createSubject(content(), kSubject);

    QVERIFY(!QFileInfo::exists(content()));
    QCOMPARE(onDisk(m_tree->programDir()), QStringList());
}

void TestFolderListing::subjectNameProblem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem");

    const QString empty = QStringLiteral("Введите название предмета.");
    const QString separator =
        QStringLiteral("Название предмета не может содержать символы «/» и «\\».");
    const QString dots = QStringLiteral("Название предмета не может быть «.» или «..».");

    QTest::newRow("empty") << QString() << empty;
    QTest::newRow("slash") << "a/b" << separator;
    QTest::newRow("backslash") << "a\\b" << separator;
    QTest::newRow("slash only") << "/" << separator;
    QTest::newRow("leading slash") << "/Алгебра" << separator;
    QTest::newRow("dot") << "." << dots;
    QTest::newRow("two dots") << ".." << dots;
    QTest::newRow("plain") << "Алгебра" << QString();
    QTest::newRow("blanks and digits") << "Физика 7 класс" << QString();
    QTest::newRow("dot inside") << "a.b" << QString();
    QTest::newRow("three dots") << "..."
                                << QStringLiteral("Название предмета не может начинаться с точки.");
    QTest::newRow("leading dot") << ".Алгебра"
                                 << QStringLiteral(
                                        "Название предмета не может начинаться с точки.");
}

void TestFolderListing::subjectNameProblem() {
    QFETCH(QString, name);
    QFETCH(QString, problem);

    QCOMPARE(ContentFolders::subjectNameProblem(name), problem);
}

void TestFolderListing::contentPaths() {
    QCOMPARE(ContentPaths::ProgramDir(), m_tree->programDir());
    QCOMPARE(ContentPaths::ContentDir(), m_tree->contentDir());
    const QString root = ContentPaths::ContentDir();
    QCOMPARE(ContentPaths::subjectDir(root, kSubject), root + QStringLiteral("Алгебра"));
    QCOMPARE(ContentPaths::testsDir(root, kSubject), root + QStringLiteral("Алгебра/Тесты"));
    QCOMPARE(ContentPaths::reportsDir(root, kSubject),
             root + QStringLiteral("Алгебра/Тесты/Отчеты"));
    QCOMPARE(ContentPaths::presentationsDir(root, kSubject),
             root + QStringLiteral("Алгебра/Презентации"));
    QCOMPARE(ContentPaths::videosDir(root, kSubject), root + QStringLiteral("Алгебра/Видео"));
    QCOMPARE(ContentPaths::helpPage(m_tree->programDir()),
             m_tree->programDir() + QStringLiteral("Source/help.html"));
    QCOMPARE(ContentPaths::skinsDir(m_tree->programDir()),
             m_tree->programDir() + QStringLiteral("Source/Skin"));
}

void TestFolderListing::documentUrlLeadsToFile_data() {
    QTest::addColumn<bool>("copiedFolders"); // the subject's folders in Windows-1251 bytes
    QTest::addColumn<QByteArray>("file");    // the file's name as bytes on disk

    QTest::newRow("UTF-8 names") << false << QByteArray("Лекция #1.ppt");
    QTest::newRow("folders in Windows-1251") << true << QByteArray("Лекция #1.ppt");
    QTest::newRow("all in Windows-1251, with % and ?")
        << true << CodePage::encode(QStringLiteral("Лекция 100% ?.ppt"));
}

void TestFolderListing::documentUrlLeadsToFile() {
    // What the presentation tree hands to the desktop: the name as shown must become an address
    // of the file's own bytes, or the desktop opens nothing.
    QFETCH(bool, copiedFolders);
    QFETCH(QByteArray, file);
    const auto onDiskName = [copiedFolders](const QString& name) {
        return copiedFolders ? CodePage::encode(name) : name.toUtf8();
    };
    const QByteArray subject = QFile::encodeName(content()) + onDiskName(QStringLiteral("Физика"));
    const QByteArray folder = subject + '/' + onDiskName(QStringLiteral("Презентации"));
    const QByteArray native = folder + '/' + file;
    QCOMPARE(::mkdir(subject.constData(), 0777), 0);
    QCOMPARE(::mkdir(folder.constData(), 0777), 0);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    QVERIFY(fd >= 0);
    ::close(fd);
    QCOMPARE(FolderListing::subjects(content()), QStringList{QStringLiteral("Физика")});
    const QString shown = ContentPaths::presentationsDir(content(), QStringLiteral("Физика")) +
                          QLatin1Char('/') + CodePage::fileName(file);

    const QUrl url = CodePage::fileUrl(shown);
    QVERIFY(url.isValid());
    QVERIFY(url.isLocalFile());
    QCOMPARE(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()), native);
    QCOMPARE(QUrl::fromEncoded(url.toEncoded()), url); // survives the trip to the desktop
    const bool utf8 = native == QFile::encodeName(shown);
    QCOMPARE(utf8, !copiedFolders);
    QCOMPARE(url == QUrl::fromLocalFile(shown), utf8);
}

// Names as a copy from another system may leave them: cut in the middle of a UTF-8 character,
// or with a byte order mark in front. Each is listed once, under a name that leads back to it.
void TestFolderListing::everyRawNameListedOnceAndLeadsBack() {
    const QList<QByteArray> raw{"_", "_\xd0", "_\xdd", "\xef\xbb\xbf_", "\xd0\xb0\xd0"};
    const QByteArray folder = QFile::encodeName(content());
    for (const QByteArray& name : raw) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    const QStringList listed = FolderListing::children(content(), QStringLiteral("*"));
    QCOMPARE(listed.size(), raw.size());
    QList<QByteArray> ledTo;
    for (const QString& name : listed)
        ledTo << CodePage::nativePath(content() + name).mid(folder.size());
    std::sort(ledTo.begin(), ledTo.end());
    QList<QByteArray> expected = raw;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(ledTo, expected);
}

QTEST_GUILESS_MAIN(TestFolderListing)
#include "TestFolderListing.moc"
