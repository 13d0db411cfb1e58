#include "BankCommands.h"

#include "DurableFile.h"
#include "EditorFiles.h"
#include "Failure.h"
#include "PackedText.h"
#include "QuestionBank.h"
#include "TextLines.h"

#include <QIODevice>

#include <cstdio>

namespace BankCommands {
namespace {

void say(FILE* stream, const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int usage(const char* message) {
    std::fprintf(stderr, "normakurs-text: %s\n(see normakurs-text --help)\n", message);
    return 2;
}

} // namespace

int importBank(const QStringList& args) {
    QStringList files = args;
    const bool strict = files.removeAll(QStringLiteral("--strict")) > 0;
    if (files.size() != 2)
        return usage("import takes BANK OUT.txt [--strict]");
    const QString& bankPath = files.at(0);
    const QuestionBank::Bank bank =
        QuestionBank::read(bankPath, EditorFiles::readPlainBytes(bankPath));
    if (strict && !bank.skipped.isEmpty())
        throw Failure(QStringLiteral("--strict: ничего не записано; ") +
                      QuestionBank::importSummary(bank));
    if (bank.questions.isEmpty())
        throw Failure(QStringLiteral("ничего не записано; ") + QuestionBank::importSummary(bank));
    // Written as the editor's "Сохранить файл" writes a variant.
    EditorFiles::savePacked(files.at(1), QuestionBank::variantText(bank.questions));
    say(stdout, QuestionBank::importSummary(bank));
    return bank.skipped.isEmpty() ? 0 : 1;
}

int exportVariant(const QStringList& args) {
    QStringList rest = args;
    const int option = int(rest.indexOf(QStringLiteral("--format")));
    if (option < 0 || option + 1 >= rest.size())
        return usage("export takes VARIANT --format gift|moodle-xml|aiken [OUT]");
    const std::optional<QuestionBank::Format> format =
        QuestionBank::formatNamed(rest.at(option + 1));
    if (!format)
        return usage("export: the format is gift, moodle-xml or aiken");
    rest.remove(option, 2);
    if (rest.isEmpty() || rest.size() > 2)
        return usage("export takes VARIANT --format gift|moodle-xml|aiken [OUT]");
    const QuestionBank::Bank bank = QuestionBank::exportable(
        *format, QuestionBank::fromVariant(TextLines::splitLines(
                     TextLines::toEditorText(PackedText::OpenFromStream(rest.at(0))))));
    if (bank.questions.isEmpty())
        throw Failure(QStringLiteral("%1: нет вопросов для выгрузки; ").arg(rest.at(0)) +
                      QuestionBank::exportSummary(bank, *format));
    const QByteArray out = QuestionBank::write(*format, bank.questions).toUtf8();
    if (rest.size() == 2) {
        DurableFile::replace(rest.at(1), [&](QIODevice& device) {
            if (device.write(out) != out.size())
                throw Failure(QStringLiteral("Stream write error"));
        });
    } else {
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        if (std::fflush(stdout) != 0)
            throw Failure(QStringLiteral("cannot write to standard output"));
    }
    say(stderr, QuestionBank::exportSummary(bank, *format));
    return bank.skipped.isEmpty() ? 0 : 1;
}

} // namespace BankCommands
