// Reading many packed files of one folder through a reader that holds the folder open: every
// name gives what the plain reader gives for the whole path, text or failure, also for names in
// Windows-1251 bytes, large files and one file after another with the same reader.

#include "CodePage.h"
#include "Failure.h"
#include "PackedText.h"
#include "support/TestHelpers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The text the reader gives, or "failure: " and its message.
template <typename Read> QString outcome(const Read& read) {
    try {
        return QString::fromLatin1(read().toHex());
    } catch (const Failure& failure) {
        return QStringLiteral("failure: ") + failure.message();
    }
}

const auto packed = TestHelpers::packedInMemory;

// Bytes that do not compress, so that the packed file is as large as the text.
QByteArray noise(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(size);
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool writeRaw(const QByteArray& nativePath, const QByteArray& bytes) {
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

} // namespace

class TestFolderReader : public QObject {
    Q_OBJECT

private slots:
    void sameAsWholePath_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes"); // the file's content, for files
        QTest::addColumn<QString>("expected"); // the text in hex, or the start of the failure

        const QByteArray report = "\xc8\xec\xff \xf4\xe0\xec\xe8\xeb\xe8\xff: x\r\n";
        const QByteArray large = noise(100 * 1024); // read whole, past one chunk
        const QByteArray huge = noise(1536 * 1024); // streamed from the file
        const QString text = QString::fromLatin1(report.toHex());
        const QString missing = QStringLiteral("failure: Cannot open file \"");
        QTest::newRow("packed report") << "file" << packed(report) << text;
        QTest::newRow("empty text") << "file" << packed(QByteArray()) << QString();
        QTest::newRow("larger than a chunk")
            << "file" << packed(large) << QString::fromLatin1(large.toHex());
        QTest::newRow("streamed") << "file" << packed(huge) << QString::fromLatin1(huge.toHex());
        QTest::newRow("cut off") << "file" << packed(report).left(packed(report).size() / 2)
                                 << QStringLiteral("failure: Stream read error");
        QTest::newRow("no packed text") << "file" << report << QStringLiteral("failure: Error");
        QTest::newRow("zero bytes")
            << "file" << QByteArray() << QStringLiteral("failure: Stream read error");
        QTest::newRow("missing") << "missing" << QByteArray() << missing;
        QTest::newRow("a folder") << "folder" << QByteArray() << missing;
        QTest::newRow("a named pipe") << "fifo" << QByteArray() << missing;
        QTest::newRow("name in Windows-1251 bytes") << "cp1251 name" << packed(report) << text;
        QTest::newRow("folder in Windows-1251 bytes") << "cp1251 folder" << packed(report) << text;
        QTest::newRow("folder missing") << "no folder" << QByteArray() << missing;
    }

    void sameAsWholePath() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = QStringLiteral("Иванов(0)");
        QString folder = dir.filePath(QStringLiteral("Отчеты"));
        const QByteArray cp1251Name = CodePage::encode(name);
        if (kind == QLatin1String("cp1251 folder")) {
            const QByteArray native = QFile::encodeName(dir.path()) + '/' + cp1251Name;
            QCOMPARE(::mkdir(native.constData(), 0700), 0);
            folder = dir.path() + QLatin1Char('/') + CodePage::decode(cp1251Name);
            QVERIFY(writeRaw(native + '/' + QFile::encodeName(name), bytes));
        } else if (kind != QLatin1String("no folder")) {
            QVERIFY(QDir().mkpath(folder));
        }
        const QString path = folder + QLatin1Char('/') + name;
        const QByteArray native = QFile::encodeName(path);
        if (kind == QLatin1String("file")) {
            QVERIFY(writeRaw(native, bytes));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        } else if (kind == QLatin1String("cp1251 name")) {
            QVERIFY(writeRaw(QFile::encodeName(folder) + '/' + cp1251Name, bytes));
        }
        // Named as the listing names it: decoded, whatever its bytes.
        const QString listed =
            kind == QLatin1String("cp1251 name") ? CodePage::decode(cp1251Name) : name;

        PackedText::FolderReader reader(folder);
        const QString got = outcome([&] { return reader.OpenFromStream(listed); });
        const QString plain =
            outcome([&] { return PackedText::OpenFromStream(folder + QLatin1Char('/') + listed); });
        QCOMPARE(got, plain);
        QVERIFY2(expected.startsWith(QLatin1String("failure: ")) ? got.startsWith(expected)
                                                                 : got == expected,
                 qPrintable(got.left(200)));
        if (got.startsWith(QLatin1String("failure: Cannot open file")))
            QVERIFY2(got.contains(folder + QLatin1Char('/') + listed), qPrintable(got));

        // The temporary folder cannot remove what its own listing cannot name.
        const QByteArray top = QFile::encodeName(dir.path());
        if (kind == QLatin1String("cp1251 name")) {
            QCOMPARE(::unlink((QFile::encodeName(folder) + '/' + cp1251Name).constData()), 0);
        } else if (kind == QLatin1String("cp1251 folder")) {
            QCOMPARE(::unlink((top + '/' + cp1251Name + '/' + QFile::encodeName(name)).constData()),
                     0);
            QCOMPARE(::rmdir((top + '/' + cp1251Name).constData()), 0);
        }
    }

    // One reader keeps one inflate stream for all its files: a file that fails in the middle of
    // its stream leaves nothing behind for the next.
    void oneFileAfterAnother() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QList<QPair<QString, QByteArray>> files = {
            {QStringLiteral("a"), packed("first text\r\n")},
            {QStringLiteral("b"), packed(noise(3000)).left(900)},
            {QStringLiteral("c"), QByteArray("\x78\xda garbage")},
            {QStringLiteral("d"), packed("second\r\n")},
            {QStringLiteral("e"), packed(noise(1536 * 1024))},
            {QStringLiteral("f"), packed(QByteArray(5000, 'x'))},
        };
        for (const auto& file : files)
            QVERIFY(writeRaw(QFile::encodeName(dir.filePath(file.first)), file.second));
        PackedText::FolderReader reader(dir.path());
        for (int round = 0; round < 2; ++round) {
            for (const auto& file : files) {
                QCOMPARE(outcome([&] { return reader.OpenFromStream(file.first); }), outcome([&] {
                             return PackedText::OpenFromStream(dir.filePath(file.first));
                         }));
            }
        }
        QCOMPARE(reader.OpenFromStream(QStringLiteral("d")), QByteArray("second\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestFolderReader)
#include "TestFolderReader.moc"
