// Packed text files: the bytes the writer produces, what the reader accepts, and every failure
// message the user can be shown.

#include "Failure.h"
#include "PackedText.h"
#include "support/FailDevice.h"
#include "support/TestHelpers.h"
#include "SystemFile.h"
#include "TextLines.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

namespace {

using namespace TestHelpers;

QByteArray payloadOf(const QByteArray& text) {
    return le64(text.size()) + text;
}

// A zlib stream made by zlib itself rather than by the code under test.
QByteArray zlibStream(const QByteArray& data, int level, int windowBits = MAX_WBITS,
                      const QByteArray& dictionary = QByteArray()) {
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    if (!dictionary.isEmpty())
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.constData()),
                             static_cast<uInt>(dictionary.size()));
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))),
                   '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return rc == Z_STREAM_END ? out : QByteArray();
}

QByteArray compressed(const QByteArray& data, int level) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.constData()), static_cast<uLong>(data.size()),
                  level) != Z_OK)
        return QByteArray();
    out.resize(static_cast<qsizetype>(size));
    return out;
}

// The whole payload of a packed file, by zlib's one-shot uncompress, which also checks the
// Adler-32 trailer. Returns "<uncompress N>" when zlib refuses the data.
QByteArray uncompressed(const QByteArray& packed, qsizetype room = 1 << 20) {
    QByteArray out(room, '\0');
    uLongf size = static_cast<uLongf>(room);
    const int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                              reinterpret_cast<const Bytef*>(packed.constData()),
                              static_cast<uLong>(packed.size()));
    if (rc != Z_OK)
        return "<uncompress " + QByteArray::number(rc) + '>';
    out.resize(static_cast<qsizetype>(size));
    return out;
}

// Text that deflate cannot shrink, so that the compressed stream is about as long as the text
// and leaves the writer in several pieces.
QByteArray noise(qsizetype size) {
    QByteArray bytes(size, '\0');
    quint32 state = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 23);
    }
    return bytes;
}

const QByteArray kWorked = QByteArray::fromHex("2D2D2D0D0A31290D0A"); // "---" CR LF "1)" CR LF

// While `readable` is not negative, reading the file of this device and inode beyond its first
// `readable` bytes fails with EIO, as a damaged sector does.
struct {
    dev_t device = 0;
    ino_t inode = 0;
    off_t readable = -1;
} g_failing;

} // namespace

// Takes the place of the system's read() in this test program (see g_failing).
extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    struct stat status {};
    if (g_failing.readable >= 0 && ::fstat(fd, &status) == 0 && status.st_dev == g_failing.device &&
        status.st_ino == g_failing.inode) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        if (at >= g_failing.readable) {
            errno = EIO;
            return -1;
        }
        count = qMin(count, size_t(g_failing.readable - at));
    }
    return ::syscall(SYS_read, fd, buffer, count);
}

class TestPackedText : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startFolder;

    QString path(const QString& name) const { return m_dir->filePath(name); }
    void standUp(const QString& kind, const QString& name, QString& given);

private slots:
    void init();
    void cleanup();

    void writesPayload_data();
    void writesPayload();
    void readsStreamsOfOtherWriters_data();
    void readsStreamsOfOtherWriters();
    void loneBreaksReadAsCrLf_data();
    void loneBreaksReadAsCrLf();
    void shortLengthFieldLimitsText_data();
    void shortLengthFieldLimitsText();
    void readFailures_data();
    void readFailures();
    void capacity_data();
    void capacity();
    void openFailures_data();
    void openFailures();
    void swappedForPipeNeverBlocks();
    void createFailures_data();
    void createFailures();
    void failureMessagesTrimReason_data();
    void failureMessagesTrimReason();
    void zeroByteEndsEditorText();
    void longLinesKeptWhole_data();
    void longLinesKeptWhole();
    void writeFailures_data();
    void writeFailures();
    void fullDisk_data();
    void fullDisk();
    void deviceReadFailure_data();
    void deviceReadFailure();
};

void TestPackedText::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_startFolder = QDir::currentPath();
}

void TestPackedText::cleanup() {
    QDir::setCurrent(m_startFolder);
    m_dir.reset();
}

