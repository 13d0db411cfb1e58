// The administrator's check of a lab's content folder: small trees with the modes of a row, and
// what a student's account (not the owner, not in the group) could reach in them.

#include "CodePage.h"
#include "Failure.h"
#include "LabCheck.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lab layout every row starts from. Lines "d MODE PATH", "f MODE PATH", "l TARGET PATH" (a
// link), "o UID PATH" (a new owner: root only); "~" ends a name spelled in Windows-1251 bytes.
const QStringList kLabLayout{
    "d 2775 Content",
    "d 2775 Content/Физика",
    "f 0644 Content/Физика/01.html",
    "d 2775 Content/Физика/Видео",
    "d 2770 Content/Физика/Тесты",
    "f 0660 Content/Физика/Тесты/Вариант 1.txt",
    "d 2770 Content/Физика/Тесты/Отчеты",
    "f 0640 Content/Физика/Тесты/Отчеты/Иванов(1)",
};

// Makes the entries in order; a later line for the same path changes its mode only.
bool makeTree(const QString& root, const QStringList& lines) {
    for (const QString& line : lines) {
        const QString kind = line.section(' ', 0, 0);
        const QString field = line.section(' ', 1, 1);
        QByteArray path = QFile::encodeName(root + '/' + line.section(' ', 2));
        if (path.endsWith('~')) {
            path.chop(1);
            const qsizetype slash = path.lastIndexOf('/');
            path = path.left(slash + 1) + CodePage::encode(QString::fromUtf8(path.mid(slash + 1)));
        }
        if (kind == QLatin1String("o") || kind == QLatin1String("l")) {
            if ((kind == QLatin1String("o")
                     ? ::chown(path.constData(), uid_t(field.toUInt()), gid_t(-1))
                     : ::symlink(QFile::encodeName(root + '/' + field).constData(),
                                 path.constData())) != 0)
                return false;
            continue;
        }
        struct stat existing {};
        if (::lstat(path.constData(), &existing) != 0 &&
            (kind == QLatin1String("d")
                 ? ::mkdir(path.constData(), 0700) != 0
                 : !QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly)))
            return false;
        if (::chmod(path.constData(), mode_t(field.toUInt(nullptr, 8))) != 0)
            return false;
    }
    return true;
}

QStringList listOf(const char* items) {
    return QString::fromUtf8(items).split(QStringLiteral("; "), Qt::SkipEmptyParts);
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
         "d 0777 Content; d 0777 Content/Физика; d 0777 Content/Физика/Тесты; "
         "f 0644 Content/Физика/Тесты/Вариант 1.txt; d 0777 Content/Физика/Тесты/Отчеты; "
         "f 0644 Content/Физика/Тесты/Отчеты/Иванов(1)",
         "own",
         "Content|subjects; Content/Физика|folders; Content/Физика/Тесты|change; "
         "Content/Физика/Тесты|set-group-ID; Content/Физика/Тесты/Вариант 1.txt|read; "
         "Content/Физика/Тесты/Отчеты|change; Content/Физика/Тесты/Отчеты|set-group-ID; "
         "Content/Физика/Тесты/Отчеты/Иванов(1)|read"},
        {"subject others may write", "d 2777 Content/Физика", "own", "Content/Физика|folders"},
        {"readable variant behind a closed folder", "f 0644 Content/Физика/Тесты/Вариант 1.txt",
         "own", ""},
        {"readable variant, tests folder passable",
         "d 2771 Content/Физика/Тесты; f 0644 Content/Физика/Тесты/Вариант 1.txt", "own",
         "Content/Физика/Тесты|pass through; Content/Физика/Тесты/Вариант 1.txt|read"},
        {"readable variant, subject closed to others",
         "d 2770 Content/Физика; d 2771 Content/Физика/Тесты; "
         "f 0644 Content/Физика/Тесты/Вариант 1.txt",
         "own", "Content/Физика/Тесты|pass through"},
        {"report others may change",
         "d 2771 Content/Физика/Тесты; d 2773 Content/Физика/Тесты/Отчеты; "
         "f 0642 Content/Физика/Тесты/Отчеты/Иванов(1)",
         "own",
         "Content/Физика/Тесты|pass through; Content/Физика/Тесты/Отчеты|change; "
         "Content/Физика/Тесты/Отчеты/Иванов(1)|change"},
        {"reports folder not set-group-ID", "d 0770 Content/Физика/Тесты/Отчеты", "own",
         "Content/Физика/Тесты/Отчеты|set-group-ID"},
        // A student made the tests folder under the open layout and still owns it.
        {"tests folder owned by a student", "o 47612 Content/Физика/Тесты", "own",
         "Content/Физика/Тесты|owned by 47612"},
        // The keeper made the reports folder for a student, who cannot reach it.
        {"reports folder the keeper made", "o 47612 Content/Физика/Тесты/Отчеты", "own", ""},
        {"group that does not exist", "", "no-such-group-of-a-lab", "no-such-group-of-a-lab|group"},
        {"tests folder named in Windows-1251",
         "d 2775 Content/История; d 0775 Content/История/Тесты~", "own",
         "Content/История/Тесты|list; Content/История/Тесты|set-group-ID"},
        // The key is where the link leads, whoever can pass through the tests folder.
        {"link to a readable file outside",
         "f 0644 Content/Физика/ключ; l Content/Физика/ключ Content/Физика/Тесты/Вариант 2.txt",
         "own", "Content/Физика/Тесты/Вариант 2.txt|through this link"},
        {"link to a file for the group",
         "f 0640 Content/Физика/ключ; l Content/Физика/ключ Content/Физика/Тесты/Вариант 2.txt",
         "own", ""},
        {"link to a readable file behind a closed folder",
         "d 0770 Content/Закрыто; f 0644 Content/Закрыто/ключ; "
         "l Content/Закрыто/ключ Content/Физика/Тесты/Вариант 2.txt",
         "own", ""},
        {"open folders outside the tests",
         "d 2777 Content/Физика/Видео; f 0666 Content/Физика/01.html", "own", ""},
        // Run by an ordinary account, the test owns the folders, outside the group: listed too.
        {"tests in another group", "", "other",
         ::geteuid() == 0 ? "Content/Физика/Тесты|not in; Content/Физика/Тесты/Отчеты|not in"
                          : "Content|owned; Content/Физика|owned; Content/Физика/Тесты|owned; "
                            "Content/Физика/Тесты|not in; Content/Физика/Тесты/Отчеты|not in"},
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
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QVERIFY(makeTree(dir.path(), kLabLayout + changes));
    if (group == QLatin1String("own") || group == QLatin1String("other"))
        group = QString::number(::getegid() + (group == QLatin1String("other") ? 1 : 0));

    QStringList found;
    for (const LabCheck::Finding& finding : LabCheck::check(dir.filePath("Content"), group)) {
        const QString path = finding.path.startsWith(dir.path() + '/')
                                 ? finding.path.mid(dir.path().size() + 1)
                                 : finding.path;
        const QString want = expected.value(found.size());
        found << (path == want.section('|', 0, 0) && finding.reason.contains(want.section('|', 1))
                      ? want
                      : path + '|' + finding.reason);
    }
    QCOMPARE(found, expected);
}

void TestLabCheck::missingContentFolderFails() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY_THROWS_EXCEPTION(Failure, LabCheck::check(dir.filePath("Content"), "0"));
}

QTEST_GUILESS_MAIN(TestLabCheck)
#include "TestLabCheck.moc"
