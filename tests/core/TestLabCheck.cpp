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

// The lab layout every row starts from; a row adds or changes entries after it.
//   "d MODE PATH", "f MODE PATH", "l TARGET PATH" (a symbolic link), "o UID PATH" (a new owner:
//   root only); paths below the tree.
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
        // "~" marks a name whose last part is spelled in Windows-1251 bytes.
        if (path.endsWith('~')) {
            path.chop(1);
            const qsizetype slash = path.lastIndexOf('/');
            path = path.left(slash + 1) + CodePage::encode(QString::fromUtf8(path.mid(slash + 1)));
        }
        const mode_t mode = mode_t(field.toUInt(nullptr, 8));
        struct stat existing {};
        if (kind == QLatin1String("o")) {
            if (::chown(path.constData(), uid_t(field.toUInt()), gid_t(-1)) != 0)
                return false;
            continue;
        }
        if (kind == QLatin1String("l")) {
            if (::symlink(QFile::encodeName(root + '/' + field).constData(), path.constData()) != 0)
                return false;
            continue;
        }
        if (::lstat(path.constData(), &existing) != 0) {
            if (kind == QLatin1String("d")
                    ? ::mkdir(path.constData(), 0700) != 0
                    : !QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly))
                return false;
        }
        if (::chmod(path.constData(), mode) != 0)
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
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<QString>("group"); // "own": the test's group; "other": a group it is not
    // One "path|word of the reason" per finding, in the order of the tree.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("lab layout") << QStringList() << "own" << QStringList();
    QTest::newRow("open layout") << QStringList{"d 0777 Content",
                                                "d 0777 Content/Физика",
                                                "d 0777 Content/Физика/Тесты",
                                                "f 0644 Content/Физика/Тесты/Вариант 1.txt",
                                                "d 0777 Content/Физика/Тесты/Отчеты",
                                                "f 0644 Content/Физика/Тесты/Отчеты/Иванов(1)"}
                                 << "own"
                                 << QStringList{"Content|subjects",
                                                "Content/Физика|folders",
                                                "Content/Физика/Тесты|change",
                                                "Content/Физика/Тесты|set-group-ID",
                                                "Content/Физика/Тесты/Вариант 1.txt|read",
                                                "Content/Физика/Тесты/Отчеты|change",
                                                "Content/Физика/Тесты/Отчеты|set-group-ID",
                                                "Content/Физика/Тесты/Отчеты/Иванов(1)|read"};
    QTest::newRow("subject others may write")
        << QStringList{"d 2777 Content/Физика"} << "own" << QStringList{"Content/Физика|folders"};
    QTest::newRow("readable variant behind a closed folder")
        << QStringList{"f 0644 Content/Физика/Тесты/Вариант 1.txt"} << "own" << QStringList();
    QTest::newRow("readable variant, tests folder passable")
        << QStringList{"d 2771 Content/Физика/Тесты", "f 0644 Content/Физика/Тесты/Вариант 1.txt"}
        << "own"
        << QStringList{"Content/Физика/Тесты|pass through",
                       "Content/Физика/Тесты/Вариант 1.txt|read"};
    QTest::newRow("readable variant, subject closed to others")
        << QStringList{"d 2770 Content/Физика", "d 2771 Content/Физика/Тесты",
                       "f 0644 Content/Физика/Тесты/Вариант 1.txt"}
        << "own" << QStringList{"Content/Физика/Тесты|pass through"};
    QTest::newRow("report others may change")
        << QStringList{"d 2771 Content/Физика/Тесты", "d 2773 Content/Физика/Тесты/Отчеты",
                       "f 0642 Content/Физика/Тесты/Отчеты/Иванов(1)"}
        << "own"
        << QStringList{"Content/Физика/Тесты|pass through", "Content/Физика/Тесты/Отчеты|change",
                       "Content/Физика/Тесты/Отчеты/Иванов(1)|change"};
    QTest::newRow("reports folder not set-group-ID")
        << QStringList{"d 0770 Content/Физика/Тесты/Отчеты"} << "own"
        << QStringList{"Content/Физика/Тесты/Отчеты|set-group-ID"};
    // Run by an ordinary account, the test owns its folders: outside another group, it is
    // listed as their owner too.
    const bool root = ::geteuid() == 0;
    QTest::newRow("tests in another group")
        << QStringList() << "other"
        << (root
                ? QStringList{"Content/Физика/Тесты|not in", "Content/Физика/Тесты/Отчеты|not in"}
                : QStringList{"Content|owned", "Content/Физика|owned", "Content/Физика/Тесты|owned",
                              "Content/Физика/Тесты|not in", "Content/Физика/Тесты/Отчеты|not in"});
    // A student made the tests folder's first folder under the open layout, and still owns it.
    QTest::newRow("tests folder owned by a student")
        << QStringList{"o 47612 Content/Физика/Тесты"} << "own"
        << QStringList{"Content/Физика/Тесты|owned by 47612"};
    // The keeper made the reports folder for a student, who cannot reach it.
    QTest::newRow("reports folder the keeper made")
        << QStringList{"o 47612 Content/Физика/Тесты/Отчеты"} << "own" << QStringList();
    QTest::newRow("group that does not exist")
        << QStringList() << "no-such-group-of-a-lab" << QStringList{"no-such-group-of-a-lab|group"};
    QTest::newRow("tests folder named in Windows-1251")
        << QStringList{"d 2775 Content/История", "d 0775 Content/История/Тесты~"} << "own"
        << QStringList{"Content/История/Тесты|list", "Content/История/Тесты|set-group-ID"};
    // The key is where the link leads, whoever can pass through the tests folder.
    QTest::newRow("link to a readable file outside")
        << QStringList{"f 0644 Content/Физика/ключ",
                       "l Content/Физика/ключ Content/Физика/Тесты/Вариант 2.txt"}
        << "own" << QStringList{"Content/Физика/Тесты/Вариант 2.txt|through this link"};
    QTest::newRow("link to a file for the group")
        << QStringList{"f 0640 Content/Физика/ключ",
                       "l Content/Физика/ключ Content/Физика/Тесты/Вариант 2.txt"}
        << "own" << QStringList();
    QTest::newRow("link to a readable file behind a closed folder")
        << QStringList{"d 0770 Content/Закрыто", "f 0644 Content/Закрыто/ключ",
                       "l Content/Закрыто/ключ Content/Физика/Тесты/Вариант 2.txt"}
        << "own" << QStringList();
    QTest::newRow("open folders outside the tests")
        << QStringList{"d 2777 Content/Физика/Видео", "f 0666 Content/Физика/01.html"} << "own"
        << QStringList();
}