void TestPackedText::writesPayload_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("worked example") << kWorked
                                    << QByteArray::fromHex("0900000000000000"
                                                           "2D2D2D0D0A31290D0A");
    QTest::newRow("no final break") << QByteArray::fromHex("2D2D2D0D0A3129")
                                    << QByteArray::fromHex("0700000000000000"
                                                           "2D2D2D0D0A3129");
    QTest::newRow("empty") << QByteArray() << QByteArray::fromHex("0000000000000000");
    QTest::newRow("one byte") << QByteArray("x") << QByteArray::fromHex("010000000000000078");
    QTest::newRow("two bytes") << QByteArray("1)") << QByteArray::fromHex("02000000000000003129");
    // Writing stores the bytes it is given; breaks are made CR LF by the callers, not here.
    QTest::newRow("lone LF as given")
        << QByteArray("a\nb") << QByteArray::fromHex("0300000000000000610A62");
    QTest::newRow("zero byte kept")
        << QByteArray("a\0b", 3) << QByteArray::fromHex("0300000000000000610062");
    QTest::newRow("Windows-1251 bytes") << QByteArray::fromHex("D2E5F1F2") // "Тест"
                                        << QByteArray::fromHex("0400000000000000D2E5F1F2");
    QTest::newRow("300 bytes, two-byte length")
        << QByteArray(300, 'x') << QByteArray::fromHex("2C01000000000000") + QByteArray(300, 'x');
    QTest::newRow("70000 bytes, three-byte length")
        << QByteArray(70000, 'y')
        << QByteArray::fromHex("7011010000000000") + QByteArray(70000, 'y');
}

void TestPackedText::writesPayload() {
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, payload);

    // Saved over a longer file, which it replaces whole.
    const QString file = path(QStringLiteral("packed.txt"));
    PackedText::SaveToStream(file, noise(100000));
    PackedText::SaveToStream(file, text);
    const QByteArray bytes = readAll(file);

    QCOMPARE(bytes.left(2), QByteArray::fromHex("78DA"));
    QCOMPARE(uncompressed(bytes), payload);
    QCOMPARE(PackedText::OpenFromStream(file), text);
    // The file holds the stream and nothing else.
    QCOMPARE(bytes, packedInMemory(text));
}

void TestPackedText::readsStreamsOfOtherWriters_data() {
    QTest::addColumn<QByteArray>("packed");
    QTest::addColumn<QByteArray>("text");

    const QByteArray worked = payloadOf(kWorked);
    QTest::newRow("level 0 (stored)") << compressed(worked, 0) << kWorked;
    QTest::newRow("level 1") << compressed(worked, 1) << kWorked;
    QTest::newRow("level 6") << compressed(worked, 6) << kWorked;
    QTest::newRow("level 9") << compressed(worked, 9) << kWorked;
    QTest::newRow("512-byte window") << zlibStream(worked, 9, 9) << kWorked;

    const QByteArray big = noise(200000) + QByteArray(100000, 'a');
    QTest::newRow("300 KB at level 1") << compressed(payloadOf(big), 1) << big;
    QTest::newRow("300 KB stored") << compressed(payloadOf(big), 0) << big;

    const QString data = QStringLiteral(NORMAKURS_TEST_DATA "/packed/");
    QTest::newRow("golden, level 1") << readAll(data + "worked-level1.bin") << kWorked;
    QTest::newRow("golden, level 6") << readAll(data + "worked-level6.bin") << kWorked;
    QTest::newRow("golden, LF breaks")
        << readAll(data + "lf-breaks-level6.bin")
        << QByteArray::fromHex("C2EEEFF0EEF10A CEF2E2E5F20A"); // "Вопрос\nОтвет\n"
}

void TestPackedText::readsStreamsOfOtherWriters() {
    QFETCH(QByteArray, packed);
    QFETCH(QByteArray, text);
    QVERIFY(!packed.isEmpty());

    const QString file = path(QStringLiteral("other.txt"));
    QVERIFY(writeAll(file, packed));
    QCOMPARE(PackedText::OpenFromStream(file), text);

    QBuffer buffer(&packed);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(PackedText::readStream(buffer), text);
}

void TestPackedText::loneBreaksReadAsCrLf_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("normalized");
    QTest::addColumn<QString>("editorText");

    QTest::newRow("LF") << QByteArray("---\n1)\n") << kWorked << QStringLiteral("---\n1)\n");
    QTest::newRow("CR") << QByteArray("---\r1)\r") << kWorked << QStringLiteral("---\n1)\n");
    QTest::newRow("mixed") << QByteArray("---\r1)\na\r\n") << QByteArray("---\r\n1)\r\na\r\n")
                           << QStringLiteral("---\n1)\na\n");
    QTest::newRow("LF CR is two breaks")
        << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb") << QStringLiteral("a\n\nb");
}

