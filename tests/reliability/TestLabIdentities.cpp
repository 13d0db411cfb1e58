// The lab layout as numeric identities meet it, the program installed by its own rules: a student
// (not in the group) reaches no test or report, the teacher's window and tool showing them none;
// a teacher (in it) works, and what they make stays in the group. Needs root; skipped otherwise.

#include "ContentFolders.h"
#include "ContentPaths.h"
#include "DurableFile.h"
#include "JournalCsv.h"
#include "JournalPage.h"
#include "support/RecordingServices.h"
#include "support/TestHelpers.h"
#include "support/WindowTestSupport.h"
#include "Unit5.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr gid_t kLabGroup = 47611;
constexpr uid_t kStudent = 47612;
constexpr uid_t kTeacher = 47613;
// Set in this program re-run as the student: the program folder, a variant and a report.
const char* const kWindowPlaces = "NORMAKURS_LAB_WINDOW";
const char* const kNoOwnersOnShare =
    "an sshfs share keeps every file as the one account it logs in with, so what teachers and "
    "the keeper write needs a share that keeps owners; the student's rows hold there as well";

struct Outcome {
    int exitCode = -1; // -1: did not start, or did not end by itself
    QByteArray out, err;
};

// "UID GID MODE" of `path`, the mode (in octal) masked by `mask`.
QString statusOf(const QString& path, mode_t mask = 07777) {
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return QString::asprintf("%u %u %o", status.st_uid, status.st_gid, status.st_mode & mask);
}

} // namespace

class TestLabIdentities : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void studentIsShutOut_data();
    void studentIsShutOut();
    void studentReadsCourse();
    void teacherWorksInTheGroup();
    void studentSeesNoTestsAsTeacher();
    void teacherWindowAsStudent(); // only in this program re-run as the student
    void keeperRefusesCraftedRequests_data();
    void keeperRefusesCraftedRequests();
    void studentTakesTestThroughTheKeeper();

