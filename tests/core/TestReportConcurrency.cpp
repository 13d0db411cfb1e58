// Report files written by several programs into one reports folder at the same moment: every
// report lands in a file of its own, none is lost or overwritten, and a write that fails half
// way leaves nothing behind. The writers are separate processes (report_writer), each with its
// own file handles, started together.

#include "Failure.h"
#include "PackedText.h"
#include "ReportFile.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/vfs.h>
#include <vector>

namespace {

using TestHelpers::entriesOf;
using TestHelpers::unpacked;

const QString kStudent = QStringLiteral("Иван Петров");

// A report long enough that writing it takes a moment, different for every writer.
QString reportText(int writer) {
    QString text = QStringLiteral("Имя фамилия: Иван Петров\nГруппа: ИС-21\nПредмет: Алгебра\n"
                                  "Тест: Вариант 1.txt\n05.03.2014     09:07:41\n");
    for (int k = 1; k <= 400; ++k) {
        text += QStringLiteral("Вопрос № %1- %2 (писатель %3)\n")
                    .arg(k)
                    .arg((k + writer) % 3 == 0 ? QStringLiteral("Правильно ")
                                               : QStringLiteral("Неправильно "))
                    .arg(writer);
    }
    return text;
}

// "" unless the run asks for a network share (NORMAKURS_SHARE, set by the share's wrapper) and
// `path` is not on one (a FUSE file system): then a test that put its folder elsewhere fails
// instead of passing on the local disk.
QString notOnShare(const QString& path) {
    constexpr long kFuseMagic = 0x65735546;
    const QString share = qEnvironmentVariable("NORMAKURS_SHARE");
    struct statfs info {};
    if (share.isEmpty() || (::statfs(QFile::encodeName(path).constData(), &info) == 0 &&
                            long(info.f_type) == kFuseMagic))
        return QString();
    return QStringLiteral("%1 should lie on the %2 share").arg(path, share);
}

QString numbered(int n) {
    return ReportFile::reportName(kStudent, n);
}

struct Writer {
    std::unique_ptr<QProcess> process;
    QByteArray text; // as the file must hold it
};

} // namespace

class TestReportConcurrency : public QObject {
    Q_OBJECT

private slots:
    void writersAtOnce_data();
    void writersAtOnce();
    void failedWriteLeavesNoFile();

private:
    // Starts `count` writers that all save at the same moment.
    std::vector<Writer> startWriters(int count, const QString& folder, const QString& texts,
                                     const QStringList& extra = {});
};

std::vector<Writer> TestReportConcurrency::startWriters(int count, const QString& folder,
                                                        const QString& texts,
                                                        const QStringList& extra) {
    // Long enough for every copy to be up and waiting, also under the sanitizers.
    const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + 1500 + 100 * count;
    std::vector<Writer> writers;
    for (int w = 0; w < count; ++w) {
        const QString text = reportText(w);
        const QString textPath = texts + QStringLiteral("/writer%1.txt").arg(w);
        QFile file(textPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            return {};
        file.close();

        Writer writer{std::make_unique<QProcess>(), TextLines::fromEditorText(text)};
        writer.process->setProgram(QStringLiteral(REPORT_WRITER));
        writer.process->setArguments(QStringList{folder, kStudent, textPath,
                                                 QStringLiteral("--start-at"),
                                                 QString::number(startAt)} +
                                     extra);
        writer.process->start();
        writers.push_back(std::move(writer));
    }
    return writers;
}

void TestReportConcurrency::writersAtOnce_data() {
    QTest::addColumn<QList<int>>("present"); // numbers taken before the writers start
    QTest::addColumn<int>("writers");
    QTest::addColumn<QList<int>>("expected"); // numbers the writers take
    QTest::addColumn<int>("refused");         // writers told that every number is taken

    QList<int> upTo250;
    QList<int> upTo256;
    for (int n = 0; n < 256; ++n) {
        if (n < 250)
            upTo250.append(n);
        upTo256.append(n);
    }
    QList<int> twelve;
    for (int n = 0; n < 12; ++n)
        twelve.append(n);

    QTest::newRow("12 writers, empty folder") << QList<int>{} << 12 << twelve << 0;
    QTest::newRow("12 writers, 0 and 2 present")
        << QList<int>{0, 2} << 12 << QList<int>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13} << 0;
    QTest::newRow("10 writers, 250 present")
        << upTo250 << 10 << QList<int>{250, 251, 252, 253, 254, 255} << 4;
    QTest::newRow("3 writers, all present") << upTo256 << 3 << QList<int>{} << 3;
}

