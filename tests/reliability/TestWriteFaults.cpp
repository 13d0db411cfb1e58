// Every write path under failure: the student's report, the teacher's editor save, and the
// packer tool's packed and plain writes. Each fails after N bytes, for every N up to the size of
// the file it writes: through a failing device at the packing seam, and on real files under a
// file-size limit in a child process. Then the targets that cannot be written even by root (a
// folder, a missing folder, a path through a file) and a read-only folder for a user who is not
// root, where a writable file is rewritten in place and put back when that fails. After each
// failure the message is the one of the failure table, an existing variant,
// report or document is byte-for-byte intact, and no partial or temporary file is left.

#include "CodePage.h"
#include "DurableFile.h"
#include "EditorFiles.h"
#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"
#include "ReportText.h"
#include "Scoring.h"
#include "support/FailDevice.h"
#include "SystemFile.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

using namespace Reliability;

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");
const QString kStudent = QStringLiteral("Иван Петров");
const QString kWriteError = QStringLiteral("Stream write error");

// A report as the testing window writes it, `questions` questions long.
QByteArray reportBytes(int questions) {
    TestAttempt attempt;
    attempt.StudentName = kStudent;
    attempt.GroupName = QStringLiteral("ИС-21");
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    for (int k = 0; k < questions; ++k) {
        attempt.AnswerKey.append("ABCDE"[k % 5]);
        attempt.Answers.append("ABCDE"[(k * 7) % 5]);
    }
    const QVector<bool> verdicts = Scoring::verdicts(attempt.AnswerKey, attempt.Answers);
    const QStringList lines =
        ReportText::lines(attempt, verdicts, QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41)),
                          QLocale(QLocale::Russian, QLocale::Russia));
    return TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

// A variant as the teacher writes it in the editor.
QString variantText(int questions) {
    QString text = QStringLiteral("---\n");
    for (int q = 1; q <= questions; ++q) {
        text += QStringLiteral("%1) Сколько будет %1 + %2?\n").arg(q).arg(q * 3);
        for (int a = 0; a < 5; ++a) {
            text += (a == q % 5 ? QStringLiteral("`") : QString()) + QChar(u'A' + a) +
                    QStringLiteral(") %1\n").arg(q + q * 3 + a - q % 5);
        }
        text += QStringLiteral("---\n");
    }
    return text;
}

QString absolute(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString createFailure(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2").arg(absolute(path), reason);
}

struct ToolRun {
    int exitCode = -1;
    QByteArray err;
};

// A copy of normakurs-text that any user can run: the build may lie where only its owner can
// enter (a clone under /root). Kept out of the folder under test.
QString toolForEveryone() {
    static QTemporaryDir folder(scaffoldingPath() + QStringLiteral("/normakurs-tool-XXXXXX"));
    const QString copy = folder.path() + QStringLiteral("/normakurs-text");
    if (!QFileInfo::exists(copy) && folder.isValid() && QFile::copy(kTool, copy)) {
        openToAll(folder.path());
        QFile::setPermissions(copy, QFile::permissions(kTool) | QFile::ExeOther | QFile::ReadOther);
    }
    return copy;
}

// Runs normakurs-text; `limit` >= 0 lowers its file-size limit, `unprivileged` runs it as
// "nobody" when the tests run as root; `outputFile` takes its standard output.
ToolRun runTool(const QStringList& arguments, qint64 limit = -1, bool unprivileged = false,
                const QString& outputFile = QString()) {
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.setChildProcessModifier([limit, unprivileged] {
        if (limit >= 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit lowered{};
            getrlimit(RLIMIT_FSIZE, &lowered);
            lowered.rlim_cur = rlim_t(limit);
            setrlimit(RLIMIT_FSIZE, &lowered);
        }
        if (unprivileged && !dropRoot())
            ::_exit(125);
    });
    process.start(unprivileged ? toolForEveryone() : kTool, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = "<did not finish>";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.err = process.readAllStandardError();
    return run;
}

int s_faults = 0; // faults injected and survived, over the whole run

} // namespace

class TestWriteFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    // The packing seam
    void failingDevice_data();
    void failingDevice();

    // Real files under a file-size limit, every size
    void reportUnderSizeLimit();
    void editorUnderSizeLimit();
    void toolPackUnderSizeLimit();
    void toolUnpackUnderSizeLimit();
    void reportWriterProgramUnderSizeLimit();

    // Targets that nobody can write
    void unwritableTargets_data();
    void unwritableTargets();
    void readOnlyFolder_data();
    void readOnlyFolder();
    void toolInputFails_data();
    void toolInputFails();

    // Rewriting in place where the folder takes no new file
    void inPlaceUnderSizeLimit();
    void inPlaceFailingDevice();

private:
    QString path(const QString& relative) const { return m_dir->filePath(relative); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestWriteFaults::initTestCase() {
    QVERIFY2(QFileInfo(kTool).isExecutable(), qPrintable(kTool));
}

void TestWriteFaults::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const QString misplaced = notOnShare(m_dir->path());
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
}

void TestWriteFaults::cleanup() {
    m_dir.reset();
}

void TestWriteFaults::cleanupTestCase() {
    qInfo("faults injected and survived: %d", s_faults);
}

// The packing seam ---------------------------------------------------------------------------

void TestWriteFaults::failingDevice_data() {
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("report, 40 questions") << reportBytes(40);
    QTest::newRow("variant from the editor") << TextLines::fromEditorText(variantText(40));
    QTest::newRow("empty document") << QByteArray();
    QByteArray noise(90000, '\0');
    quint32 state = 7;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 23);
    }
    QTest::newRow("document larger than the writer's chunk") << noise;
}

