// Arbitrary bytes as what a caller sends the exam keeper: split into request lines and handed
// to one keeper over a small content tree, the way normakurs-exam reads its standard input.
// Whatever arrives, each reply is one line of the protocol, nothing after a protocol breach is
// served, and no key line outside a question ever leaves the keeper.

#include "ExamKeeper.h"
#include "ExamProtocol.h"
#include "FuzzCheck.h"
#include "PackedText.h"
#include "TextLines.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

const QString kSecret = QStringLiteral("СЕКРЕТ");

// One tree for the whole run. Its reports folder is a plain file, so a finished attempt fails
// to store its report as a full disk would, and the tree never grows.
const QString& contentDir() {
    static QTemporaryDir dir;
    static const QString content = [] {
        const QString root = dir.path() + QStringLiteral("/Content/");
        const QString tests = root + QStringLiteral("Алгебра/Тесты");
        QDir().mkpath(tests);
        PackedText::SaveToStream(
            tests + QStringLiteral("/Вариант 1.txt"),
            TextLines::fromEditorText(QStringLiteral("`C ") + kSecret +
                                      QStringLiteral("\n---\nВопрос\nA) да\n`a\n---\n---\n`B\n")));
        QFile reports(tests + QStringLiteral("/Отчеты"));
        if (reports.open(QIODevice::WriteOnly))
            reports.write("not a folder");
        return root;
    }();
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ExamKeeper keeper(contentDir(), [] { return QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41)); });
    const QList<QByteArray> lines =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    bool broken = false;
    for (const QByteArray& line : lines) {
        const QByteArray reply = keeper.handle(line);
        FUZZ_CHECK(reply.endsWith('\n') && reply.count('\n') == 1);
        const std::optional<QStringList> fields = ExamProtocol::decode(reply.chopped(1));
        FUZZ_CHECK(fields && !fields->isEmpty());
        FUZZ_CHECK(!fields->join(QLatin1Char('\t')).contains(kSecret));
        if (broken)
            FUZZ_CHECK(fields->first() == QLatin1String(ExamProtocol::kInvalid));
        broken = keeper.broken();
        // What decodes encodes back to a line that decodes to the same fields.
        if (const std::optional<QStringList> request = ExamProtocol::decode(line))
            FUZZ_CHECK(ExamProtocol::decode(ExamProtocol::encode(*request).chopped(1)) == request);
    }
    return 0;
}