void TestReportConcurrency::writersAtOnce() {
    QFETCH(QList<int>, present);
    QFETCH(int, writers);
    QFETCH(QList<int>, expected);
    QFETCH(int, refused);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY2(notOnShare(dir.path()).isEmpty(), qPrintable(notOnShare(dir.path())));
    const QString folder = dir.filePath(QStringLiteral("Отчеты"));
    const QString texts = dir.filePath(QStringLiteral("texts"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(texts));
    for (int n : present) {
        QFile file(folder + QLatin1Char('/') + numbered(n));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier report " + QByteArray::number(n));
    }

    std::vector<Writer> started = startWriters(writers, folder, texts);
    QCOMPARE(int(started.size()), writers);

    QSet<QString> written;
    int allTaken = 0;
    for (Writer& writer : started) {
        QProcess& process = *writer.process;
        QVERIFY2(process.waitForFinished(120000), qPrintable(process.errorString()));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        const QString out = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (process.exitCode() == 3) {
            ++allTaken;
            QCOMPARE(out, QString());
            continue;
        }
        QVERIFY2(process.exitCode() == 0, qPrintable(err));
        QVERIFY2(!written.contains(out), qPrintable(out)); // no two writers share a file
        written.insert(out);
        // The file holds this writer's whole report.
        QCOMPARE(unpacked(out), writer.text);
    }
    QCOMPARE(allTaken, refused);

    QSet<QString> expectedPaths;
    for (int n : expected)
        expectedPaths.insert(folder + QLatin1Char('/') + numbered(n));
    QCOMPARE(written, expectedPaths);

    // Nothing that was there before is touched, and nothing else appeared.
    for (int n : present) {
        QFile file(folder + QLatin1Char('/') + numbered(n));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "earlier report " + QByteArray::number(n));
    }
    QCOMPARE(int(entriesOf(folder).size()), int(present.size() + expected.size()));
}

void TestReportConcurrency::failedWriteLeavesNoFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY2(notOnShare(dir.path()).isEmpty(), qPrintable(notOnShare(dir.path())));
    const QString folder = dir.filePath(QStringLiteral("Отчеты"));
    const QString texts = dir.filePath(QStringLiteral("texts"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QDir().mkpath(texts));
    {
        QFile file(folder + QLatin1Char('/') + numbered(0));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier report");
    }

    // The file is created, then the disk takes only its first 16 bytes.
    std::vector<Writer> failing =
        startWriters(1, folder, texts, {QStringLiteral("--file-size-limit"), QStringLiteral("16")});
    QCOMPARE(int(failing.size()), 1);
    QProcess& process = *failing.front().process;
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.contains(QStringLiteral("Stream write error")), qPrintable(err));
    QCOMPARE(entriesOf(folder), QStringList{numbered(0)});

    // The same writer with room enough saves its report as number 1.
    std::vector<Writer> passing = startWriters(1, folder, texts);
    QCOMPARE(int(passing.size()), 1);
    QVERIFY(passing.front().process->waitForFinished(120000));
    QCOMPARE(passing.front().process->exitCode(), 0);
    QCOMPARE(entriesOf(folder), (QStringList{numbered(0), numbered(1)}));
}

QTEST_GUILESS_MAIN(TestReportConcurrency)
#include "TestReportConcurrency.moc"