void TestWriteFaults::failingDevice() {
    QFETCH(QByteArray, text);
    const QByteArray whole = packedInMemory(text);
    // Every size for small files; for the large one every size around each chunk boundary and
    // a spread in between.
    QList<qint64> limits;
    for (qint64 n = 0; n <= whole.size(); ++n) {
        if (whole.size() < 20000 || n % 997 == 0 || (n % 65536) < 3 || (n % 65536) > 65533 ||
            n > whole.size() - 3)
            limits.append(n);
    }
    for (qint64 n : limits) {
        FailDevice device(n);
        QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QString message = failureOf([&] { PackedText::writeStream(device, text); });
        QCOMPARE(message, n < whole.size() ? kWriteError : kNoFailure);
        // What got out is the start of the right stream; nothing follows the first refusal.
        QCOMPARE(device.written(), whole.left(n));
        QVERIFY(device.refusals() <= 1);
        if (n < whole.size())
            ++s_faults;
    }
}

// Real files under a file-size limit ---------------------------------------------------------

void TestWriteFaults::reportUnderSizeLimit() {
    const QString folder = path(QStringLiteral("Отчеты"));
    QVERIFY(QDir().mkpath(folder));
    const QString earlier = folder + QLatin1Char('/') + ReportFile::reportName(kStudent, 0);
    const QByteArray earlierBytes = packedInMemory("earlier report\r\n");
    QVERIFY(writeAll(earlier, earlierBytes));
    const QByteArray text = reportBytes(30);
    const qint64 size = packedInMemory(text).size();
    const QString next = folder + QLatin1Char('/') + ReportFile::reportName(kStudent, 1);

    for (qint64 n = 0; n <= size; ++n) {
        const ChildRun run = inChild([&]() -> QByteArray {
            FileSizeLimit limit(n);
            if (!limit.ok())
                return "<no limit>";
            QString written;
            const QString message =
                failureOf([&] { written = ReportFile::saveNew(folder, kStudent, text); });
            return (message == kNoFailure ? written : message).toUtf8();
        });
        QVERIFY2(run.finished && !run.crashed, run.describe().constData());
        const QString outcome = QString::fromUtf8(run.output);
        if (n < size) {
            QCOMPARE(outcome, kWriteError);
            // No partial report; the earlier one untouched.
            QCOMPARE(entriesOf(folder), QStringList{QFileInfo(earlier).fileName()});
            ++s_faults;
        } else {
            QCOMPARE(outcome, next);
            QCOMPARE(PackedText::OpenFromStream(next), text);
            QVERIFY(QFile::remove(next));
        }
        QCOMPARE(readAll(earlier), earlierBytes);
    }
}

