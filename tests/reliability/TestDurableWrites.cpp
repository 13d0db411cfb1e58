// Writes that are on the device when the program says they are done. Seen from inside (the
// system's flush calls recorded, and made to fail, by SyncFaults): a report, a saved document
// and a document rewritten in place are flushed, then their folder; a flush that fails is a
// failed save, with "Stream write error" and no complete-looking new file left behind, except
// the folder's flush after a document is in place, which says that it is saved. Seen from
// outside (strace on separate programs that save as the testing window and the editor do): the
// file's flush, then the folder's, come before the program reports the save as done.

#include "CodePage.h"
#include "DurableFile.h"
#include "EditorFiles.h"
#include "LabReport.h"
#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "SyncFaults.h"
#include "TextLines.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Reliability;

namespace {

const QString kStudent = QStringLiteral("Иван Петров");
const QString kWriteError = QStringLiteral("Stream write error");

QString editorText(int lines) {
    QString text = QStringLiteral("---\n");
    for (int i = 1; i <= lines; ++i)
        text += QStringLiteral("%1) вопрос %1\n").arg(i);
    return text;
}

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const SyncFaults::Call& call) const {
        return call.device == device && call.inode == inode;
    }
};

Identity identityOf(const QString& path) {
    struct stat status {};
    if (::stat(CodePage::nativePath(path).constData(), &status) != 0)
        return {};
    return {status.st_dev, status.st_ino};
}

// "" when the recorded flushes show the file at `path` flushed and then its folder, with no
// flush of the file after the folder's; otherwise what is wrong.
// A report is flushed under a temporary name, then linked to its own; an sshfs share numbers
// each name on its own, so there (`byDevice`) the flushed file is known by its device alone.
QString flushOrder(const std::vector<SyncFaults::Call>& calls, const QString& path,
                   bool byDevice = false) {
    const Identity file = identityOf(path);
    const Identity folder = identityOf(QFileInfo(path).absolutePath());
    int firstFile = -1;
    int lastFile = -1;
    int lastFolder = -1;
    for (int i = 0; i < int(calls.size()); ++i) {
        if (calls[i].failed)
            continue;
        if (!calls[i].folder &&
            (file == calls[i] || (byDevice && calls[i].device == file.device))) {
            lastFile = i;
            if (firstFile < 0)
                firstFile = i;
        }
        if (calls[i].folder && folder == calls[i])
            lastFolder = i;
    }
    if (firstFile < 0)
        return QStringLiteral("the file was never flushed");
    if (lastFolder < 0)
        return QStringLiteral("the folder was never flushed");
    if (lastFolder < lastFile)
        return QStringLiteral("the folder was flushed before the file");
    return QString();
}

QString programPath(const char* name) {
    return QStringLiteral(NORMAKURS_BUILD_DIR "/tests/") + QLatin1String(name);
}

// One system call of an strace log: its name, its arguments as written, its result.
struct Traced {
    QString name;
    QString arguments;
    long long result = -1;
};

QList<Traced> readTrace(const QString& log) {
    static const QRegularExpression line(
        QStringLiteral(R"(^(?:\d+\s+)?(\w+)\((.*)\)\s+=\s+(-?\d+))"));
    QList<Traced> calls;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QRegularExpressionMatch match = line.match(QString::fromUtf8(raw));
        if (match.hasMatch())
            calls.append({match.captured(1), match.captured(2), match.captured(3).toLongLong()});
    }
    return calls;
}

// The index of the first call at or after `from` named one of `names` whose arguments contain
// `needle`, or -1.
int findCall(const QList<Traced>& calls, int from, const QStringList& names,
             const QString& needle) {
    for (int i = qMax(from, 0); i < calls.size(); ++i) {
        if (names.contains(calls[i].name) && calls[i].arguments.contains(needle))
            return i;
    }
    return -1;
}

// The same for a call whose first argument is the descriptor `fd`.
int findOnDescriptor(const QList<Traced>& calls, int from, const QStringList& names, long long fd) {
    const QString number = QString::number(fd);
    for (int i = qMax(from, 0); i < calls.size(); ++i) {
        const QString& arguments = calls[i].arguments;
        if (names.contains(calls[i].name) &&
            (arguments == number || arguments.startsWith(number + QLatin1String(", "))))
            return i;
    }
    return -1;
}

const QStringList kFlushes{QStringLiteral("fsync"), QStringLiteral("fdatasync")};

} // namespace