void TestPackedText::loneBreaksReadAsCrLf() {
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, normalized);
    QFETCH(QString, editorText);

    // Written by another tool: the reader hands back the stored bytes unchanged.
    const QString file = path(QStringLiteral("lf.txt"));
    QVERIFY(writeAll(file, compressed(payloadOf(stored), 6)));
    const QByteArray text = PackedText::OpenFromStream(file);
    QCOMPARE(text, stored);
    QCOMPARE(TextLines::normalizeBreaks(text), normalized);
    QCOMPARE(TextLines::toEditorText(text), editorText);

    // Saved again from the editor, the breaks are CR LF.
    const QString again = path(QStringLiteral("again.txt"));
    PackedText::SaveToStream(again, TextLines::fromEditorText(TextLines::toEditorText(text)));
    QCOMPARE(uncompressed(readAll(again)), payloadOf(normalized));
}

void TestPackedText::shortLengthFieldLimitsText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("readable"); // bytes of the file the disk gives back; -1: all

    const QByteArray six = "abcdef";
    QTest::newRow("0 of 6") << compressed(le64(0) + six, 6) << QByteArray() << qint64(-1);
    QTest::newRow("3 of 6") << compressed(le64(3) + six, 6) << QByteArray("abc") << qint64(-1);
    QTest::newRow("5 of 6") << compressed(le64(5) + six, 6) << QByteArray("abcde") << qint64(-1);
    QTest::newRow("6 of 6") << compressed(le64(6) + six, 6) << QByteArray("abcdef") << qint64(-1);

    // What lies beyond the text the length field gives is never read: damage there is no
    // failure, whether in the deflate data or in the trailer's checksum.
    QByteArray badSum = compressed(le64(3) + six, 6);
    badSum[badSum.size() - 1] = char(badSum.back() ^ 0x55);
    QTest::newRow("3 of 6, checksum damaged") << badSum << QByteArray("abc") << qint64(-1);
    QByteArray badTail = compressed(le64(3) + "abc" + noise(4000), 6);
    badTail.replace(badTail.size() / 2, badTail.size() / 2, QByteArray(badTail.size() / 2, '\xFF'));
    QTest::newRow("3 of 4003, second half damaged") << badTail << QByteArray("abc") << qint64(-1);
    QTest::newRow("3 of 4003, unreadable after 100")
        << compressed(le64(3) + "abc" + noise(4000), 6) << QByteArray("abc") << qint64(100);
}

void TestPackedText::shortLengthFieldLimitsText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, text);
    QFETCH(qint64, readable);

    const QString file = path(QStringLiteral("short"));
    QVERIFY(writeAll(file, bytes));
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
    g_failing = {status.st_dev, status.st_ino, off_t(readable)};
    const auto heal = qScopeGuard([] { g_failing.readable = -1; });
    QByteArray got;
    QCOMPARE(failureOf([&] { got = PackedText::OpenFromStream(file); }), kNoFailure);
    QCOMPARE(got, text);

    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(failureOf([&] { got = PackedText::readStream(buffer); }), kNoFailure);
    QCOMPARE(got, text);
}