void TestWriteFaults::editorUnderSizeLimit() {
    const QString folder = path(QStringLiteral("Тесты"));
    QVERIFY(QDir().mkpath(folder));
    const QString variant = folder + QStringLiteral("/Вариант 1.txt");
    const QByteArray oldBytes = packedInMemory(TextLines::fromEditorText(variantText(3)));
    QVERIFY(writeAll(variant, oldBytes));
    const QString text = variantText(12);
    const qint64 size = packedInMemory(TextLines::fromEditorText(text)).size();

    for (qint64 n = 0; n <= size; ++n) {
        const ChildRun run = inChild([&]() -> QByteArray {
            FileSizeLimit limit(n);
            if (!limit.ok())
                return "<no limit>";
            return failureOf([&] { EditorFiles::savePacked(variant, text); }).toUtf8();
        });
        QVERIFY2(run.finished && !run.crashed, run.describe().constData());
        // No temporary file is left beside the variant.
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Вариант 1.txt")});
        if (n < size) {
            QVERIFY2(QString::fromUtf8(run.output) == kWriteError,
                     qPrintable(QStringLiteral("limit %1 of %2: %3")
                                    .arg(n)
                                    .arg(size)
                                    .arg(QString::fromUtf8(run.output))));
            QCOMPARE(readAll(variant), oldBytes);
            ++s_faults;
        } else {
            QCOMPARE(QString::fromUtf8(run.output), kNoFailure);
            QCOMPARE(EditorFiles::openPacked(variant), text);
            QVERIFY(writeAll(variant, oldBytes));
        }
    }
}

void TestWriteFaults::toolPackUnderSizeLimit() {
    const QString plain = path(QStringLiteral("plain.txt"));
    QVERIFY(writeAll(plain, QStringLiteral("---\n1) Что такое бит?\n`A) единица информации\n"
                                           "B) байт\nC) слово\n---\n")
                                .toUtf8()));
    const QString packed = path(QStringLiteral("Вариант 1.txt"));
    const QByteArray oldBytes = packedInMemory("---\r\n1) old\r\n`B\r\n---\r\n");
    QVERIFY(writeAll(packed, oldBytes));
    QCOMPARE(runTool({QStringLiteral("pack"), plain, path(QStringLiteral("sized.txt"))}).exitCode,
             0);
    const qint64 size = QFileInfo(path(QStringLiteral("sized.txt"))).size();
    const QByteArray newBytes = readAll(path(QStringLiteral("sized.txt")));
    QVERIFY(QFile::remove(path(QStringLiteral("sized.txt"))));
    QVERIFY(size > 0);

    const QStringList before = entriesOf(m_dir->path());
    for (qint64 n = 0; n <= size; ++n) {
        const ToolRun run = runTool({QStringLiteral("pack"), plain, packed}, n);
        QCOMPARE(entriesOf(m_dir->path()), before); // no temporary file left
        if (n < size) {
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(QString::fromUtf8(run.err),
                     QStringLiteral("normakurs-text: ") + kWriteError + QLatin1Char('\n'));
            QCOMPARE(readAll(packed), oldBytes);
            ++s_faults;
        } else {
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(readAll(packed), newBytes);
        }
    }
}

void TestWriteFaults::toolUnpackUnderSizeLimit() {
    const QString packed = path(QStringLiteral("v.txt"));
    QVERIFY(writeAll(packed, packedInMemory(TextLines::fromEditorText(variantText(2)))));
    const QString output = path(QStringLiteral("out.txt"));
    QCOMPARE(runTool({QStringLiteral("unpack"), packed}, -1, false, output).exitCode, 0);
    const QByteArray whole = readAll(output);
    QCOMPARE(whole, variantText(2).toUtf8());

    for (qint64 n = 0; n <= whole.size(); ++n) {
        const ToolRun run = runTool({QStringLiteral("unpack"), packed}, n, false, output);
        if (n < whole.size()) {
            // The tool says that its output is incomplete, instead of ending as if all was well.
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err, QByteArray("normakurs-text: cannot write to standard output\n"));
            QCOMPARE(readAll(output), whole.left(n));
            ++s_faults;
        } else {
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(readAll(output), whole);
        }
    }
}