class TestDurableWrites : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void flushedThenFolder_data();
    void flushedThenFolder();
    void failedFlush_data();
    void failedFlush();
    void failedFlushInPlace();

    void tracedReportSave();
    void tracedEditorSave();

private:
    QString path(const QString& relative) const { return m_dir->filePath(relative); }
    // Runs `program` under strace; the log's calls, or an empty list when strace is missing.
    QList<Traced> trace(const QString& program, const QStringList& arguments, QByteArray* output);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDurableWrites::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString misplaced = notOnShare(m_dir->path());
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    SyncFaults::reset();
}

void TestDurableWrites::cleanup() {
    SyncFaults::reset();
    m_dir.reset();
}

void TestDurableWrites::flushedThenFolder_data() {
    QTest::addColumn<QString>("writer");

    QTest::addColumn<bool>("copiedFolder"); // the folder named in Windows-1251 bytes

    QTest::newRow("report") << "report" << false;
    QTest::newRow("editor, new document") << "editor new" << false;
    QTest::newRow("editor, over a document") << "editor over" << false;
    QTest::newRow("report, folder in Windows-1251") << "report" << true;
    QTest::newRow("editor, over a document in Windows-1251") << "editor over" << true;
}

void TestDurableWrites::flushedThenFolder() {
    QFETCH(QString, writer);
    QFETCH(bool, copiedFolder);
    const QString folder = path(QStringLiteral("Отчеты"));
    if (copiedFolder)
        QCOMPARE(::mkdir((QFile::encodeName(m_dir->path()) + '/' +
                          CodePage::encode(QStringLiteral("Отчеты")))
                             .constData(),
                         0777),
                 0);
    else
        QVERIFY(QDir().mkpath(folder));
    QString written;
    if (writer == QLatin1String("report")) {
        written = ReportFile::saveNew(folder, kStudent, LabReport::text(kStudent, 1));
    } else {
        written = folder + QStringLiteral("/Вариант 1.txt");
        if (writer == QLatin1String("editor over") && copiedFolder)
            EditorFiles::savePacked(written, QStringLiteral("old\n"));
        else if (writer == QLatin1String("editor over"))
            QVERIFY(writeAll(written, packedInMemory("old\r\n")));
        SyncFaults::reset();
        EditorFiles::savePacked(written, editorText(3));
    }
    const QString wrong =
        flushOrder(SyncFaults::calls(), written,
                   writer == QLatin1String("report") && qgetenv("NORMAKURS_SHARE") == "sshfs");
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
    // In the folder itself: no second one under the UTF-8 spelling.
    QCOMPARE(QFileInfo::exists(folder), !copiedFolder);
    // Removed by bytes: the toolkit cannot name them to remove them.
    if (copiedFolder) {
        QCOMPARE(::unlink(CodePage::nativePath(written).constData()), 0);
        QCOMPARE(::rmdir(CodePage::nativePath(folder).constData()), 0);
    }
}

void TestDurableWrites::failedFlush_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("folderFails"); // false: the file's own flush fails

    QTest::newRow("report, file") << "report" << false;
    QTest::newRow("report, folder") << "report" << true;
    QTest::newRow("editor over a document, file") << "editor" << false;
    QTest::newRow("editor over a document, folder") << "editor" << true;
}

void TestDurableWrites::failedFlush() {
    QFETCH(QString, writer);
    QFETCH(bool, folderFails);
    const QString folder = path(QStringLiteral("Тесты"));
    QVERIFY(QDir().mkpath(folder));
    const QString variant = folder + QStringLiteral("/Вариант 1.txt");
    const QByteArray oldBytes = packedInMemory("old\r\n");
    QVERIFY(writeAll(variant, oldBytes));
    const QString text = editorText(4);

    if (folderFails)
        SyncFaults::failFolders(1);
    else
        SyncFaults::failFiles(1);
    const QString message = failureOf([&] {
        if (writer == QLatin1String("report"))
            ReportFile::saveNew(folder, kStudent, LabReport::text(kStudent, 2));
        else
            EditorFiles::savePacked(variant, text);
    });
    // No report, no temporary file.
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Вариант 1.txt")});
    if (writer == QLatin1String("editor") && folderFails) {
        // The new document was already in place when its folder could not be flushed: the
        // teacher is told it is saved but may not survive a power cut, and it is whole.
        QCOMPARE(message, DurableFile::folderNotFlushed(variant, EIO));
        QVERIFY(message.startsWith(QStringLiteral("Файл «Вариант 1.txt» сохранён")));
        QCOMPARE(EditorFiles::openPacked(variant), text);
    } else {
        QCOMPARE(message, kWriteError);
        QCOMPARE(readAll(variant), oldBytes);
    }
}

