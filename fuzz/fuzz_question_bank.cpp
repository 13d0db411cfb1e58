// Arbitrary bytes as a question bank a teacher imports: the first byte picks the file's
// extension, the rest is the file. Whatever the bank, the import either refuses it with a
// Failure or gives questions that make a well-formed variant, which reads back as the same
// questions, and which the GIFT and Moodle XML exports carry through unchanged.

#include "Failure.h"
#include "FuzzCheck.h"
#include "QuestionBank.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const char* const kNames[] = {"bank.txt", "bank.gift", "bank.xml", "bank"};
    const QString name = QString::fromLatin1(kNames[data[0] % 4]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QuestionBank::Bank bank;
    try {
        bank = QuestionBank::read(name, bytes);
    } catch (const Failure&) {
        return 0;
    }
    FUZZ_CHECK(bank.total() > 0);
    for (const QuestionBank::Question& q : bank.questions)
        FUZZ_CHECK(QuestionBank::unfit(q).isEmpty());
    if (bank.questions.isEmpty())
        return 0;

    const QStringList lines = TextLines::splitLines(TextLines::toEditorText(
        TextLines::fromEditorText(QuestionBank::variantText(bank.questions))));
    FUZZ_CHECK(VariantCheck::check(lines).wellFormed());
    const QuestionBank::Bank variant = QuestionBank::fromVariant(lines);
    FUZZ_CHECK(variant.skipped.isEmpty());
    FUZZ_CHECK(variant.questions == bank.questions);

    for (QuestionBank::Format format :
         {QuestionBank::Format::Gift, QuestionBank::Format::MoodleXml}) {
        // What the format cannot hold is left out of the export, never changed.
        const QuestionBank::Bank fit = QuestionBank::exportable(format, bank);
        if (fit.questions.isEmpty())
            continue;
        const QString exported = QuestionBank::write(format, fit.questions);
        const QuestionBank::Bank back = QuestionBank::read(name, exported.toUtf8());
        FUZZ_CHECK(back.skipped.isEmpty());
        FUZZ_CHECK(back.questions == fit.questions);
    }
    return 0;
}