void TestPackedText::readFailures_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QString readError = QStringLiteral("Stream read error");
    const QString error = QStringLiteral("Error");

    QTest::newRow("plain text") << kWorked << error;
    QTest::newRow("plain Windows-1251 text") << QByteArray::fromHex("D2E5F1F20D0A") << error;
    QTest::newRow("wrong header check") << QByteArray::fromHex("78DB0300") << error;
    QTest::newRow("reserved block type") << QByteArray::fromHex("789C07000000") << error;
    QTest::newRow("preset dictionary")
        << zlibStream(payloadOf(kWorked), 9, MAX_WBITS, "---") << error;

    QTest::newRow("zero-byte file") << QByteArray() << readError;
    QTest::newRow("header only") << QByteArray::fromHex("78DA") << readError;
    QTest::newRow("payload shorter than the length field")
        << compressed(QByteArray::fromHex("09000000"), 9) << readError;

    const QByteArray small = packedInMemory(kWorked);
    QTest::newRow("first half of a small file") << small.left(small.size() / 2) << readError;
    const QByteArray large = packedInMemory(noise(200000));
    QTest::newRow("first half of a large file") << large.left(large.size() / 2) << readError;
    QTest::newRow("large file less its last 100 bytes")
        << large.left(large.size() - 100) << readError;

    QTest::newRow("length -1") << compressed(le64(-1) + kWorked, 9) << readError;
    QTest::newRow("length -2^63") << compressed(le64(std::numeric_limits<qint64>::min()) + kWorked,
                                                9)
                                  << readError;
    QTest::newRow("length 1000, 9 bytes") << compressed(le64(1000) + kWorked, 9) << readError;
    QTest::newRow("length 10, 9 bytes") << compressed(le64(10) + kWorked, 9) << readError;
    QTest::newRow("length at capacity, 9 bytes")
        << compressed(le64(PackedText::kMemoCapacity) + kWorked, 9) << readError;
    QTest::newRow("length 2^40, 9 bytes")
        << compressed(le64(qint64(1) << 40) + kWorked, 9) << readError;
    QTest::newRow("length 2^63-1, 9 bytes")
        << compressed(le64(std::numeric_limits<qint64>::max()) + kWorked, 9) << readError;

    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "Line " + QByteArray::number(i) + " of the text, some words here\r\n";
    QByteArray damaged = compressed(payloadOf(lines), 6);
    damaged.replace(damaged.size() / 2, 16, QByteArray(16, '\xFF'));
    QTest::newRow("damage inside the text") << damaged << error;
}

void TestPackedText::readFailures() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);

    const QString file = path(QStringLiteral("bad.txt"));
    QVERIFY(writeAll(file, bytes));
    QCOMPARE(failureOf([&] { PackedText::OpenFromStream(file); }), message);

    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(failureOf([&] { PackedText::readStream(buffer); }), message);
}

void TestPackedText::capacity_data() {
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("capacity");
    QTest::addColumn<QString>("message"); // empty: the text is read

    const QString tooLarge = QStringLiteral("Text exceeds memo capacity");
    QTest::newRow("1000 bytes, capacity 100")
        << qint64(1000) << QByteArray(1000, 'x') << qint64(100) << tooLarge;
    QTest::newRow("101 bytes, capacity 100")
        << qint64(101) << QByteArray(101, 'x') << qint64(100) << tooLarge;
    QTest::newRow("100 bytes, capacity 100")
        << qint64(100) << QByteArray(100, 'x') << qint64(100) << QString();
    QTest::newRow("200 KB, capacity 64 KB")
        << qint64(200000) << noise(200000) << qint64(65536) << tooLarge;
    // Too large and cut off: the stream's end comes first.
    QTest::newRow("claims 1000, holds 9, capacity 100")
        << qint64(1000) << kWorked << qint64(100) << QStringLiteral("Stream read error");
    // Without a capacity in the way, memory must still follow what the stream delivers rather
    // than what the length field claims.
    const qint64 unlimited = std::numeric_limits<qint64>::max();
    QTest::newRow("claims 2^40, holds 9, no capacity")
        << (qint64(1) << 40) << kWorked << unlimited << QStringLiteral("Stream read error");
    QTest::newRow("claims 2^63-1, holds 9, no capacity")
        << unlimited << kWorked << unlimited << QStringLiteral("Stream read error");
    QTest::newRow("claims 2^40, holds 300 KB, no capacity")
        << (qint64(1) << 40) << noise(300000) << unlimited << QStringLiteral("Stream read error");
    QTest::newRow("empty, capacity 0") << qint64(0) << QByteArray() << qint64(0) << QString();
}

void TestPackedText::capacity() {
    QFETCH(qint64, length);
    QFETCH(QByteArray, text);
    QFETCH(qint64, capacity);
    QFETCH(QString, message);

    QByteArray packed = compressed(le64(length) + text, 6);
    QBuffer buffer(&packed);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QByteArray read;
    QCOMPARE(failureOf([&] { read = PackedText::readStream(buffer, capacity); }),
             message.isEmpty() ? kNoFailure : message);
    if (message.isEmpty())
        QCOMPARE(read, text);

    const QString file = path(QStringLiteral("big"));
    QVERIFY(writeAll(file, packed));
    QCOMPARE(failureOf([&] { PackedText::OpenFromStream(file, capacity); }),
             message.isEmpty() ? kNoFailure : message);
}