void TestWriteFaults::reportWriterProgramUnderSizeLimit() {
    // A separate program that links the core, as each computer of a lab runs one: the same
    // rules hold for its own process and file handles.
    const QString folder = path(QStringLiteral("Отчеты"));
    QVERIFY(QDir().mkpath(folder));
    const QString textFile = path(QStringLiteral("report.txt"));
    QVERIFY(writeAll(textFile, TextLines::toEditorText(reportBytes(30)).toUtf8()));
    const qint64 size = packedInMemory(reportBytes(30)).size();
    for (qint64 n : {qint64(0), qint64(1), qint64(2), size / 2, size - 1, size}) {
        QProcess writer;
        writer.start(
            QStringLiteral(REPORT_WRITER),
            {folder, kStudent, textFile, QStringLiteral("--file-size-limit"), QString::number(n)});
        QVERIFY(writer.waitForFinished(60000));
        QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
        if (n < size) {
            QCOMPARE(writer.exitCode(), 1);
            QVERIFY(writer.readAllStandardError().contains(kWriteError.toUtf8()));
            QCOMPARE(entriesOf(folder), QStringList());
            ++s_faults;
        } else {
            QCOMPARE(writer.exitCode(), 0);
            QCOMPARE(entriesOf(folder), QStringList{ReportFile::reportName(kStudent, 0)});
        }
    }
}

// Targets that nobody can write -----------------------------------------------------------------

void TestWriteFaults::unwritableTargets_data() {
    QTest::addColumn<QString>("writer"); // report, editor, tool
    QTest::addColumn<QString>("target"); // relative to the temporary folder
    QTest::addColumn<int>("error");      // the reason is the system's text for it

    const int isFolder = EISDIR;
    const int missing = ENOENT;
    const int notFolder = ENOTDIR;
    QTest::newRow("report, reports folder missing") << "report"
                                                    << "Нет/Отчеты" << missing;
    QTest::newRow("report, reports folder is a file") << "report"
                                                      << "файл" << notFolder;
    QTest::newRow("report, through a file") << "report"
                                            << "файл/Отчеты" << notFolder;
    QTest::newRow("editor, target is a folder") << "editor"
                                                << "Папка" << isFolder;
    QTest::newRow("editor, folder missing") << "editor"
                                            << "Нет/v.txt" << missing;
    QTest::newRow("editor, through a file") << "editor"
                                            << "файл/v.txt" << notFolder;
    QTest::newRow("tool, target is a folder") << "tool"
                                              << "Папка" << isFolder;
    QTest::newRow("tool, folder missing") << "tool"
                                          << "Нет/v.txt" << missing;
    QTest::newRow("tool, through a file") << "tool"
                                          << "файл/v.txt" << notFolder;
}

void TestWriteFaults::unwritableTargets() {
    QFETCH(QString, writer);
    QFETCH(QString, target);
    QFETCH(int, error);
    const QString reason = SystemFile::systemReason(error);

    QVERIFY(QDir().mkpath(path(QStringLiteral("Папка/внутри"))));
    const QByteArray fileBytes = packedInMemory("a document\r\n");
    QVERIFY(writeAll(path(QStringLiteral("файл")), fileBytes));
    QVERIFY(writeAll(path(QStringLiteral("plain.txt")), "1)\n"));
    const QStringList before = entriesOf(m_dir->path());
    const QString full = path(target);

    QString message;
    if (writer == QLatin1String("report")) {
        message = failureOf([&] { ReportFile::saveNew(full, kStudent, reportBytes(3)); });
        QCOMPARE(
            message,
            createFailure(full + QLatin1Char('/') + ReportFile::reportName(kStudent, 0), reason));
    } else if (writer == QLatin1String("editor")) {
        message = failureOf([&] { EditorFiles::savePacked(full, variantText(2)); });
        QCOMPARE(message, createFailure(full, reason));
    } else {
        const ToolRun run =
            runTool({QStringLiteral("pack"), path(QStringLiteral("plain.txt")), full});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(QString::fromUtf8(run.err), QStringLiteral("normakurs-text: ") +
                                                 createFailure(full, reason) + QLatin1Char('\n'));
    }
    // Nothing was made, nothing was changed.
    QCOMPARE(entriesOf(m_dir->path()), before);
    QCOMPARE(entriesOf(path(QStringLiteral("Папка"))), QStringList{QStringLiteral("внутри")});
    QCOMPARE(readAll(path(QStringLiteral("файл"))), fileBytes);
    ++s_faults;
}

