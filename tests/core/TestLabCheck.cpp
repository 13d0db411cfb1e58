// The administrator's check of a lab's content folder: small trees with the modes of a row, and
// what a student's account (not the owner, not in the group) could reach in them.

#include "CodePage.h"
#include "Failure.h"
#include "LabCheck.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Items split by "; ", "{S}" standing for the subject Content/Физика and "{T}" for its tests.
QStringList listOf(const char* items) {
    return QString::fromUtf8(items)
        .replace("{T}", "{S}/Тесты")
        .replace("{S}", "Content/Физика")
        .split(QStringLiteral("; "), Qt::SkipEmptyParts);
}

// Lines "d MODE PATH", "f MODE PATH", "l TARGET PATH" (a link), "o UID PATH" (a new owner: root
// only), made in order; a later line for the same path changes its mode only. "~" ends a name
// spelled in Windows-1251 bytes.
bool makeTree(const QString& root, const QStringList& lines) {
    for (const QString& line : lines) {
        const QString kind = line.section(' ', 0, 0), field = line.section(' ', 1, 1);
        QByteArray path = QFile::encodeName(root + '/' + line.section(' ', 2));
        if (path.endsWith('~')) {
            path.chop(1);
            const qsizetype name = path.lastIndexOf('/') + 1;
            path = path.left(name) + CodePage::encode(QString::fromUtf8(path.mid(name)));
        }
        struct stat existing {};
        const bool made =
            kind == "o" ? ::chown(path, uid_t(field.toUInt()), gid_t(-1)) == 0
            : kind == "l"
                ? ::symlink(QFile::encodeName(root + '/' + field), path) == 0
                : (::lstat(path, &existing) == 0 ||
                   (kind == "d" ? ::mkdir(path, 0700) == 0
                                : QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly))) &&
                      ::chmod(path, mode_t(field.toUInt(nullptr, 8))) == 0;
        if (!made)
            return false;
    }
    return true;
}

} // namespace

class TestLabCheck : public QObject {
    Q_OBJECT

private slots:
    void findings_data();
    void findings();
    void missingContentFolderFails();
};

void TestLabCheck::findings_data() {
    QTest::addColumn<QStringList>("changes");  // lines made after the lab layout
    QTest::addColumn<QString>("group");        // "own": the test's group; "other": one it is not in
    QTest::addColumn<QStringList>("expected"); // "path|word of the reason", in the tree's order

    const char* const rows[][4] = {
        {"lab layout", "", "own", ""},
        {"open layout",
         "d 0777 Content; d 0777 {S}; d 0777 {T}; f 0644 {T}/Вариант 1.txt; d 0777 {T}/Отчеты; "
         "f 0644 {T}/Отчеты/Иванов(1)",
         "own",
         "Content|subjects; {S}|folders; {T}|change; {T}|set-group-ID; {T}/Вариант 1.txt|read; "
         "{T}/Отчеты|change; {T}/Отчеты|set-group-ID; {T}/Отчеты/Иванов(1)|read"},
        {"subject others may write", "d 2777 {S}", "own", "{S}|folders"},
        {"readable variant behind a closed folder", "f 0644 {T}/Вариант 1.txt", "own", ""},
        {"readable variant, tests folder passable", "d 2771 {T}; f 0644 {T}/Вариант 1.txt", "own",
         "{T}|pass through; {T}/Вариант 1.txt|read"},
        {"readable variant, subject closed to others",
         "d 2770 {S}; d 2771 {T}; f 0644 {T}/Вариант 1.txt", "own", "{T}|pass through"},
        {"report others may change", "d 2771 {T}; d 2773 {T}/Отчеты; f 0642 {T}/Отчеты/Иванов(1)",
         "own", "{T}|pass through; {T}/Отчеты|change; {T}/Отчеты/Иванов(1)|change"},
        {"reports folder not set-group-ID", "d 0770 {T}/Отчеты", "own", "{T}/Отчеты|set-group-ID"},
        // A student made the tests folder under the open layout and still owns it.
        {"tests folder owned by a student", "o 47612 {T}", "own", "{T}|owned by 47612"},
        // The keeper made the reports folder for a student, who cannot reach it.
        {"reports folder the keeper made", "o 47612 {T}/Отчеты", "own", ""},
        {"group that does not exist", "", "no-such-group-of-a-lab", "no-such-group-of-a-lab|group"},
        {"tests folder named in Windows-1251",
         "d 2775 Content/История; d 0775 Content/История/Тесты~", "own",
         "Content/История/Тесты|list; Content/История/Тесты|set-group-ID"},
        // The key is where the link leads, whoever can pass through the tests folder.
        {"link to a readable file outside", "f 0644 {S}/ключ; l {S}/ключ {T}/Вариант 2.txt", "own",
         "{T}/Вариант 2.txt|through this link"},
        {"link to a file for the group", "f 0640 {S}/ключ; l {S}/ключ {T}/Вариант 2.txt", "own",
         ""},
        {"link to a readable file behind a closed folder",
         "d 0770 Content/Закрыто; f 0644 Content/Закрыто/ключ; "
         "l Content/Закрыто/ключ {T}/Вариант 2.txt",
         "own", ""},
        {"open folders outside the tests", "d 2777 {S}/Видео; f 0666 {S}/01.html", "own", ""},
        // Run by an ordinary account, the test owns the folders, outside the group: listed too.
        {"tests in another group", "", "other",
         ::geteuid() == 0 ? "{T}|not in; {T}/Отчеты|not in"
                          : "Content|owned; {S}|owned; {T}|owned; {T}|not in; {T}/Отчеты|not in"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << listOf(row[1]) << QString(row[2]) << listOf(row[3]);
}

void TestLabCheck::findings() {
    QFETCH(QStringList, changes);
    QFETCH(QString, group);
    QFETCH(QStringList, expected);
    if (::geteuid() != 0 && !changes.filter(QRegularExpression("^o ")).isEmpty())
        QSKIP("giving a folder to another account needs root");
    // The folders' owner is this account, whose groups are looked up by its name.
    if (!::getpwuid(::geteuid()))
        QSKIP("this account has no name in the account database");
    // Where every account may pass, as into a program folder: a link's target outside the tests
    // is judged by its own path.
    QTemporaryDir dir(QStringLiteral("/tmp/lab-check-XXXXXX"));
    QCOMPARE(::chmod(QFile::encodeName(dir.path()), 0755), 0);
    QVERIFY(makeTree(dir.path(), listOf("d 2775 Content; d 2775 {S}; f 0644 {S}/01.html; "
                                        "d 2775 {S}/Видео; d 2770 {T}; f 0660 {T}/Вариант 1.txt; "
                                        "d 2770 {T}/Отчеты; f 0640 {T}/Отчеты/Иванов(1)") +
                                     changes));
    if (group == "own" || group == "other")
        group = QString::number(::getegid() + (group == "other" ? 1 : 0));

    QStringList found;
    for (const LabCheck::Finding& finding : LabCheck::check(dir.filePath("Content"), group)) {
        const QString path =
            finding.path.mid(finding.path.startsWith(dir.path() + '/') ? dir.path().size() + 1 : 0);
        const QString want = expected.value(found.size());
        found << (path == want.section('|', 0, 0) && finding.reason.contains(want.section('|', 1))
                      ? want
                      : path + '|' + finding.reason);
    }
    QCOMPARE(found, expected);
}

void TestLabCheck::missingContentFolderFails() {
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(Failure, LabCheck::check(dir.filePath("Content"), "0"));
}

QTEST_GUILESS_MAIN(TestLabCheck)
#include "TestLabCheck.moc"
