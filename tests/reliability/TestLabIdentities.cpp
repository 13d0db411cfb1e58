// The lab layout as real accounts meet it. The program is installed by its own install rules into
// a fresh folder, the layout script puts its course into the lab layout with a group number of
// the test's own, and each step runs under a numeric identity (setpriv), no account being made on
// this computer: a student (not in the group) can neither read a test nor change a report, their
// own included; a teacher (in the group) works as before, and what the teacher makes stays in the
// group. Needs root to switch identities; skipped otherwise.

#include "ContentFolders.h"
#include "DurableFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr gid_t kLabGroup = 47611;

// The accounts a step runs as.
enum class Who { Student, Teacher };

uid_t idOf(Who who) {
    return who == Who::Student ? 47612 : 47613;
}

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `command` as `who` (the student in no group, the teacher in the lab's group too), with
// `input` on its standard input and a plain environment of its own.
Outcome runAs(Who who, const QStringList& command, const QByteArray& input = QByteArray(),
              const QStringList& environmentExtra = {}) {
    const QString id = QString::number(idOf(who));
    QStringList args{QStringLiteral("--reuid=") + id, QStringLiteral("--regid=") + id};
    if (who == Who::Teacher)
        args << QStringLiteral("--groups") << QString::number(kLabGroup);
    else
        args << QStringLiteral("--clear-groups");
    args << QStringLiteral("--") << command;
    QProcess process;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
    for (const QString& variable : environmentExtra)
        environment.insert(variable.section(QLatin1Char('='), 0, 0),
                           variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start(QStringLiteral("setpriv"), args);
    Outcome outcome;
    if (!process.waitForStarted())
        return outcome;
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = process.readAllStandardOutput();
    outcome.err = process.readAllStandardError();
    return outcome;
}

// Runs a program of this machine as root; its standard error when it fails, else empty.
QString runHere(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return program + QLatin1Char(' ') + args.join(' ') + QStringLiteral(": ") +
               QString::fromLocal8Bit(process.readAllStandardError());
    return QString();
}

struct Status {
    bool exists = false;
    mode_t mode = 0;
    gid_t group = 0;
};

Status statusOf(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {true, status.st_mode & 07777, status.st_gid};
}

} // namespace

class TestLabIdentities : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void studentIsShutOut_data();
    void studentIsShutOut();
    void studentReadsCourse();
    void teacherRewritesVariant();
    void teacherCreatesSubject();
    void keeperRefusesCraftedRequests_data();
    void keeperRefusesCraftedRequests();
    void studentTakesTestThroughTheKeeper();

private:
    // The path or argument for a row's "{name}" parts.
    QStringList expand(const QStringList& parts) const;
    QString path(const QString& part) const { return expand({part}).first(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_program; // the installed program folder, ends in "/"
    QString m_shared;  // the course's folder on the share, when the test runs on one
    static bool onShare() { return qEnvironmentVariableIsSet("NORMAKURS_SHARE"); }
    QHash<QString, QString> m_places;
};

void TestLabIdentities::initTestCase() {
    if (::geteuid() != 0)
        QSKIP("switching to a student's and a teacher's identity needs root");
    // Under /tmp, whatever the test's TMPDIR: other accounts must pass through it, and a
    // set-group-ID program must run from it.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/normakurs-identities-XXXXXX"));
    QVERIFY(m_dir->isValid());
    QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
    m_program = m_dir->path() + QStringLiteral("/normakurs/");
    for (const char* component : {"program", "content"}) {
        const QString failed =
            runHere(QStringLiteral(CMAKE_COMMAND), {"--install", NORMAKURS_BUILD_DIR, "--prefix",
                                                    m_program, "--component", component});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    // As the .deb's installation leaves the keeper: set-group-ID to the lab's group. The window's
    // driver lies beside it, so the window it makes starts that keeper.
    const QByteArray keeper = QFile::encodeName(m_program + QStringLiteral("normakurs-exam"));
    QCOMPARE(::chown(keeper.constData(), 0, kLabGroup), 0);
    QCOMPARE(::chmod(keeper.constData(), 02755), 0);
    QVERIFY(
        QFile::copy(QStringLiteral(ATTEMPT_DRIVER), m_program + QStringLiteral("attempt_driver")));
    const QString content = m_program + QStringLiteral("Content");
    if (onShare()) {
        // The lab's way with a share: the course on it, the program's Content a link to it, the
        // keeper on the local disk (shares are often mounted without set-group-ID programs).
        const QString shared =
            QDir(qEnvironmentVariable("TMPDIR"))
                .filePath(QStringLiteral("Content-") + QFileInfo(m_dir->path()).fileName());
        QString failed = runHere(QStringLiteral("cp"), {"-a", content, shared});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QVERIFY(QDir(content).removeRecursively());
        QVERIFY(QFile::link(shared, content));
        m_shared = shared;
    }
    const QString failed =
        runHere(m_program + QStringLiteral("lab-layout.sh"), {content, QString::number(kLabGroup)});
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    // A subject of the demo course with a variant.
    QDirIterator variants(content, {QStringLiteral("*.txt")}, QDir::Files,
                          QDirIterator::Subdirectories);
    QString variant;
    while (variants.hasNext() && variant.isEmpty()) {
        const QString found = variants.next();
        if (found.section(QLatin1Char('/'), -2, -2) == QStringLiteral("Тесты"))
            variant = found;
    }
    QVERIFY2(!variant.isEmpty(), "the demo course holds no variant");
    const QString tests = QFileInfo(variant).absolutePath();
    const QString reports = tests + QStringLiteral("/Отчеты");
    // The student's own report, as the keeper leaves it: in the group, owned by the student.
    QVERIFY(ContentFolders::createFolder(reports));
    const QString report = reports + QStringLiteral("/Студент(1)");
    DurableFile::replace(report, [](QIODevice& device) { device.write("report"); });
    QCOMPARE(::chown(QFile::encodeName(report).constData(), idOf(Who::Student), kLabGroup), 0);
    const QString plain = m_dir->path() + QStringLiteral("/plain.txt");
    QFile plainFile(plain);
    QVERIFY(plainFile.open(QIODevice::WriteOnly));
    plainFile.write("Вопрос\n---\nВопрос 1\nA ответ\n`B ответ\n---\n");
    plainFile.close();

    m_places = {{"tool", m_program + QStringLiteral("normakurs-text")},
                {"content", content},
                {"subject", QFileInfo(tests).absolutePath()},
                {"tests", tests},
                {"variant", variant},
                {"reports", reports},
                {"report", report},
                {"plain", plain},
                {"subject maker", QStringLiteral(SUBJECT_MAKER)},
                {"keeper", QString::fromLocal8Bit(keeper)},
                {"driver", m_program + QStringLiteral("attempt_driver")},
                {"subject name", QFileInfo(QFileInfo(tests).absolutePath()).fileName()},
                {"variant name", QFileInfo(variant).fileName()}};
}

QStringList TestLabIdentities::expand(const QStringList& parts) const {
    QStringList expanded;
    for (QString part : parts) {
        for (auto place = m_places.cbegin(); place != m_places.cend(); ++place)
            part.replace(QLatin1Char('{') + place.key() + QLatin1Char('}'), place.value());
        expanded.append(part);
    }
    return expanded;
}

void TestLabIdentities::studentIsShutOut_data() {
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("stays");     // a path that must still be there afterwards
    QTest::addColumn<QString>("neverMade"); // a path that must not be there afterwards

    QTest::newRow("read a variant") << QStringList{"cat", "{variant}"} << "{variant}"
                                    << "";
    QTest::newRow("unpack a variant") << QStringList{"{tool}", "unpack", "{variant}"} << "{variant}"
                                      << "";
    QTest::newRow("check a variant") << QStringList{"{tool}", "check", "{variant}"} << "{variant}"
                                     << "";
    QTest::newRow("list the reports") << QStringList{"ls", "{reports}"} << "{reports}"
                                      << "";
    QTest::newRow("list the tests") << QStringList{"ls", "{tests}"} << "{tests}"
                                    << "";
    QTest::newRow("remove own report") << QStringList{"rm", "-f", "{report}"} << "{report}"
                                       << "";
    QTest::newRow("rename own report")
        << QStringList{"mv", "{report}", "{reports}/Отличник(1)"} << "{report}"
        << "{reports}/Отличник(1)";
    QTest::newRow("write a report")
        << QStringList{"{tool}", "pack", "{plain}", "{reports}/Отличник(1)"} << "{reports}"
        << "{reports}/Отличник(1)";
    QTest::newRow("replace a variant")
        << QStringList{"{tool}", "pack", "{plain}", "{variant}"} << "{variant}"
        << "";
    QTest::newRow("add a variant")
        << QStringList{"{tool}", "pack", "{plain}", "{tests}/Мой.txt"} << "{tests}"
        << "{tests}/Мой.txt";
    QTest::newRow("rename the subject's tests")
        << QStringList{"mv", "{tests}", "{subject}/Старые"} << "{tests}"
        << "{subject}/Старые";
    QTest::newRow("create a subject folder")
        << QStringList{"mkdir", "{content}/Мой предмет"} << "{content}"
        << "{content}/Мой предмет";
    QTest::newRow("create a subject as the program does")
        << QStringList{"{subject maker}", "{content}/", "Мой предмет"} << "{content}"
        << "{content}/Мой предмет";
}

void TestLabIdentities::studentIsShutOut() {
    QFETCH(QStringList, command);
    QFETCH(QString, stays);
    QFETCH(QString, neverMade);
    const Outcome outcome = runAs(Who::Student, expand(command));
    // The subject maker passes over a folder it cannot make without a word, as the window does.
    if (!command.first().contains(QLatin1String("maker")))
        QVERIFY2(outcome.exitCode > 0, outcome.out.constData());
    QCOMPARE(outcome.out, QByteArray());
    QVERIFY(statusOf(path(stays)).exists);
    if (!neverMade.isEmpty())
        QVERIFY(!statusOf(path(neverMade)).exists);
}

void TestLabIdentities::studentReadsCourse() {
    // The lab layout keeps the tests, not the course: a page and the subjects' list stay open.
    const QStringList pages =
        QDir(path("{subject}")).entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(!pages.isEmpty());
    const Outcome page = runAs(Who::Student, {"cat", path("{subject}/") + pages.first()});
    QVERIFY2(page.exitCode == 0, page.err.constData());
    QVERIFY(page.out.contains("<html"));
    const Outcome subjects = runAs(Who::Student, expand({"ls", "{content}"}));
    QVERIFY(subjects.out.contains(QFileInfo(path("{subject}")).fileName().toUtf8()));
}

void TestLabIdentities::teacherRewritesVariant() {
    if (onShare())
        QSKIP("an sshfs share keeps every file as the one account it logs in with: nobody who "
              "makes a file there owns it or may set its mode, so what teachers and the keeper "
              "write needs a share that keeps owners; the student's rows hold there as well");
    const Outcome unpacked = runAs(Who::Teacher, expand({"{tool}", "unpack", "{variant}"}));
    QCOMPARE(unpacked.exitCode, 0);
    QVERIFY(unpacked.out.contains("---"));
    const Outcome packed = runAs(Who::Teacher, expand({"{tool}", "pack", "{plain}", "{variant}"}));
    QVERIFY2(packed.exitCode == 0, packed.err.constData());

    const Status variant = statusOf(path("{variant}"));
    QCOMPARE(variant.group, kLabGroup);
    QCOMPARE(variant.mode & 07, mode_t(0));
    QCOMPARE(variant.mode & 060, mode_t(060));
    const Outcome read = runAs(Who::Teacher, expand({"{tool}", "unpack", "{variant}"}));
    QVERIFY(read.out.contains("A ответ"));
    QVERIFY(runAs(Who::Student, expand({"cat", "{variant}"})).exitCode > 0);
}

void TestLabIdentities::teacherCreatesSubject() {
    if (onShare())
        QSKIP("an sshfs share keeps every file as the one account it logs in with: nobody who "
              "makes a file there owns it or may set its mode, so what teachers and the keeper "
              "write needs a share that keeps owners; the student's rows hold there as well");
    const Outcome made = runAs(Who::Teacher, expand({"{subject maker}", "{content}/", "Химия"}));
    QVERIFY2(made.exitCode == 0, made.err.constData());
    const Status subject = statusOf(path("{content}/Химия"));
    QCOMPARE(subject.mode, mode_t(02775));
    QCOMPARE(subject.group, kLabGroup);
    const Status tests = statusOf(path("{content}/Химия/Тесты"));
    QCOMPARE(tests.mode, mode_t(02770));
    QCOMPARE(tests.group, kLabGroup);
    QCOMPARE(statusOf(path("{content}/Химия/Видео")).mode, mode_t(02775));
    // What the teacher made passes the administrator's check, but for its owner: this teacher
    // has a number but no account whose groups could be looked up.
    const Outcome check =
        runAs(Who::Teacher,
              expand({"{tool}", "lab-check", "{content}", "--group", QString::number(kLabGroup)}));
    const QList<QByteArray> lines = check.out.trimmed().split('\n');
    for (const QByteArray& line : lines)
        QVERIFY2(line.contains(": owned by 47613, who is not in 47611"), line.constData());
    QCOMPARE(lines.size(), 2); // the subject and its tests
}

void TestLabIdentities::keeperRefusesCraftedRequests_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reply"); // how the last reply begins
    QTest::addColumn<int>("exitCode");
    QTest::newRow("a name with a slash")
        << "OPEN\t../Отличник\tИС-21\t{subject name}\t{variant name}\n"
        << "ERROR\t" << 0;
    QTest::newRow("subject ..") << "OPEN\tИван\tИС-21\t..\t{variant name}\n"
                                << "INVALID\t" << 2;
    QTest::newRow("a variant outside the tests folder")
        << "OPEN\tИван\tИС-21\t{subject name}\t../../../etc/shadow\n"
        << "INVALID\t" << 2;
    QTest::newRow("a file of the tests folder that is no variant")
        << "OPEN\tИван\tИС-21\t{subject name}\tОтчеты\n"
        << "INVALID\t" << 2;
    QTest::newRow("a missing answer count")
        << "OPEN\tИван\tИС-21\t{subject name}\t{variant name}\nFINISH\tC\tAAA\n"
        << "INVALID\t" << 2;
    QTest::newRow("a finish without a variant") << "FINISH\tC\t1\tA\n"
                                                << "INVALID\t" << 2;
    QTest::newRow("a line too long")
        << QString(2 * 1024 * 1024, QLatin1Char('A')) << "INVALID\t" << 2;
}

void TestLabIdentities::keeperRefusesCraftedRequests() {
    QFETCH(QString, input);
    QFETCH(QString, reply);
    QFETCH(int, exitCode);
    const QStringList before = QDir(path("{reports}")).entryList(QDir::AllEntries | QDir::Hidden);
    const Outcome outcome = runAs(Who::Student, {path("{keeper}")}, path(input).toUtf8());
    QCOMPARE(outcome.exitCode, exitCode);
    QVERIFY2(outcome.out.split('\n').value(outcome.out.count('\n') - 1).startsWith(reply.toUtf8()),
             outcome.out.left(300).constData());
    // No key line left the keeper (it never sends a grave accent), and nothing was written.
    QVERIFY(!outcome.out.contains('`'));
    QCOMPARE(QDir(path("{reports}")).entryList(QDir::AllEntries | QDir::Hidden), before);
}

void TestLabIdentities::studentTakesTestThroughTheKeeper() {
    if (onShare())
        QSKIP("an sshfs share keeps every file as the one account it logs in with: nobody who "
              "makes a file there owns it or may set its mode, so what teachers and the keeper "
              "write needs a share that keeps owners; the student's rows hold there as well");
    const QString name = QStringLiteral("Студент Лабораторный");
    const Outcome attempt =
        runAs(Who::Student,
              {path("{driver}"), path("{subject name}"), path("{variant name}"), name, "ИС-21"},
              QByteArray(), {QStringLiteral("QT_QPA_PLATFORM=offscreen")});
    QVERIFY2(attempt.exitCode == 0, attempt.err.constData());
    QVERIFY(attempt.out.startsWith(("Имя фамилия: " + name).toUtf8()));

    // The report is the student's, in the group, closed to everybody else: not even its writer
    // can reach it again.
    const QString report = path("{reports}/") + name + QStringLiteral("(0)");
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(report).constData(), &status), 0);
    // An sshfs share writes every file as the one account it logs in with: there the report's
    // owner cannot tell who wrote it.
    if (!onShare())
        QCOMPARE(status.st_uid, idOf(Who::Student));
    QCOMPARE(status.st_gid, kLabGroup);
    QCOMPARE(status.st_mode & 07777, mode_t(0640));
    QVERIFY(runAs(Who::Student, {"cat", report}).exitCode > 0);

    // The teacher reads it with the teacher's own rights, the account that wrote it beside it.
    const Outcome journal = runAs(Who::Teacher, expand({"{tool}", "journal", "{content}"}));
    QVERIFY2(journal.exitCode == 0, journal.err.constData());
    QVERIFY2(journal.out.contains(name.toUtf8()), journal.out.constData());
    if (!onShare())
        QVERIFY(journal.out.contains(QByteArray::number(idOf(Who::Student))));
    const Outcome unpacked = runAs(Who::Teacher, {path("{tool}"), "unpack", report});
    QCOMPARE(QString::fromUtf8(unpacked.out), QString::fromUtf8(attempt.out));
}

QTEST_GUILESS_MAIN(TestLabIdentities)
#include "TestLabIdentities.moc"