void TestWriteFaults::readOnlyFolder_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<bool>("fileWritable"); // the existing variant may be written by anyone
    QTest::addColumn<bool>("folderWritable");

    QTest::newRow("report") << "report" << true << false;
    QTest::newRow("editor, variant read-only too") << "editor" << false << false;
    QTest::newRow("tool, variant read-only too") << "tool" << false << false;
    QTest::newRow("editor, variant writable: rewritten in place") << "editor" << true << false;
    QTest::newRow("tool, variant writable: rewritten in place") << "tool" << true << false;
    QTest::newRow("editor, only the variant read-only") << "editor" << false << true;
}

void TestWriteFaults::readOnlyFolder() {
    QFETCH(QString, writer);
    QFETCH(bool, fileWritable);
    QFETCH(bool, folderWritable);

    // Root writes through permission bits, so the writer runs as a user who is not root.
    const QString folder = path(QStringLiteral("Тесты"));
    QVERIFY(QDir().mkpath(folder));
    const QString existing = folder + QStringLiteral("/Вариант 1.txt");
    const QByteArray oldBytes = packedInMemory("---\r\n1) old\r\n`B\r\n---\r\n");
    QVERIFY(writeAll(existing, oldBytes));
    QVERIFY(writeAll(path(QStringLiteral("plain.txt")), "1)\n"));
    openToAll(m_dir->path());
    const QString shutOut = unprivilegedShutOut(m_dir->path());
    if (!shutOut.isEmpty())
        QSKIP(qPrintable(shutOut));
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther;
    QVERIFY(
        QFile::setPermissions(existing, fileWritable ? readable | QFile::WriteOther : readable));
    QVERIFY(QFile::setPermissions(path(QStringLiteral("plain.txt")), readable));
    QVERIFY(QFile::setPermissions(folder,
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther |
                                      (folderWritable ? QFile::WriteOther : QFile::Permissions())));
    const QString report = folder + QLatin1Char('/') + ReportFile::reportName(kStudent, 0);

    QString message;
    QString expected;
    if (writer == QLatin1String("tool")) {
        const ToolRun run = runTool(
            {QStringLiteral("pack"), path(QStringLiteral("plain.txt")), existing}, -1, true);
        QVERIFY2(run.exitCode != 125, "cannot leave root");
        QCOMPARE(run.exitCode, fileWritable ? 0 : 1);
        message = QString::fromUtf8(run.err);
        expected = QStringLiteral("normakurs-text: ") + createFailure(existing, QString());
    } else {
        const ChildRun run = inChild([&]() -> QByteArray {
            if (!dropRoot())
                return "<cannot leave root>";
            if (writer == QLatin1String("report"))
                return failureOf([&] { ReportFile::saveNew(folder, kStudent, reportBytes(3)); })
                    .toUtf8();
            return failureOf([&] { EditorFiles::savePacked(existing, variantText(2)); }).toUtf8();
        });
        QVERIFY2(run.finished && !run.crashed, run.describe().constData());
        message = QString::fromUtf8(run.output);
        expected = createFailure(writer == QLatin1String("report") ? report : existing, QString());
    }
    // No temporary file, no report, in any case.
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Вариант 1.txt")});
    if (writer != QLatin1String("report") && fileWritable) {
        // Nothing to tell the teacher: the save went through.
        QCOMPARE(message, writer == QLatin1String("tool") ? QString() : kNoFailure);
        QCOMPARE(PackedText::OpenFromStream(existing),
                 writer == QLatin1String("tool") ? QByteArray("1)\r\n")
                                                 : TextLines::fromEditorText(variantText(2)));
        return;
    }
    // The folder refuses the report, the variant refuses to be replaced: the system says why.
    QCOMPARE(message, expected + SystemFile::systemReason(EACCES) +
                          (writer == QLatin1String("tool") ? QStringLiteral("\n") : QString()));
    QCOMPARE(readAll(existing), oldBytes);
    ++s_faults;
}

void TestWriteFaults::toolInputFails_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("error");

    QTest::newRow("missing") << "нет.txt" << ENOENT;
    QTest::newRow("a folder") << "Папка" << EISDIR;
    QTest::newRow("through a file") << "plain.txt/x" << ENOTDIR;
}