void TestPackedText::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error"); // the reason is the system's text for it

    QTest::newRow("missing, absolute") << "missing"
                                       << "nothing.txt" << ENOENT;
    QTest::newRow("missing, relative") << "relative"
                                       << "nothing.txt" << ENOENT;
    QTest::newRow("missing, Cyrillic name") << "missing"
                                            << "Иванов(1)" << ENOENT;
    QTest::newRow("missing folder on the way") << "missing"
                                               << "Отчеты/Иванов(1)" << ENOENT;
    QTest::newRow("a folder") << "folder"
                              << "Тесты" << EISDIR;
    QTest::newRow("a named pipe") << "fifo"
                                  << "pipe" << ENXIO;
    QTest::newRow("a socket") << "socket"
                              << "sock" << ENXIO;
    QTest::newRow("a link to a device") << "device"
                                        << "zero" << ENXIO;
    QTest::newRow("a link to a named pipe") << "fifo link"
                                            << "link" << ENXIO;
    QTest::newRow("a link that leads nowhere") << "dangling"
                                               << "link" << ENOENT;
}

// Puts what the row's kind names at `name` in the test folder and gives the path a caller passes:
// `name` itself for "relative" (from the test folder as the current one), else the whole path.
void TestPackedText::standUp(const QString& kind, const QString& name, QString& given) {
    const QString full = path(name);
    given = full;
    if (kind == QLatin1String("relative")) {
        QVERIFY(QDir::setCurrent(m_dir->path()));
        given = name;
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(full));
    } else if (kind == QLatin1String("file")) {
        QVERIFY(writeAll(path(QStringLiteral("plain")), "x"));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(full).constData(), 0600), 0);
    } else if (kind == QLatin1String("fifo link")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600), 0);
        QVERIFY(QFile::link(path(QStringLiteral("pipe")), full));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(path(QStringLiteral("nothing")), full));
    } else if (kind == QLatin1String("device")) {
        QVERIFY(QFileInfo::exists(QStringLiteral("/dev/zero")));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), full));
    } else if (kind == QLatin1String("socket")) {
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(full);
        QVERIFY(size_t(native.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
        const bool bound =
            ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
            ::listen(listener, 1) == 0;
        ::close(listener);
        QVERIFY(bound);
    }
}

void TestPackedText::openFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(int, error);
    QString given;
    standUp(kind, name, given);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(failureOf([&] { PackedText::OpenFromStream(given); }),
             QStringLiteral("Cannot open file \"%1\". %2")
                 .arg(path(name), SystemFile::systemReason(error)));
}

void TestPackedText::swappedForPipeNeverBlocks() {
    // The name of a report is swapped, over and over, between a packed file and a named pipe,
    // as a hostile program on a shared folder could do between the listing and the click. Each
    // read gets the text or the open failure. A reader that checked the name first and opened
    // it afterwards would, once in a while, open the pipe and wait for a writer; this test then
    // plays the writer, so the mistake shows as a wrong result and not as a hang.
    const QString name = path(QStringLiteral("Иванов(0)"));
    const QString spare = path(QStringLiteral("spare"));
    QByteArray packed;
    {
        QBuffer buffer(&packed);
        buffer.open(QIODevice::WriteOnly);
        PackedText::writeStream(buffer, kWorked);
    }
    QVERIFY(writeAll(name, packed));
    QCOMPARE(::mkfifo(QFile::encodeName(spare).constData(), 0600), 0);

    std::atomic<bool> done{false};
    std::atomic<int> exchanges{0};
    std::thread swapper([&] {
        const QByteArray at = QFile::encodeName(name);
        const QByteArray other = QFile::encodeName(spare);
        bool pipeAtName = false;
        while (!done.load()) {
            // One step: the name always leads to the file or to the pipe, never to nothing.
            if (::renameat2(AT_FDCWD, other.constData(), AT_FDCWD, at.constData(),
                            RENAME_EXCHANGE) != 0)
                return;
            ++exchanges;
            pipeAtName = !pipeAtName;
            // Lets a reader that waits on the pipe go, wherever the pipe is now.
            const int writer = ::open(pipeAtName ? at.constData() : other.constData(),
                                      O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
        }
    });

    const QString refused =
        QStringLiteral("Cannot open file \"%1\". No such device or address").arg(name);
    int texts = 0;
    int refusals = 0;
    QString unexpected;
    for (int i = 0; i < 20000 && unexpected.isEmpty(); ++i) {
        QString message;
        QByteArray text;
        message = failureOf([&] { text = PackedText::OpenFromStream(name); });
        if (message == kNoFailure && text == kWorked)
            ++texts;
        else if (message == refused)
            ++refusals;
        else
            unexpected = message;
    }
    done.store(true);
    swapper.join();
    QVERIFY2(exchanges.load() > 0, "the file system cannot exchange two names");
    QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
    // Both sides of the swap were met, or the test proved nothing.
    QVERIFY(texts > 0);
    QVERIFY(refusals > 0);
}

void TestPackedText::createFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("error");

    QTest::newRow("inside a missing folder") << "missing"
                                             << "Отчеты/Иванов(1)" << ENOENT;
    QTest::newRow("inside a missing folder, relative") << "relative"
                                                       << "Отчеты/Иванов(1)" << ENOENT;
    QTest::newRow("a folder") << "folder"
                              << "Тесты" << EISDIR;
    QTest::newRow("inside a file") << "file"
                                   << "plain/x.txt" << ENOTDIR;
}