void TestLabCheck::findings() {
    QFETCH(QStringList, changes);
    QFETCH(QString, group);
    QFETCH(QStringList, expected);
    if (::geteuid() != 0 && changes.filter(QRegularExpression("^o ")).size() > 0)
        QSKIP("giving a folder to another account needs root");
    // The folders' owner is this account, whose groups are looked up by its name.
    if (!::getpwuid(::geteuid()))
        QSKIP("this account has no name in the account database");
    // Where every account may pass, whatever the test's own temporary folder.
    QTemporaryDir dir(QStringLiteral("/tmp/lab-check-XXXXXX"));
    QVERIFY(dir.isValid());
    // Others may pass into the test's folder, as into a program folder: what a link leads to
    // outside the tests is judged by its own path.
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    QVERIFY(makeTree(dir.path(), kLabLayout + changes));
    if (group == QLatin1String("own"))
        group = QString::number(::getegid());
    else if (group == QLatin1String("other"))
        group = QString::number(::getegid() + 1);

    QStringList found;
    const QString content = dir.path() + QStringLiteral("/Content");
    const QVector<LabCheck::Finding> findings = LabCheck::check(content, group);
    for (const LabCheck::Finding& finding : findings) {
        const QString path = finding.path.startsWith(dir.path() + '/')
                                 ? finding.path.mid(dir.path().size() + 1)
                                 : finding.path;
        const qsizetype row = found.size();
        if (row < expected.size() && path == expected.at(row).section('|', 0, 0) &&
            finding.reason.contains(expected.at(row).section('|', 1)))
            found.append(expected.at(row));
        else
            found.append(path + '|' + finding.reason);
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