void TestWriteFaults::toolInputFails() {
    // The plain file the tool packs cannot be read: the same words as every open failure.
    QFETCH(QString, input);
    QFETCH(int, error);
    QVERIFY(QDir().mkpath(path(QStringLiteral("Папка"))));
    QVERIFY(writeAll(path(QStringLiteral("plain.txt")), "1)\n"));
    const ToolRun run =
        runTool({QStringLiteral("pack"), path(input), path(QStringLiteral("v.txt"))});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(QString::fromUtf8(run.err),
             QStringLiteral("normakurs-text: Cannot open file \"%1\". %2\n")
                 .arg(absolute(path(input)), SystemFile::systemReason(error)));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("v.txt"))));
}

// Rewriting in place --------------------------------------------------------------------------

void TestWriteFaults::inPlaceUnderSizeLimit() {
    // A folder that takes no new file, a variant that anyone may write: the save rewrites the
    // variant where it is. Every write that fails puts the old variant back, as long as the disk
    // still takes the old variant's bytes.
    const QString folder = path(QStringLiteral("Тесты"));
    QVERIFY(QDir().mkpath(folder));
    const QString variant = folder + QStringLiteral("/Вариант 1.txt");
    const QByteArray oldBytes = packedInMemory(TextLines::fromEditorText(variantText(2)));
    QVERIFY(writeAll(variant, oldBytes));
    openToAll(m_dir->path());
    const QString shutOut = unprivilegedShutOut(m_dir->path());
    if (!shutOut.isEmpty())
        QSKIP(qPrintable(shutOut));
    QVERIFY(QFile::setPermissions(variant, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                               QFile::WriteOther));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                              QFile::ExeOther));
    const QString text = variantText(12);
    const QByteArray newBytes = packedInMemory(TextLines::fromEditorText(text));
    QVERIFY(newBytes.size() > oldBytes.size());

    for (qint64 n = 0; n <= newBytes.size(); ++n) {
        const ChildRun run = inChild([&]() -> QByteArray {
            if (!dropRoot())
                return "<cannot leave root>";
            FileSizeLimit limit(n);
            if (!limit.ok())
                return "<no limit>";
            return failureOf([&] { EditorFiles::savePacked(variant, text); }).toUtf8();
        });
        QVERIFY2(run.finished && !run.crashed, run.describe().constData());
        const QString message = QString::fromUtf8(run.output);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("Вариант 1.txt")});
        if (n >= newBytes.size()) {
            QCOMPARE(message, kNoFailure);
            QCOMPARE(readAll(variant), newBytes);
        } else if (n >= oldBytes.size()) {
            QCOMPARE(message, DurableFile::inPlaceRestored(variant));
            QCOMPARE(readAll(variant), oldBytes);
            ++s_faults;
        } else {
            // The disk takes not even the old bytes back: the teacher is told the file is damaged.
            QCOMPARE(message, DurableFile::inPlaceLost(variant));
            ++s_faults;
        }
        QVERIFY(writeAll(variant, oldBytes));
    }
}

void TestWriteFaults::inPlaceFailingDevice() {
    const QString name = path(QStringLiteral("Вариант 1.txt"));
    const QByteArray oldBytes = packedInMemory("---\r\n1) old\r\n`B\r\n---\r\n");
    const QByteArray newBytes = packedInMemory(TextLines::fromEditorText(variantText(6)));
    for (qint64 n = 0; n <= newBytes.size(); ++n) {
        FailDevice device(n);
        QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QString message =
            failureOf([&] { DurableFile::rewriteInPlace(device, name, oldBytes, newBytes); });
        if (n < newBytes.size()) {
            // The device refuses for good once it is full, so the old content cannot go back
            // either, and the message says so rather than claiming it was restored.
            QCOMPARE(message, DurableFile::inPlaceLost(name));
            QCOMPARE(device.written(), newBytes.left(n));
            ++s_faults;
        } else {
            QCOMPARE(message, kNoFailure);
            QCOMPARE(device.written(), newBytes);
        }
    }
}

QTEST_GUILESS_MAIN(TestWriteFaults)
#include "TestWriteFaults.moc"
