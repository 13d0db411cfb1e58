// A computer lab finishing a test at the same moment: many separate processes (lab_writer, each
// with its own file handles) save reports into one reports folder, let go together through a
// named pipe (kept out of the folder under test, which may be a share that takes no pipe). For
// one name, 256 of 257 writers get the files "(0)" to "(255)", each complete, readable and
// holding its own writer's report, and the 257th is told that every number is taken; thirty
// students finishing eight attempts each get "(0)" to "(7)" each. Nothing is overwritten, lost
// or left half written.

#include "LabReport.h"
#include "PackedText.h"
#include "ReliabilitySupport.h"
#include "ReportFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Reliability;

namespace {

struct Writer {
    std::unique_ptr<QProcess> process;
    QString student;
    int number = 0;
    QByteArray output;
};

int s_written = 0; // reports written over the whole run, each checked

} // namespace

class TestConcurrentLab : public QObject {
    Q_OBJECT

private slots:
    void lab_data();
    void lab();
    void cleanupTestCase();
};

void TestConcurrentLab::lab_data() {
    QTest::addColumn<int>("students");
    QTest::addColumn<int>("attempts"); // writers for each student

    QTest::newRow("one name, 257 writers") << 1 << ReportFile::kMaxReports + 1;
    QTest::newRow("thirty names, eight writers each") << 30 << 8;
}

void TestConcurrentLab::lab() {
    QFETCH(int, students);
    QFETCH(int, attempts);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString misplaced = notOnShare(dir.path());
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    const QString folder = dir.filePath(QStringLiteral("Отчеты"));
    QVERIFY(QDir().mkpath(folder));
    QTemporaryDir scaffolding(scaffoldingPath() + QStringLiteral("/normakurs-barrier-XXXXXX"));
    QVERIFY(scaffolding.isValid());
    const QString barrier = scaffolding.filePath(QStringLiteral("barrier"));
    QCOMPARE(::mkfifo(QFile::encodeName(barrier).constData(), 0600), 0);

    QStringList names;
    for (int s = 0; s < students; ++s)
        names << (students == 1 ? QStringLiteral("Иван Петров")
                                : QStringLiteral("Студент %1 Иванов").arg(s + 1));

    // Start every writer and wait until each has its report ready.
    QElapsedTimer clock;
    clock.start();
    std::vector<Writer> writers;
    for (int a = 0; a < attempts; ++a) {
        for (const QString& name : names) {
            Writer writer{std::make_unique<QProcess>(), name, int(writers.size()), {}};
            writer.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            writer.process->start(QStringLiteral(LAB_WRITER),
                                  {folder, name, QString::number(writer.number), barrier});
            writers.push_back(std::move(writer));
        }
    }
    for (Writer& writer : writers) {
        while (!writer.output.contains("ready\n")) {
            QVERIFY2(writer.process->waitForReadyRead(60000),
                     qPrintable(writer.process->errorString()));
            writer.output += writer.process->readAllStandardOutput();
        }
    }
    const qint64 started = clock.elapsed();

    // Let them all go at once: opening the pipe's writing end frees every waiting reader.
    QThread::msleep(200);
    int release = -1;
    for (int tries = 0; tries < 5000 && release < 0; ++tries) {
        release = ::open(QFile::encodeName(barrier).constData(), O_WRONLY | O_NONBLOCK);
        if (release < 0)
            QThread::msleep(1);
    }
    QVERIFY(release >= 0);
    for (Writer& writer : writers) {
        QVERIFY(writer.process->waitForFinished(120000));
        writer.output += writer.process->readAllStandardOutput();
    }
    ::close(release);
    qInfo("%d writers started in %lld ms, all done in %lld ms", int(writers.size()), started,
          clock.elapsed());

    // Each student's writers took the numbers from 0 up, one file each, each holding the report
    // of the writer that took it; beyond 255 a writer is told that all numbers are taken.
    QMap<QString, QSet<int>> taken;
    QSet<QString> paths;
    int refused = 0;
    for (const Writer& writer : writers) {
        QCOMPARE(writer.process->exitStatus(), QProcess::NormalExit);
        const QList<QByteArray> lines = writer.output.split('\n');
        if (writer.process->exitCode() == 3) {
            ++refused;
            continue;
        }
        QCOMPARE(writer.process->exitCode(), 0);
        const QString path = QString::fromUtf8(lines.value(1));
        QVERIFY2(!paths.contains(path), qPrintable(path));
        paths.insert(path);
        const QString name = QFileInfo(path).fileName();
        QVERIFY(name.startsWith(writer.student + QLatin1Char('(')));
        taken[writer.student].insert(name.mid(writer.student.size() + 1).chopped(1).toInt());
        QCOMPARE(PackedText::OpenFromStream(path), LabReport::text(writer.student, writer.number));
        ++s_written;
    }
    const int perStudent = qMin(attempts, ReportFile::kMaxReports);
    QCOMPARE(refused, students * (attempts - perStudent));
    QStringList expected;
    for (const QString& name : names) {
        QCOMPARE(taken.value(name).size(), perStudent);
        for (int n = 0; n < perStudent; ++n) {
            QVERIFY(taken.value(name).contains(n));
            expected << ReportFile::reportName(name, n);
        }
    }
    // Nothing else in the folder: no partial or temporary file.
    expected.sort();
    QStringList present = entriesOf(folder);
    present.sort();
    QCOMPARE(present, expected);
}

void TestConcurrentLab::cleanupTestCase() {
    qInfo("concurrent reports written and read back whole: %d", s_written);
}

QTEST_GUILESS_MAIN(TestConcurrentLab)
#include "TestConcurrentLab.moc"
