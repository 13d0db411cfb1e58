// Arbitrary bytes as a packed text file. The reader either throws a Failure with one of the
// messages of the failure table or returns a text no larger than the memo capacity, having let
// the heap grow by no more than twice that text (the text and the buffer it grew out of); a text
// it returns is written again and must read back byte for byte, and its editor form must survive
// a save and a new read unchanged.

#include "Failure.h"
#include "FuzzCheck.h"
#include "PackedText.h"
#include "TextLines.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>

#if defined(__SANITIZE_ADDRESS__)
#define NORMAKURS_COUNT_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NORMAKURS_COUNT_HEAP 1
#endif
#endif

#ifdef NORMAKURS_COUNT_HEAP
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* pointer);
}
#endif

namespace {

// What the reader may take beyond twice its text: zlib's state and window, one chunk of input.
constexpr qint64 kReaderSlack = 1024 * 1024;

#ifdef NORMAKURS_COUNT_HEAP
std::atomic<qint64> s_heap{0};
std::atomic<qint64> s_peak{0};

void onMalloc(const volatile void*, size_t size) {
    const qint64 now = s_heap.fetch_add(qint64(size)) + qint64(size);
    qint64 peak = s_peak.load();
    while (now > peak && !s_peak.compare_exchange_weak(peak, now)) {
    }
}

void onFree(const volatile void* pointer) {
    s_heap.fetch_sub(qint64(__sanitizer_get_allocated_size(pointer)));
}

// Starts counting; returns the heap's size now.
qint64 startCounting() {
    static const bool hooked = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    FUZZ_CHECK(hooked);
    s_peak.store(s_heap.load());
    return s_heap.load();
}

qint64 peakSince(qint64 start) {
    return s_peak.load() - start;
}
#else
qint64 startCounting() {
    return 0;
}

qint64 peakSince(qint64) {
    return 0;
}
#endif

bool isTableMessage(const QString& message) {
    return message == QLatin1String("Stream read error") || message == QLatin1String("Error") ||
           message == QLatin1String("Text exceeds memo capacity");
}

// Reads `packed` as the program reads a file; false when it fails (with a table message).
bool read(const QByteArray& packed, QByteArray& text) {
    QBuffer device;
    device.setData(packed);
    FUZZ_CHECK(device.open(QIODevice::ReadOnly));
    try {
        text = PackedText::readStream(device);
    } catch (const Failure& failure) {
        FUZZ_CHECK(isTableMessage(failure.message()));
        return false;
    }
    FUZZ_CHECK(text.size() <= PackedText::kMemoCapacity);
    return true;
}

QByteArray written(const QByteArray& text) {
    QBuffer device;
    FUZZ_CHECK(device.open(QIODevice::WriteOnly));
    PackedText::writeStream(device, text);
    return device.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray text;
    const qint64 start = startCounting();
    if (!read(input, text))
        return 0;
    FUZZ_CHECK(peakSince(start) <= 2 * text.size() + kReaderSlack);

    // What the writer makes starts as every file it writes, and reads back unchanged.
    const QByteArray packed = written(text);
    FUZZ_CHECK(packed.startsWith("\x78\xDA"));
    QByteArray again;
    FUZZ_CHECK(read(packed, again));
    FUZZ_CHECK(again == text);

    // The editor's form of the text: once in the editor, saving and opening it changes nothing.
    const QString editor = TextLines::toEditorText(text);
    QByteArray stored;
    FUZZ_CHECK(read(written(TextLines::fromEditorText(editor)), stored));
    FUZZ_CHECK(TextLines::toEditorText(stored) == editor);
    return 0;
}