void TestPackedText::createFailures() {
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(int, error);
    QString given;
    standUp(kind, name, given);
    if (QTest::currentTestFailed())
        return;
    const QString full = path(name);
    QCOMPARE(
        failureOf([&] { PackedText::SaveToStream(given, kWorked); }),
        QStringLiteral("Cannot create file \"%1\". %2").arg(full, SystemFile::systemReason(error)));
    if (kind == QLatin1String("folder"))
        QVERIFY(QFileInfo(full).isDir());
    else
        QVERIFY(!QFileInfo::exists(full));
}

void TestPackedText::failureMessagesTrimReason_data() {
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("plain") << "No such file or directory"
                           << "No such file or directory";
    QTest::newRow("full stop") << "Access is denied."
                               << "Access is denied";
    QTest::newRow("full stop and line break") << "Access is denied.\r\n"
                                              << "Access is denied";
    QTest::newRow("stops and blanks") << "Disk full. . \t"
                                      << "Disk full";
    QTest::newRow("inner full stop kept") << "Version 1.2 refused."
                                          << "Version 1.2 refused";
}

void TestPackedText::failureMessagesTrimReason() {
    QFETCH(QString, reason);
    QFETCH(QString, trimmed);

    QVERIFY(QDir::setCurrent(m_dir->path()));
    const QString full = path(QStringLiteral("x.txt"));
    QCOMPARE(SystemFile::openFailure(QStringLiteral("x.txt"), reason),
             QStringLiteral("Cannot open file \"%1\". %2").arg(full, trimmed));
    QCOMPARE(SystemFile::createFailure(QStringLiteral("x.txt"), reason),
             QStringLiteral("Cannot create file \"%1\". %2").arg(full, trimmed));
}

void TestPackedText::zeroByteEndsEditorText() {
    const QByteArray stored("ab\0cd\r\nef", 9);
    const QString file = path(QStringLiteral("zero.txt"));
    PackedText::SaveToStream(file, stored);

    QCOMPARE(uncompressed(readAll(file)), le64(9) + stored);
    const QByteArray text = PackedText::OpenFromStream(file);
    QCOMPARE(text, stored);
    QCOMPARE(TextLines::toEditorText(text), QStringLiteral("ab"));
}

void TestPackedText::longLinesKeptWhole_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("finalBreak");

    QTest::newRow("4096") << 4096 << true;
    QTest::newRow("4097") << 4097 << true;
    QTest::newRow("5000") << 5000 << true;
    QTest::newRow("5000, no final break") << 5000 << false;
    QTest::newRow("100000") << 100000 << true;
}

void TestPackedText::longLinesKeptWhole() {
    QFETCH(int, length);
    QFETCH(bool, finalBreak);

    // Lines are never cut, whatever their length: a cut line would lose a question's text.
    const QString line(length, QChar(0x0436)); // "ж", one byte in Windows-1251
    const QString editorText = QStringLiteral("---\n") + line + (finalBreak ? "\n" : "");
    const QString file = path(QStringLiteral("long.txt"));
    PackedText::SaveToStream(file, TextLines::fromEditorText(editorText));

    const QByteArray text = PackedText::OpenFromStream(file);
    QCOMPARE(text.size(), qsizetype(5 + length + (finalBreak ? 2 : 0)));
    QCOMPARE(TextLines::lineCount(TextLines::normalizeBreaks(text)), qsizetype(2));
    const QString back = TextLines::toEditorText(text);
    QCOMPARE(back, editorText);
    QCOMPARE(back.split(QLatin1Char('\n')).at(1).size(), qsizetype(length));
}