void TestDurableWrites::failedFlushInPlace() {
    // A folder that takes no new file: the variant is rewritten where it is. When its flush
    // fails, the old content goes back (and is flushed).
    const QString folder = path(QStringLiteral("Тесты"));
    QVERIFY(QDir().mkpath(folder));
    const QString variant = folder + QStringLiteral("/Вариант 1.txt");
    const QByteArray oldBytes = packedInMemory("old\r\n");
    QVERIFY(writeAll(variant, oldBytes));
    openToAll(m_dir->path());
    const QString shutOut = unprivilegedShutOut(m_dir->path());
    if (!shutOut.isEmpty())
        QSKIP(qPrintable(shutOut));
    QVERIFY(QFile::setPermissions(variant, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                               QFile::WriteOther));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther));
    for (const int failures : {0, 1, 2}) {
        const ChildRun run = inChild([&]() -> QByteArray {
            if (!dropRoot())
                return "<cannot leave root>";
            SyncFaults::failFiles(failures);
            const QString message =
                failureOf([&] { EditorFiles::savePacked(variant, editorText(5)); });
            return (message + QLatin1Char('\n') + flushOrder(SyncFaults::calls(), variant))
                .toUtf8();
        });
        QVERIFY2(run.finished && !run.crashed, run.describe().constData());
        const QString message = QString::fromUtf8(run.output).section(QLatin1Char('\n'), 0, -2);
        const QString order = QString::fromUtf8(run.output).section(QLatin1Char('\n'), -1);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Вариант 1.txt")});
        if (failures == 0) {
            QCOMPARE(message, kNoFailure);
            // In place there is no new name: the file's own flush is what keeps it.
            QVERIFY2(order.isEmpty() || order == QLatin1String("the folder was never flushed"),
                     qPrintable(order));
            QCOMPARE(EditorFiles::openPacked(variant), editorText(5));
            QVERIFY(writeAll(variant, oldBytes));
        } else if (failures == 1) {
            QCOMPARE(message, DurableFile::inPlaceRestored(variant));
            QCOMPARE(readAll(variant), oldBytes);
        } else {
            // Not even the old content could be flushed back: the teacher is told so.
            QCOMPARE(message, DurableFile::inPlaceLost(variant));
        }
    }
}

QList<Traced> TestDurableWrites::trace(const QString& program, const QStringList& arguments,
                                       QByteArray* output) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        return {};
    const QString log = path(QStringLiteral("trace.log"));
    QProcess process;
    // LeakSanitizer cannot work in a traced process and ends it; the leak checks of the traced
    // programs are not what this looks at.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString sanitizer = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       sanitizer.isEmpty() ? QStringLiteral("detect_leaks=0")
                                           : sanitizer + QStringLiteral(":detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.start(strace,
                  QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-e"),
                              QStringLiteral("trace=openat,write,fsync,fdatasync,rename,"
                                             "renameat2,link,linkat"),
                              QStringLiteral("-o"), log, program} +
                      arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    *output = process.readAllStandardOutput() + process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return readTrace(log);
}

