// "normakurs-text import" and "export" as a teacher runs them.

#include "PackedText.h"
#include "support/TestHelpers.h"
#include "support/ToolRun.h"
#include "TextLines.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");
const QString kBanks = QStringLiteral(NORMAKURS_TEST_DATA "/banks");

using TestHelpers::writeAll;

QString goldenVariant(const QString& folder) {
    QFile file(kBanks + QLatin1Char('/') + folder + QStringLiteral("/variant.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestBankCommands : public QObject {
    Q_OBJECT

private slots:
    void import_data();
    void import();
    void exportThenImport_data();
    void exportThenImport();
    void exportRefusals_data();
    void exportRefusals();
};

void TestBankCommands::import_data() {
    QTest::addColumn<QString>("bank");
    QTest::addColumn<QStringList>("options"); // {"--"}: no output named
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("written"); // the golden variant beside the bank
    QTest::addColumn<QString>("said");
    const QString all = QStringLiteral("aiken-windows-1251-cr/bank.txt");
    QTest::newRow("all fit") << all << QStringList() << 0 << true
                             << "Импортировано вопросов: 2 из 2\n";
    QTest::newRow("some left out")
        << "moodle-xml/bank.xml" << QStringList() << 1 << true
        << "Импортировано вопросов: 2 из 6; пропущено: 4 — вопрос «Два верных»";
    QTest::newRow("strict refuses the bank")
        << "gift-escapes/bank.gift" << QStringList{"--strict"} << 1 << false << "";
    QTest::newRow("strict with nothing left out")
        << all << QStringList{"--strict"} << 0 << true << "Импортировано";
    QTest::newRow("missing bank") << "no-such-bank.txt" << QStringList() << 1 << false << "";
    QTest::newRow("no output named")
        << "aiken-cyrillic/bank.txt" << QStringList{"--"} << 2 << false << "";
}

void TestBankCommands::import() {
    QFETCH(QString, bank);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(bool, written);
    QFETCH(QString, said);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("Вариант.txt"));
    QStringList arguments{QStringLiteral("import"), kBanks + QLatin1Char('/') + bank, out};
    if (options == QStringList{"--"})
        arguments.removeLast();
    else
        arguments += options;
    const ToolRun run = ToolRun::of(kTool, arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(said.isEmpty() ? run.out.isEmpty() : QString::fromUtf8(run.out).startsWith(said));
    if (!written) {
        QVERIFY(!run.err.isEmpty());
        QVERIFY(!QFile::exists(out));
        return;
    }
    QCOMPARE(TextLines::toEditorText(PackedText::OpenFromStream(out)),
             goldenVariant(bank.section(QLatin1Char('/'), 0, 0)));
}

void TestBankCommands::exportThenImport_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("toFile");
    for (const char* format : {"gift", "moodle-xml", "aiken"}) {
        QTest::addRow("%s to a file", format) << QString::fromLatin1(format) << true;
        QTest::addRow("%s to standard output", format) << QString::fromLatin1(format) << false;
    }
}

void TestBankCommands::exportThenImport() {
    QFETCH(QString, format);
    QFETCH(bool, toFile);
    QTemporaryDir dir;
    const QString variant = dir.filePath(QStringLiteral("variant.txt"));
    const QString text = goldenVariant(QStringLiteral("aiken-cyrillic"));
    PackedText::SaveToStream(variant, TextLines::fromEditorText(text));
    const QString bank = dir.filePath(QStringLiteral("bank.") + format);
    QStringList arguments{QStringLiteral("export"), variant, QStringLiteral("--format"), format};
    if (toFile)
        arguments.append(bank);
    const ToolRun exported = ToolRun::of(kTool, arguments);
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.err, QStringLiteral("Экспортировано вопросов (%1): 3 из 3\n").arg(format));
    if (!toFile)
        QVERIFY(writeAll(bank, exported.out));
    else
        QVERIFY(exported.out.isEmpty());

    const QString back = dir.filePath(QStringLiteral("back.txt"));
    const ToolRun imported = ToolRun::of(kTool, {QStringLiteral("import"), bank, back});
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(TextLines::toEditorText(PackedText::OpenFromStream(back)), text);
}

void TestBankCommands::exportRefusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("unknown format") << QStringList{"V", "--format", "qti"} << 2;
    QTest::newRow("no format") << QStringList{"V"} << 2;
    QTest::newRow("skeleton without keys") << QStringList{"SKELETON", "--format", "gift"} << 1;
    QTest::newRow("one question left out") << QStringList{"HALF", "--format", "aiken"} << 1;
}

void TestBankCommands::exportRefusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const QByteArray one("---\r\n1) Q\r\n`A) a\r\nB) b\r\n---\r\n");
    PackedText::SaveToStream(dir.filePath("V"), one);
    PackedText::SaveToStream(dir.filePath("SKELETON"), "---\r\n1)\r\nA)\r\nB)\r\n---\r\n");
    PackedText::SaveToStream(dir.filePath("HALF"), one + "2) R\r\nA) c\r\n---\r\n");
    const bool half = arguments.first() == QLatin1String("HALF");
    arguments.first() = dir.filePath(arguments.first());
    const ToolRun run = ToolRun::of(kTool, QStringList{QStringLiteral("export")} + arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.err.isEmpty());
    if (half) { // what is left out is named; what fits is still written
        QVERIFY(run.err.contains(QStringLiteral("вопрос 2: нет строки с ключом")));
        QVERIFY(run.out.startsWith("Q\nA) a\nB) b\nANSWER: A\n"));
    }
}

QTEST_GUILESS_MAIN(TestBankCommands)
#include "TestBankCommands.moc"
