// The teacher's side, used by an account outside the lab's group: the tests folders are reachable
// only by the group (set-group-ID folders of root and the group), the pages by everybody. Such an
// account sees its subjects without reports, an empty journal and the usual open failure on a
// variant or a report, never a crash.
//
// The test runs as root, makes the tree and runs the steps under a numeric identity of no group:
// the tool directly, the windows by running this same program under that identity for the one
// test function that drives them (it does nothing when started without the tree).

#include "ContentPaths.h"
#include "JournalCsv.h"
#include "JournalPage.h"
#include "PackedText.h"
#include "support/RecordingServices.h"
#include "support/WindowTestSupport.h"
#include "TextLines.h"
#include "Unit5.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

constexpr uint kOutsider = 3999901; // an account of no group
constexpr uint kLabGroup = 3999902; // the group the tests folders belong to
const char* const kTreeVariable = "NORMAKURS_OUTSIDE_TREE";
const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");
const QStringList kSubjects{QStringLiteral("Алгебра"), QStringLiteral("Физика")};

bool setOwner(const QString& path, uint uid, uint gid, mode_t mode) {
    const QByteArray bytes = QFile::encodeName(path);
    return ::chown(bytes.constData(), uid, gid) == 0 && ::chmod(bytes.constData(), mode) == 0;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs `program` with `arguments` as the outside account, its home in `home`.
Run runAsOutsider(const QString& program, const QStringList& arguments, const QString& tree,
                  const QString& home) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kTreeVariable), tree);
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(home);
    process.start(QStringLiteral("setpriv"),
                  QStringList{QStringLiteral("--reuid=%1").arg(kOutsider),
                              QStringLiteral("--regid=%1").arg(kOutsider),
                              QStringLiteral("--clear-groups"), program} +
                      arguments);
    Run run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.err = "did not end in two minutes";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestOutsideAccount : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void asOutsider_data();
    void asOutsider();
    // The windows' steps, run only in the program started as the outside account.
    void teacherWindowAsOutsider_data();
    void teacherWindowAsOutsider();

private:
    QString m_tree; // the program folder, ending in "/"
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestOutsideAccount::initTestCase() {
    m_tree = qEnvironmentVariable(kTreeVariable);
    if (!m_tree.isEmpty()) {
        QVERIFY2(::geteuid() == kOutsider, "started as the outside account");
        return;
    }
    if (::geteuid() != 0)
        QSKIP("running steps as another account takes root");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("no setpriv");
    // Under /tmp: the build folder, or the test's temporary folder, may lie where the account
    // cannot pass.
    m_dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/normakurs-outside-XXXXXX"));
    QVERIFY(m_dir->isValid());
    m_tree = m_dir->path() + QLatin1Char('/');
    QVERIFY(setOwner(m_dir->path(), 0, 0, 0755));
    const QString content = m_tree + QStringLiteral("Content/");
    for (const QString& subject : kSubjects) {
        const QString tests = content + subject + QStringLiteral("/Тесты");
        const QString reports = ContentPaths::reportsDir(content, subject);
        QVERIFY(QDir().mkpath(reports));
        PackedText::SaveToStream(
            tests + QStringLiteral("/Вариант 1.txt"),
            TextLines::fromEditorText(QStringLiteral("---\nВопрос\n`A\n---\n")));
        PackedText::SaveToStream(reports + QStringLiteral("/Иван Петров(0)"),
                                 TextLines::fromEditorText(QStringLiteral("Имя фамилия: Иван\n")));
        QFile page(content + subject + QStringLiteral("/Тема.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<p>page</p>");
        page.close();
        QVERIFY(setOwner(content + subject, 0, 0, 0755));
        for (const QString& file : {tests + QStringLiteral("/Вариант 1.txt"),
                                    reports + QStringLiteral("/Иван Петров(0)")})
            QVERIFY(setOwner(file, 0, kLabGroup, 0660));
        QVERIFY(setOwner(reports, 0, kLabGroup, 02770));
        QVERIFY(setOwner(tests, 0, kLabGroup, 02770));
    }
    QVERIFY(setOwner(content, 0, kLabGroup, 02775));
    QVERIFY(QDir().mkpath(m_tree + QStringLiteral("home")));
    QVERIFY(setOwner(m_tree + QStringLiteral("home"), kOutsider, kOutsider, 0700));
}

void TestOutsideAccount::asOutsider_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<bool>("whole"); // `out` is all it writes, else a part of it

    QTest::newRow("journal tool") << kTool
                                  << QStringList{QStringLiteral("journal"),
                                                 QStringLiteral("Content")}
                                  << JournalCsv::write({}, JournalCsv::Dialect::Rfc4180) << true;
    QTest::newRow("teacher's window")
        << QCoreApplication::applicationFilePath()
        << QStringList{QStringLiteral("teacherWindowAsOutsider")}
        << QByteArray("Totals: 4 passed, 0 failed, 0 skipped") << false;
}