void TestDurableWrites::tracedReportSave() {
    // ASCII names: strace writes other bytes as escapes.
    const QString folder = path(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(folder));
    const QString textFile = path(QStringLiteral("report.txt"));
    QVERIFY(writeAll(textFile, TextLines::toEditorText(LabReport::text(kStudent, 3)).toUtf8()));
    QByteArray output;
    const QList<Traced> calls =
        trace(programPath("report_writer"), {folder, QStringLiteral("Petrov"), textFile}, &output);
    QVERIFY2(!calls.isEmpty(), output.constData());
    const QString report = folder + QStringLiteral("/Petrov(0)");

    // Written whole under a temporary name of its own folder, flushed, and only then given the
    // report's name by a link that fails when the name is taken.
    const int created =
        findCall(calls, 0, {QStringLiteral("openat")}, folder + QLatin1String("/."));
    QVERIFY2(created >= 0 && calls[created].arguments.contains(QLatin1String("O_EXCL")),
             "the report's temporary file is not created exclusively in its folder");
    const long long fd = calls[created].result;
    const int wrote = findOnDescriptor(calls, created, {QStringLiteral("write")}, fd);
    const int fileFlush = findOnDescriptor(calls, created, kFlushes, fd);
    QVERIFY2(wrote > created && fileFlush > wrote, "the report is not flushed after its writing");
    const int linked =
        findCall(calls, fileFlush, {QStringLiteral("link"), QStringLiteral("linkat")},
                 report + QLatin1Char('"'));
    QVERIFY2(linked > fileFlush && calls[linked].result == 0,
             "the report does not get its name after its flush");
    const int folderOpen =
        findCall(calls, linked, {QStringLiteral("openat")}, folder + QLatin1Char('"'));
    QVERIFY2(folderOpen > linked && calls[folderOpen].result >= 0,
             "the folder is not opened after the report got its name");
    const int folderFlush = findOnDescriptor(calls, folderOpen, kFlushes, calls[folderOpen].result);
    QVERIFY2(folderFlush > folderOpen && calls[folderFlush].result == 0,
             "the folder is not flushed");
    // Only then does the program say where the report went.
    const int done = findOnDescriptor(calls, 0, {QStringLiteral("write")}, 1);
    QVERIFY2(done > folderFlush, "the save is reported done before it is on the device");
    QCOMPARE(calls[fileFlush].result, 0LL);
}

void TestDurableWrites::tracedEditorSave() {
    const QString folder = path(QStringLiteral("tests"));
    QVERIFY(QDir().mkpath(folder));
    const QString variant = folder + QStringLiteral("/variant.txt");
    QVERIFY(writeAll(variant, packedInMemory("old\r\n")));
    const QString textFile = path(QStringLiteral("text.txt"));
    QVERIFY(writeAll(textFile, editorText(6).toUtf8()));
    QByteArray output;
    const QList<Traced> calls = trace(programPath("editor_save"), {variant, textFile}, &output);
    QVERIFY2(!calls.isEmpty(), output.constData());

    // The temporary file beside the variant (a named one, or an unnamed one in its folder that
    // is given a name later): created, written, flushed, renamed over the variant. A file system
    // without unnamed files (a network share) refuses the unnamed one, and a named one follows.
    int created = findCall(calls, 0, {QStringLiteral("openat")}, variant + QLatin1Char('.'));
    const int unnamed = findCall(calls, 0, {QStringLiteral("openat")}, folder + QLatin1Char('"'));
    if (unnamed >= 0 && calls[unnamed].arguments.contains(QLatin1String("O_TMPFILE")) &&
        calls[unnamed].result >= 0 && (created < 0 || unnamed < created))
        created = unnamed;
    QVERIFY2(created >= 0 && calls[created].result >= 0, "no temporary file beside the variant");
    const long long fd = calls[created].result;
    const int wrote = findOnDescriptor(calls, created, {QStringLiteral("write")}, fd);
    const int fileFlush = findOnDescriptor(calls, created, kFlushes, fd);
    QVERIFY2(wrote > created && fileFlush > wrote, "the document is not flushed after writing");
    QCOMPARE(calls[fileFlush].result, 0LL);
    const int renamed =
        findCall(calls, fileFlush, {QStringLiteral("rename"), QStringLiteral("renameat2")},
                 variant + QLatin1Char('"'));
    QVERIFY2(renamed > fileFlush && calls[renamed].result == 0,
             "the document is put in place before its flush");
    const int folderOpen =
        findCall(calls, renamed, {QStringLiteral("openat")}, folder + QLatin1Char('"'));
    QVERIFY2(folderOpen > renamed && calls[folderOpen].result >= 0,
             "the folder is not opened after the rename");
    const int folderFlush = findOnDescriptor(calls, folderOpen, kFlushes, calls[folderOpen].result);
    QVERIFY2(folderFlush > folderOpen && calls[folderFlush].result == 0,
             "the folder is not flushed after the rename");
    const int done = findOnDescriptor(calls, 0, {QStringLiteral("write")}, 1);
    QVERIFY2(done > folderFlush, "the save is reported done before it is on the device");
    QCOMPARE(EditorFiles::openPacked(variant), editorText(6));
}

QTEST_GUILESS_MAIN(TestDurableWrites)
#include "TestDurableWrites.moc"
