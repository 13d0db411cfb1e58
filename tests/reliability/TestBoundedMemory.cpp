// Packed files that claim or hold far more than a text area takes: decompression bombs, length
// fields of gigabytes over a few bytes, texts at the memo capacity and one byte beyond. Reading
// them ends with the right message, and the heap never grows by more than the text that is
// really kept (with room for the buffer that grows ahead of it), whatever the file claims.

#include "PackedText.h"
#include "ReliabilitySupport.h"

#include <QHash>
#include <QPair>
#include <QTemporaryDir>
#include <QTest>

#include <limits>
#include <memory>

using namespace Reliability;

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kGiB = 1024 * kMiB;

// zerosStream(), made once for each pair: packing a gigabyte takes a few seconds.
QByteArray madeOnce(qint64 claimed, qint64 zeros) {
    static QHash<QPair<qint64, qint64>, QByteArray> made;
    const QPair<qint64, qint64> key(claimed, zeros);
    if (!made.contains(key))
        made.insert(key, Reliability::zerosStream(claimed, zeros));
    return made.value(key);
}

QString sizeText(qint64 bytes) {
    return QStringLiteral("<%1 bytes>").arg(bytes);
}

} // namespace

class TestBoundedMemory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hostileLengths_data();
    void hostileLengths();
    void bombIsSmallOnDisk();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBoundedMemory::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestBoundedMemory::cleanup() {
    m_dir.reset();
}

void TestBoundedMemory::hostileLengths_data() {
    QTest::addColumn<qint64>("claimed"); // the length field
    QTest::addColumn<qint64>("held");    // the text bytes the stream really holds
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<qint64>("budget"); // the most the heap may grow while reading

    const QString tooLarge = QStringLiteral("Text exceeds memo capacity");
    const QString cutOff = QStringLiteral("Stream read error");
    const qint64 capacity = PackedText::kMemoCapacity;
    // Nothing is kept: only the reader's buffers (zlib's window, one chunk) may be allocated.
    const qint64 small = 2 * kMiB;

    QTest::newRow("bomb: 1 GiB of zeros, and the length says so")
        << kGiB << kGiB << tooLarge << small;
    QTest::newRow("claims 1 GiB, holds 100 MiB") << kGiB << 100 * kMiB << cutOff << small;
    QTest::newRow("claims 2^62, holds 9 bytes")
        << (qint64(1) << 62) << qint64(9) << cutOff << small;
    QTest::newRow("claims 2^63-1, holds nothing")
        << std::numeric_limits<qint64>::max() << qint64(0) << cutOff << small;
    QTest::newRow("negative length") << qint64(-1) << qint64(9) << cutOff << small;
    QTest::newRow("one byte beyond the capacity")
        << capacity + 1 << capacity + 1 << tooLarge << small;
    // A length under the capacity over a short stream: the text grows only as fast as bytes
    // arrive, so the heap follows what arrived, not what was claimed.
    QTest::newRow("claims 60 MiB, holds 1 KiB") << 60 * kMiB << qint64(1024) << cutOff << small;
    QTest::newRow("claims 60 MiB, holds 8 MiB")
        << 60 * kMiB << 8 * kMiB << cutOff << 3 * 8 * kMiB + small;
    // The largest text a text area takes is read whole.
    QTest::newRow("exactly the capacity")
        << capacity << capacity << sizeText(capacity) << 2 * capacity + small;
    QTest::newRow("empty text") << qint64(0) << qint64(0) << sizeText(0) << small;
}

void TestBoundedMemory::hostileLengths() {
    QFETCH(qint64, claimed);
    QFETCH(qint64, held);
    QFETCH(QString, outcome);
    QFETCH(qint64, budget);

    const QString path = m_dir->filePath(QStringLiteral("packed.txt"));
    {
        const QByteArray packed = madeOnce(claimed, held);
        QVERIFY(!packed.isEmpty());
        QVERIFY(writeAll(path, packed));
    }
    const QString result = withinHeapBudget(budget, [&] {
        QByteArray text;
        const QString message = failureOf([&] { text = PackedText::OpenFromStream(path); });
        return message == kNoFailure ? sizeText(text.size()) : message;
    });
    QCOMPARE(result, outcome);
}

void TestBoundedMemory::bombIsSmallOnDisk() {
    // What makes it a bomb: a gigabyte from about a megabyte.
    const QByteArray packed = madeOnce(kGiB, kGiB);
    QVERIFY2(packed.size() < 2 * kMiB, qPrintable(QString::number(packed.size())));
}

QTEST_GUILESS_MAIN(TestBoundedMemory)
#include "TestBoundedMemory.moc"