void TestOutsideAccount::asOutsider() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, out);
    QFETCH(bool, whole);
    if (!qEnvironmentVariableIsEmpty(kTreeVariable))
        QSKIP("the steps themselves run here");
    const QString home = m_tree + QStringLiteral("home");
    // The tool is given the content folder as a teacher types it, relative to where it runs.
    for (QString& argument : arguments) {
        if (argument == QLatin1String("Content"))
            argument = m_tree + QStringLiteral("Content/");
    }
    const Run run = runAsOutsider(program, arguments, m_tree, home);
    const QByteArray said = run.err + run.out;
    QVERIFY2(run.exitCode == 0, said.constData());
    if (whole)
        QCOMPARE(run.out, out);
    else
        QVERIFY2(run.out.contains(out), said.constData());
}

void TestOutsideAccount::teacherWindowAsOutsider_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("variant") << QStringLiteral("Алгебра/Тесты/Вариант 1.txt");
    QTest::newRow("report") << QStringLiteral("Физика/Тесты/Отчеты/Иван Петров(0)");
}

void TestOutsideAccount::teacherWindowAsOutsider() {
    QFETCH(QString, file);
    if (qEnvironmentVariableIsEmpty(kTreeVariable))
        QSKIP("run as the outside account by asOutsider");
    QApplication::setQuitOnLastWindowClosed(false);
    WindowTestSupport::quietOffscreenWarnings();
    ContentPaths::setProgramDir(m_tree);
    const QString content = ContentPaths::ContentDir();
    const QString path = content + file;
    QVERIFY2(::access(QFile::encodeName(path).constData(), R_OK) != 0, "the file is out of reach");

    RecordingServices services;
    WindowTestSupport::makeWindow(Form5);
    struct Destroy {
        ~Destroy() { WindowTestSupport::destroyWindow(Form5); }
    } destroy;
    QVERIFY(services.errors.isEmpty());

    // The report tree: every subject, none with a report.
    QStringList subjects;
    for (int i = 0; i < Form5->tv1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* subject = Form5->tv1->topLevelItem(i);
        subjects << subject->text(0);
        QCOMPARE(subject->childCount(), 0);
    }
    subjects.sort();
    QCOMPARE(subjects, kSubjects);

    // The journal: nothing read, nothing said.
    Form5->showForm();
    Form5->pgc1->setCurrentWidget(Form5->ts4);
    QVERIFY(Form5->ts4->isLoaded());
    QVERIFY(Form5->ts4->allRows().isEmpty());
    QCOMPARE(Form5->ts4->lblCount->text(), QStringLiteral("Показано 0 из 0"));
    QVERIFY(services.errors.isEmpty());

    // Opening the file in the editor: the usual open failure, with the system's reason.
    Form5->pgc1->setCurrentIndex(0);
    const QString before = Form5->editorText();
    services.openAnswers << path;
    QTest::mouseClick(Form5->btn1, Qt::LeftButton);
    QCOMPARE(services.errors.size(), 1);
    QCOMPARE(services.errors.first().message,
             QStringLiteral("Cannot open file \"%1\". Permission denied.").arg(path));
    QCOMPARE(Form5->editorText(), before);
}

QTEST_MAIN(TestOutsideAccount)
#include "TestOutsideAccount.moc"