void TestPackedText::writeFailures_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QString>("message");

    const QString writeError = QStringLiteral("Stream write error");
    const qint64 small = packedInMemory(kWorked).size();
    QTest::newRow("small, refused at once") << kWorked << qint64(0) << writeError;
    QTest::newRow("small, after 1 byte") << kWorked << qint64(1) << writeError;
    QTest::newRow("small, after 2 bytes") << kWorked << qint64(2) << writeError;
    QTest::newRow("small, one byte short") << kWorked << small - 1 << writeError;
    QTest::newRow("small, room enough") << kWorked << small << QString();
    QTest::newRow("empty, refused at once") << QByteArray() << qint64(0) << writeError;

    const QByteArray big = noise(300000);
    const qint64 large = packedInMemory(big).size();
    QTest::newRow("large, refused at once") << big << qint64(0) << writeError;
    QTest::newRow("large, after 100 bytes") << big << qint64(100) << writeError;
    QTest::newRow("large, after 65535 bytes") << big << qint64(65535) << writeError;
    QTest::newRow("large, after 65536 bytes") << big << qint64(65536) << writeError;
    QTest::newRow("large, after 65537 bytes") << big << qint64(65537) << writeError;
    QTest::newRow("large, after 200000 bytes") << big << qint64(200000) << writeError;
    QTest::newRow("large, one byte short") << big << large - 1 << writeError;
    QTest::newRow("large, room enough") << big << large << QString();
    QTest::newRow("large, room to spare") << big << large + 1000 << QString();
}

void TestPackedText::writeFailures() {
    QFETCH(QByteArray, text);
    QFETCH(qint64, limit);
    QFETCH(QString, message);

    const QByteArray whole = packedInMemory(text);
    QCOMPARE(whole.left(2), QByteArray::fromHex("78DA"));

    FailDevice device(limit);
    QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(failureOf([&] { PackedText::writeStream(device, text); }),
             message.isEmpty() ? kNoFailure : message);
    // Whatever got out before the failure is the start of the right stream; nothing is
    // written after the first refusal.
    QCOMPARE(device.written(), whole.left(limit));
    QVERIFY(device.refusals() <= 1);
    if (message.isEmpty())
        QCOMPARE(uncompressed(device.written()), payloadOf(text));
}

void TestPackedText::fullDisk_data() {
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("small") << kWorked;
    QTest::newRow("large") << noise(300000);
}

void TestPackedText::fullDisk() {
    QFETCH(QByteArray, text);

    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("this system has no /dev/full");
    QCOMPARE(failureOf([&] { PackedText::SaveToStream(QStringLiteral("/dev/full"), text); }),
             QStringLiteral("Stream write error"));
    // Written where it is: the device is never replaced by a file.
    struct stat status {};
    QCOMPARE(::stat("/dev/full", &status), 0);
    QVERIFY(S_ISCHR(status.st_mode));
}

void TestPackedText::deviceReadFailure_data() {
    QTest::addColumn<QByteArray>("packed");
    QTest::addColumn<qint64>("limit");

    const QByteArray small = packedInMemory(kWorked);
    const QByteArray large = packedInMemory(noise(300000));
    QTest::newRow("small, at once") << small << qint64(0);
    QTest::newRow("small, after 5 bytes") << small << qint64(5);
    QTest::newRow("large, after 70000 bytes") << large << qint64(70000);
    QTest::newRow("large, after half") << large << qint64(large.size() / 2);
}

void TestPackedText::deviceReadFailure() {
    QFETCH(QByteArray, packed);
    QFETCH(qint64, limit);

    FailDevice device(-1, packed, limit);
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QCOMPARE(failureOf([&] { PackedText::readStream(device); }),
             QStringLiteral("Stream read error"));

    // The same device without the failure reads the text: the failure above is the device's.
    FailDevice healthy(-1, packed);
    QVERIFY(healthy.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QCOMPARE(PackedText::readStream(healthy).size(), uncompressed(packed).size() - 8);
}

QTEST_GUILESS_MAIN(TestPackedText)
#include "TestPackedText.moc"