private:
    // `text` with its "{name}" parts filled in.
    QString path(QString text) const {
        for (auto place = m_places.cbegin(); place != m_places.cend(); ++place)
            text.replace('{' + place.key() + '}', place.value());
        return text;
    }
    // Runs `command` ("|" between its arguments) under setpriv as the student (in no group) or
    // the teacher (in the lab's group).
    Outcome run(uid_t who, const QString& command, const QByteArray& input = {},
                const QStringList& environment = {"PATH=/usr/bin:/bin", "LANG=C.UTF-8",
                                                  "HOME=/nonexistent", "QT_QPA_PLATFORM=offscreen"},
                const QString& folder = "/") const {
        const QString id = QString::number(who);
        QProcess process;
        process.setEnvironment(environment);
        process.setWorkingDirectory(folder);
        process.start("setpriv",
                      QStringList{"--reuid=" + id, "--regid=" + id,
                                  who == kTeacher ? "--groups=47611" : "--clear-groups", "--"} +
                          path(command).split('|'));
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(120000))
            process.kill();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput(), process.readAllStandardError()};
    }
    static bool onShare() { return qEnvironmentVariableIsSet("NORMAKURS_SHARE"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QHash<QString, QString> m_places;
};

void TestLabIdentities::initTestCase() {
    if (qEnvironmentVariableIsSet(kWindowPlaces)) {
        QCOMPARE(::geteuid(), kStudent);
        return;
    }
    if (::geteuid() != 0)
        QSKIP("switching to a student's and a teacher's identity needs root");
    // Under /tmp, whatever TMPDIR: other accounts pass through it, a set-group-ID program runs.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/normakurs-identities-XXXXXX"));
    QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
    const QString program = m_dir->path() + QStringLiteral("/normakurs/");
    // Each step run as root, what it says on failure passed on to the test's output.
    for (const char* component : {"program", "content"})
        QCOMPARE(QProcess::execute(CMAKE_COMMAND, {"--install", NORMAKURS_BUILD_DIR, "--prefix",
                                                   program, "--component", component}),
                 0);
    // The keeper as the .deb leaves it, the window's driver beside it to start it.
    const QByteArray keeper = QFile::encodeName(program + QStringLiteral("normakurs-exam"));
    QCOMPARE(::chown(keeper.constData(), 0, kLabGroup), 0);
    QCOMPARE(::chmod(keeper.constData(), 02755), 0);
    QVERIFY(QFile::copy(ATTEMPT_DRIVER, program + QStringLiteral("attempt_driver")));
    const QString content = program + QStringLiteral("Content");
    if (onShare()) { // the course on the share, Content a link to it, the keeper on the local disk
        const QString shared = QDir(qEnvironmentVariable("TMPDIR"))
                                   .filePath("Content-" + QFileInfo(m_dir->path()).fileName());
        QCOMPARE(QProcess::execute("cp", {"-a", content, shared}), 0);
        QVERIFY(QDir(content).removeRecursively());
        QVERIFY(QFile::link(shared, content));
    }
    QCOMPARE(QProcess::execute(program + "lab-layout.sh", {content, QString::number(kLabGroup)}),
             0);

    QString variant;
    for (QDirIterator found(content, {"*.txt"}, QDir::Files, QDirIterator::Subdirectories);
         found.hasNext() && variant.section('/', -2, -2) != "Тесты";)
        variant = found.next();
    QVERIFY2(variant.section('/', -2, -2) == "Тесты", "the demo course holds no variant");
    const QString tests = QFileInfo(variant).absolutePath();
    const QString subject = QFileInfo(tests).absolutePath();
    // The student's own report as the keeper leaves it: in the group, owned by the student.
    const QString report = tests + "/Отчеты/Студент(1)";
    QVERIFY(ContentFolders::createFolder(tests + "/Отчеты"));
    DurableFile::replace(report, [](QIODevice& file) { file.write("report"); });
    QCOMPARE(::chown(QFile::encodeName(report).constData(), kStudent, kLabGroup), 0);
    const QString plain = m_dir->path() + "/plain.txt";
    DurableFile::replace(plain, [](QIODevice& file) {
        file.write("Вопрос\n---\nВопрос 1\nA ответ\n`B ответ\n---\n");
    });

    m_places = {{"program", program},
                {"tool", program + "normakurs-text"},
                {"content", content},
                {"subject", subject},
                {"tests", tests},
                {"variant", variant},
                {"reports", tests + "/Отчеты"},
                {"report", report},
                {"new report", tests + "/Отчеты/Отличник(1)"},
                {"plain", plain},
                {"subject maker", SUBJECT_MAKER},
                {"subject name", QFileInfo(subject).fileName()},
                {"variant name", QFileInfo(variant).fileName()},
                {"open", "OPEN\tИван\tИС-21\t"}}; // a keeper's request to open a variant
}

void TestLabIdentities::studentIsShutOut_data() {
    QTest::addColumn<QString>("command");   // its arguments split by "|"
    QTest::addColumn<QString>("stays");     // a path that must still be there afterwards
    QTest::addColumn<QString>("neverMade"); // a path that must not be there afterwards

    const char* const rows[][4] = {
        {"read a variant", "cat|{variant}", "{variant}", ""},
        {"unpack a variant", "{tool}|unpack|{variant}", "{variant}", ""},
        {"check a variant", "{tool}|check|{variant}", "{variant}", ""},
        {"list the reports", "ls|{reports}", "{reports}", ""},
        {"list the tests", "ls|{tests}", "{tests}", ""},
        {"remove own report", "rm|-f|{report}", "{report}", ""},
        {"rename own report", "mv|{report}|{new report}", "{report}", "{new report}"},
        {"write a report", "{tool}|pack|{plain}|{new report}", "{reports}", "{new report}"},
        {"replace a variant", "{tool}|pack|{plain}|{variant}", "{variant}", ""},
        {"add a variant", "{tool}|pack|{plain}|{tests}/Мой.txt", "{tests}", "{tests}/Мой.txt"},
        {"rename the tests", "mv|{tests}|{subject}/Старые", "{tests}", "{subject}/Старые"},
        {"make a subject folder", "mkdir|{content}/Мой предмет", "{content}",
         "{content}/Мой предмет"},
        {"make a subject as the program does", "{subject maker}|{content}/|Мой предмет",
         "{content}", "{content}/Мой предмет"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
}

void TestLabIdentities::studentIsShutOut() {
    QFETCH(QString, command);
    QFETCH(QString, stays);
    QFETCH(QString, neverMade);
    const Outcome outcome = run(kStudent, command);
    // The subject maker passes over a folder it cannot make without a word, as the window does.
    if (!command.contains(QLatin1String("maker")))
        QVERIFY2(outcome.exitCode > 0, outcome.out.constData());
    QCOMPARE(outcome.out, QByteArray());
    QVERIFY(QFileInfo::exists(path(stays)));
    QVERIFY(neverMade.isEmpty() || !QFileInfo::exists(path(neverMade)));
}

void TestLabIdentities::studentReadsCourse() {
    // The lab layout keeps the tests, not the course: a page and the subjects' list stay open.
    const QString page = QDir(path("{subject}")).entryList({"*.html"}, QDir::Files).value(0);
    const Outcome read = run(kStudent, "cat|{subject}/" + page);
    QVERIFY2(read.exitCode == 0 && read.out.contains("<html"), (page + read.err).toUtf8());
    QVERIFY(run(kStudent, "ls|{content}").out.contains(path("{subject name}").toUtf8()));
}

void TestLabIdentities::teacherWorksInTheGroup() {
    if (onShare())
        QSKIP(kNoOwnersOnShare);
    const Outcome unpacked = run(kTeacher, "{tool}|unpack|{variant}");
    QCOMPARE(unpacked.exitCode, 0);
    QVERIFY(unpacked.out.contains("---"));
    const Outcome packed = run(kTeacher, "{tool}|pack|{plain}|{variant}");
    QVERIFY2(packed.exitCode == 0, packed.err.constData());
    QCOMPARE(statusOf(path("{variant}"), 067).section(' ', 1), QStringLiteral("47611 60"));
    QVERIFY(run(kTeacher, "{tool}|unpack|{variant}").out.contains("A ответ"));
    QVERIFY(run(kStudent, "cat|{variant}").exitCode > 0);

    const Outcome made = run(kTeacher, "{subject maker}|{content}/|Химия");
    QVERIFY2(made.exitCode == 0, made.err.constData());
    for (const auto& [folder, mode] :
         {std::pair{"", "2775"}, {"/Тесты", "2770"}, {"/Видео", "2775"}})
        QCOMPARE(statusOf(path("{content}/Химия") + folder).section(' ', 1),
                 QStringLiteral("47611 ") + mode);
    // It passes the administrator's check but for its owner: a number with no account's groups.
    const Outcome check = run(kTeacher, "{tool}|lab-check|{content}|--group|47611");
    const QList<QByteArray> lines = check.out.trimmed().split('\n');
    for (const QByteArray& line : lines)
        QVERIFY2(line.contains(": owned by 47613, who is not in 47611"), line.constData());
    QCOMPARE(lines.size(), 2); // the subject and its tests
}

void TestLabIdentities::studentSeesNoTestsAsTeacher() {
    const Outcome journal = run(kStudent, "{tool}|journal|{content}/");
    QVERIFY2(journal.exitCode == 0, journal.err.constData());
    QCOMPARE(journal.out, JournalCsv::write({}, JournalCsv::Dialect::Rfc4180));

    // The window's steps: this program re-run as the student, with a home of the student's own.
    const QString home = m_dir->path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(home));
    QCOMPARE(::chown(QFile::encodeName(home).constData(), kStudent, kStudent), 0);
    const QStringList environment =
        QProcess::systemEnvironment().filter(
            QRegularExpression("^(?!(HOME|XDG_CACHE_HOME|XDG_CONFIG_HOME|XDG_RUNTIME_DIR)=)")) +
        QStringList{kWindowPlaces + ("=" + path("{program}|{variant}|{report}")), "HOME=" + home,
                    "XDG_CACHE_HOME=" + home + "/.cache", "XDG_CONFIG_HOME=" + home + "/.config"};
    const Outcome window =
        run(kStudent, QCoreApplication::applicationFilePath() + "|teacherWindowAsStudent", {},
            environment, home);
    QVERIFY2(window.exitCode == 0 && window.out.contains("Totals: 3 passed, 0 failed, 0 skipped"),
             (window.err + window.out).constData());
}

void TestLabIdentities::teacherWindowAsStudent() {
    const QStringList places = qEnvironmentVariable(kWindowPlaces).split('|');
    if (places.size() != 3)
        QSKIP("run as the student by studentSeesNoTestsAsTeacher");
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
    ContentPaths::setProgramDir(places.at(0));
    RecordingServices services;
    WindowTestSupport::makeWindow(Form5);
    const auto destroy = qScopeGuard([] { WindowTestSupport::destroyWindow(Form5); });

    // The report tree: every subject, none with a report (a star for each).
    QStringList subjects;
    for (int i = 0; i < Form5->tv1->topLevelItemCount(); ++i)
        subjects << Form5->tv1->topLevelItem(i)->text(0) +
                        QString(Form5->tv1->topLevelItem(i)->childCount(), '*');
    subjects.sort();
    QCOMPARE(subjects,
             QDir(ContentPaths::ContentDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot));

    // The journal: nothing read, nothing said (nor by the window as it was made).
    Form5->showForm();
    Form5->pgc1->setCurrentWidget(Form5->ts4);
    QVERIFY(Form5->ts4->isLoaded());
    QVERIFY(Form5->ts4->allRows().isEmpty());
    QCOMPARE(Form5->ts4->lblCount->text(), QStringLiteral("Показано 0 из 0"));
    QVERIFY(services.errors.isEmpty());

    // Opening a variant, then a report, in the editor: the usual open failure with its reason.
    Form5->pgc1->setCurrentIndex(0);
    const QString before = Form5->editorText();
    for (const QString& path : places.mid(1)) {
        QVERIFY2(::access(QFile::encodeName(path).constData(), R_OK) != 0, "out of reach");
        services.openAnswers << path;
        QTest::mouseClick(Form5->btn1, Qt::LeftButton);
        QCOMPARE(services.errors.size(), 1);
        QCOMPARE(services.errors.takeFirst().message,
                 QStringLiteral("Cannot open file \"%1\". Permission denied.").arg(path));
        QCOMPARE(Form5->editorText(), before);
    }
}

void TestLabIdentities::keeperRefusesCraftedRequests_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("reply"); // how the last reply begins: "ERROR" exits 0, "INVALID" 2

    const char* const rows[][3] = {
        {"a name with a slash", "OPEN\t../Отличник\tИС-21\t{subject name}\t{variant name}\n",
         "ERROR\t"},
        {"subject ..", "{open}..\t{variant name}\n", "INVALID\t"},
        {"a variant outside the tests", "{open}{subject name}\t../../../etc/shadow\n", "INVALID\t"},
        {"no variant in the tests", "{open}{subject name}\tОтчеты\n", "INVALID\t"},
        {"a missing answer count", "{open}{subject name}\t{variant name}\nFINISH\tC\tAAA\n",
         "INVALID\t"},
        {"a finish without a variant", "FINISH\tC\t1\tA\n", "INVALID\t"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    QTest::newRow("a line too long") << QString(2 * 1024 * 1024, 'A') << "INVALID\t";
}

void TestLabIdentities::keeperRefusesCraftedRequests() {
    QFETCH(QString, input);
    QFETCH(QString, reply);
    const QStringList before = TestHelpers::entriesOf(path("{reports}"));
    const Outcome outcome = run(kStudent, "{program}normakurs-exam", path(input).toUtf8());
    QCOMPARE(outcome.exitCode, reply == "ERROR\t" ? 0 : 2);
    QVERIFY2(outcome.out.split('\n').value(outcome.out.count('\n') - 1).startsWith(reply.toUtf8()),
             outcome.out.left(300).constData());
    // No key line left the keeper (it never sends a grave accent), and nothing was written.
    QVERIFY(!outcome.out.contains('`'));
    QCOMPARE(TestHelpers::entriesOf(path("{reports}")), before);
}

void TestLabIdentities::studentTakesTestThroughTheKeeper() {
    if (onShare())
        QSKIP(kNoOwnersOnShare);
    const QString name = QStringLiteral("Студент Лабораторный");
    const Outcome attempt =
        run(kStudent, "{program}attempt_driver|{subject name}|{variant name}|" + name + "|ИС-21");
    QVERIFY2(attempt.exitCode == 0, attempt.err.constData());
    QVERIFY(attempt.out.startsWith(("Имя фамилия: " + name).toUtf8()));

    // The student's report, in the group, closed to everybody else, its writer included.
    const QString report = path("{reports}/") + name + QStringLiteral("(0)");
    QCOMPARE(statusOf(report), QStringLiteral("47612 47611 640"));
    QVERIFY(run(kStudent, "cat|" + report).exitCode > 0);

    // The teacher reads it with the teacher's own rights, the account that wrote it beside it.
    const Outcome journal = run(kTeacher, "{tool}|journal|{content}");
    QVERIFY2(journal.exitCode == 0 && journal.out.contains(name.toUtf8()) &&
                 journal.out.contains(QByteArray::number(kStudent)),
             journal.out.constData());
    QCOMPARE(run(kTeacher, "{tool}|unpack|" + report).out, attempt.out);
}

QTEST_MAIN(TestLabIdentities)
#include "TestLabIdentities.moc"
