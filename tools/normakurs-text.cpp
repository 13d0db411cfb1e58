// normakurs-text: packs, unpacks and checks the program's packed text files from the command
// line, for the people who maintain a course's content.

#include "CodePage.h"
#include "DurableFile.h"
#include "Failure.h"
#include "PackedText.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage:\n"
    "  normakurs-text pack PLAIN.txt PACKED   pack a plain text (UTF-8 or Windows-1251)\n"
    "  normakurs-text unpack PACKED           print a packed text as UTF-8\n"
    "  normakurs-text check [--plain] VARIANT check a test variant (packed, or plain with\n"
    "                                         --plain); exit 0 only when it is well-formed\n"
    "  normakurs-text --help                  show this help\n"
    "\n"
    "Packed texts hold Windows-1251 text with CR LF line breaks, as the program reads them.\n";

int fail(const QString& message) {
    std::fprintf(stderr, "normakurs-text: %s\n", message.toUtf8().constData());
    return 1;
}

int usageError(const char* message) {
    std::fprintf(stderr, "normakurs-text: %s\n\n%s", message, kUsage);
    return 2;
}

// Writes the packed text beside `path` first and puts it in place only once it is complete and
// on the device, so a write that fails (a full disk) leaves the variant that was there as it
// was; in a folder that takes no new file, the variant is rewritten in place and put back when
// that fails.
void savePacked(const QString& path, const QByteArray& text) {
    if (QFileInfo(path).isDir())
        throw Failure(
            PackedText::createFailure(path, QString::fromLocal8Bit(std::strerror(EISDIR))));
    DurableFile::replace(path,
                         [&text](QIODevice& device) { PackedText::writeStream(device, text); });
}

QByteArray readPlainFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(PackedText::openFailure(path, file.errorString()));
    return file.readAll();
}

// A plain file is taken as UTF-8 when it is valid UTF-8, otherwise as Windows-1251.
QString decodePlain(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            return text.mid(1);
        return text;
    }
    return CodePage::decode(bytes);
}

int pack(const QString& plainPath, const QString& packedPath) {
    const QString text = decodePlain(readPlainFile(plainPath));
    const QString lost = CodePage::unrepresentable(text);
    if (!lost.isEmpty())
        return fail(QStringLiteral("%1: these characters cannot be stored in Windows-1251: %2")
                        .arg(plainPath, lost));
    QByteArray bytes = CodePage::encode(text);
    if (bytes.contains('\0'))
        return fail(QStringLiteral("%1: the text holds a zero byte").arg(plainPath));
    savePacked(packedPath, TextLines::normalizeBreaks(bytes));
    return 0;
}

// Reads a packed file, saying in plain words what the terse format messages mean.
QByteArray readPacked(const QString& path) {
    try {
        return PackedText::OpenFromStream(path);
    } catch (const Failure& failure) {
        if (failure.message() == QLatin1String("Error"))
            throw Failure(QStringLiteral("%1: not a packed text file (Error)").arg(path));
        if (failure.message() == QLatin1String("Stream read error"))
            throw Failure(
                QStringLiteral("%1: the packed text is empty or cut off (Stream read error)")
                    .arg(path));
        throw;
    }
}

int unpack(const QString& packedPath) {
    const QString text = TextLines::toEditorText(readPacked(packedPath));
    const QByteArray out = text.toUtf8();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : fail(QStringLiteral("cannot write to standard output"));
}

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (text.isEmpty() || text.endsWith(QLatin1Char('\n')))
        lines.removeLast(); // a final break does not begin another line
    return lines;
}

int check(const QString& path, bool plain) {
    QString text;
    if (plain) {
        text = decodePlain(readPlainFile(path));
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    } else {
        text = TextLines::toEditorText(readPacked(path));
    }
    const VariantCheck::Result result = VariantCheck::check(linesOf(text));
    QString out;
    out += QStringLiteral("Вопросов: %1\n").arg(result.questions);
    out += QStringLiteral("Ключей: %1\n").arg(result.keys);
    out += QStringLiteral("Ключ: %1\n").arg(VariantCheck::keyLettersText(result.keyLetters));
    for (const QString& problem : result.blocking + result.warnings)
        out += QStringLiteral("Ошибка: ") + problem + QLatin1Char('\n');
    out += result.wellFormed() ? QStringLiteral("Вариант в порядке.\n")
                               : QStringLiteral("Вариант нужно исправить.\n");
    const QByteArray bytes = out.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
    return result.wellFormed() ? 0 : 1;
}

int run(const QStringList& args) {
    if (args.isEmpty())
        return usageError("no command given");
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("pack")) {
        if (args.size() != 3)
            return usageError("pack takes PLAIN.txt and PACKED");
        return pack(args.at(1), args.at(2));
    }
    if (command == QLatin1String("unpack")) {
        if (args.size() != 2)
            return usageError("unpack takes PACKED");
        return unpack(args.at(1));
    }
    if (command == QLatin1String("check")) {
        const bool plain = args.size() == 3 && args.at(1) == QLatin1String("--plain");
        // "check --plain" alone names no variant: the option is not a file name.
        if ((args.size() != 2 && !plain) || args.last() == QLatin1String("--plain"))
            return usageError("check takes [--plain] VARIANT");
        return check(args.last(), plain);
    }
    return usageError("unknown command");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    try {
        return run(QCoreApplication::arguments().mid(1));
    } catch (const Failure& failure) {
        return fail(failure.message());
    } catch (const std::exception& other) {
        return fail(QString::fromLocal8Bit(other.what()));
    }
}
