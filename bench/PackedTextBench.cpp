// P1 and P2: writing and reading an 8 MiB packed text, against zlib and the code-page decoder
// called directly on the same data.

#include "CourseGenerator.h"
#include "PackedText.h"
#include "PairTiming.h"
#include "TextLines.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype kTextBytes = 8 * 1024 * 1024;

const QByteArray& bigText() {
    static const QByteArray text = CourseGenerator::russianText(kTextBytes);
    return text;
}

// Baseline writer: one deflate at level 9 of the same payload (length and text) into a file.
void rawDeflateToFile(const QString& path, const QByteArray& payload) {
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!out)
        return;
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(payload.constData()));
    stream.avail_in = uInt(payload.size());
    std::vector<unsigned char> buffer(64 * 1024);
    int rc = Z_OK;
    do {
        stream.next_out = buffer.data();
        stream.avail_out = uInt(buffer.size());
        rc = deflate(&stream, Z_FINISH);
        std::fwrite(buffer.data(), 1, buffer.size() - stream.avail_out, out);
    } while (rc != Z_STREAM_END);
    deflateEnd(&stream);
    std::fclose(out);
}

// Baseline reader: the whole file, one inflate into a buffer, one decode.
QString rawInflateAndDecode(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray packed = file.readAll();
    QByteArray payload(kTextBytes + 8, Qt::Uninitialized);
    z_stream stream{};
    inflateInit(&stream);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(payload.data());
    stream.avail_out = uInt(payload.size());
    inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    QStringDecoder decoder("windows-1251");
    return decoder(QByteArrayView(payload.constData() + 8, payload.size() - 8));
}

void P1_PackedWrite8MiB(benchmark::State& state) {
    QTemporaryDir dir;
    const QString ours = dir.filePath(QStringLiteral("ours"));
    const QString base = dir.filePath(QStringLiteral("base"));
    QByteArray payload(8, '\0');
    quint64 n = quint64(bigText().size());
    for (int i = 0; i < 8; ++i, n >>= 8)
        payload[i] = char(n & 0xFF);
    payload += bigText();
    comparePair(
        state, [&] { PackedText::SaveToStream(ours, bigText()); },
        [&] { rawDeflateToFile(base, payload); });
}

void P2_PackedReadToEditor8MiB(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("text"));
    PackedText::SaveToStream(path, bigText());
    comparePair(
        state,
        [&] {
            benchmark::DoNotOptimize(TextLines::toEditorText(PackedText::OpenFromStream(path)));
        },
        [&] { benchmark::DoNotOptimize(rawInflateAndDecode(path)); });
}

} // namespace

BENCHMARK(P1_PackedWrite8MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->Repetitions(3);
BENCHMARK(P2_PackedReadToEditor8MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->Repetitions(3);
