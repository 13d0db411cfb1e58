// "normakurs-text import" and "export" as a teacher runs them.

#include "PackedText.h"
#include "support/TestHelpers.h"
#include "support/ToolRun.h"
#include "TextLines.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kBanks = QStringLiteral(NORMAKURS_TEST_DATA "/banks/");

QString golden(const QString& folder) {
    return QString::fromUtf8(
        TestHelpers::readAll(kBanks + folder + QStringLiteral("/variant.txt")));
}

// The variant packed at `path`; "-" when there is no file.
QString variantAt(const QString& path) {
    return QFile::exists(path) ? TextLines::toEditorText(TestHelpers::unpacked(path)) : "-";
}

void row(const char* name, const QString& command, int exitCode, const QString& out,
         const QString& err, const QString& written = QStringLiteral("-")) {
    QTest::newRow(name) << command << exitCode << out << err << written;
}

} // namespace

class TestBankCommands : public QObject {
    Q_OBJECT

private slots:
    void command_data();
    void command();
};

void TestBankCommands::command_data() {
    QTest::addColumn<QString>("command"); // run beside the variants V3, SKELETON and HALF
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");     // what standard output starts with; "" for nothing
    QTest::addColumn<QString>("err");     // the same for standard error; all of it on success
    QTest::addColumn<QString>("written"); // the variant in "out" at the end
    const QString all = QStringLiteral("import @aiken-windows-1251-cr/bank.txt out");
    const QString allVariant = golden(QStringLiteral("aiken-windows-1251-cr"));
    row("all fit", all, 0, "Импортировано вопросов: 2 из 2\n", "", allVariant);
    row("some left out", "import @moodle-xml/bank.xml out", 1,
        "Импортировано вопросов: 2 из 6; пропущено: 4 — вопрос «Два верных»", "",
        golden(QStringLiteral("moodle-xml")));
    row("strict refuses", "import @gift-escapes/bank.gift out --strict", 1, "",
        "normakurs-text: --strict: ничего не записано");
    row("strict, all fit", all + " --strict", 0, "Импортировано", "", allVariant);
    row("missing bank", "import @no-such-bank.txt out", 1, "", "normakurs-text: Cannot open file");
    row("no output", "import @aiken-cyrillic/bank.txt", 2, "", "normakurs-text: import takes");
    row("unknown format", "export V3 --format qti", 2, "", "normakurs-text: export: the format is");
    row("no format", "export V3", 2, "", "normakurs-text: export takes");
    row("skeleton without keys", "export SKELETON --format gift", 1, "",
        "normakurs-text: SKELETON: нет вопросов для выгрузки");
    // What is left out is named; what fits is still written.
    row("one left out", "export HALF --format aiken", 1, "Q\nA) a\nB) b\nANSWER: A\n",
        "Экспортировано вопросов (aiken): 1 из 2; пропущено: 1 — вопрос 2: нет строки с ключом");
    // An export that succeeds is imported back into "out".
    for (const auto& [format, start] : {std::pair{"gift", "::Вопрос 1::"},
                                        {"moodle-xml", "<?xml"},
                                        {"aiken", "Какой протокол"}}) {
        const QString command = QStringLiteral("export V3 --format ") + format;
        const QString said = QStringLiteral("Экспортировано вопросов (%1): 3 из 3\n").arg(format);
        const QString back = golden(QStringLiteral("aiken-cyrillic"));
        row(format, command + QStringLiteral(" bank"), 0, "", said, back);
        row(qPrintable(format + QStringLiteral(" to stdout")), command, 0, start, said, back);
    }
}

void TestBankCommands::command() {
    QFETCH(QString, command);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, written);
    QTemporaryDir dir;
    const auto run = [&dir](const QString& line) { // "@" is the golden banks' folder
        return ToolRun::of(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text"),
                           line.split(' ').replaceInStrings(QStringLiteral("@"), kBanks),
                           dir.path());
    };
    PackedText::SaveToStream(dir.filePath("V3"),
                             TextLines::fromEditorText(golden("aiken-cyrillic")));
    PackedText::SaveToStream(dir.filePath("SKELETON"), "---\r\n1)\r\nA)\r\nB)\r\n---\r\n");
    PackedText::SaveToStream(dir.filePath("HALF"),
                             "---\r\n1) Q\r\n`A) a\r\nB) b\r\n---\r\n2) R\r\nA) c\r\n---\r\n");
    const ToolRun first = run(command);
    QCOMPARE(first.exitCode, exitCode);
    QVERIFY2(out.isEmpty() ? first.out.isEmpty() : QString::fromUtf8(first.out).startsWith(out),
             first.out.constData());
    QCOMPARE(exitCode ? first.err.left(err.size()) : first.err, err);
    QVERIFY(first.out.isEmpty() || TestHelpers::writeAll(dir.filePath("bank"), first.out));
    if (!exitCode && command.startsWith(QStringLiteral("export")))
        QCOMPARE(run(QStringLiteral("import bank out")).exitCode, 0);
    QCOMPARE(variantAt(dir.filePath("out")), written);
}

QTEST_GUILESS_MAIN(TestBankCommands)
#include "TestBankCommands.moc"
