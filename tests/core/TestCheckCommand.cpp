// "normakurs-text check", run as a teacher runs it before putting a variant in place: every
// variant of the demo course passes, and a malformed one fails with the problem named.

#include "CodePage.h"
#include "PackedText.h"
#include "support/TestHelpers.h"
#include "support/ToolRun.h"
#include "TextLines.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");
const QString kStagedContent = QStringLiteral(NORMAKURS_BUILD_DIR "/Content");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& arguments) {
    const ToolRun run = ToolRun::of(kTool, arguments);
    return {run.exitCode, QString::fromUtf8(run.out), run.err};
}

using TestHelpers::writeAll;

// The staged demo variants: Content/<subject>/Тесты/*.txt beside the built program.
QStringList stagedVariants() {
    QStringList variants;
    const QStringList subjects =
        QDir(kStagedContent).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& subject : subjects) {
        const QDir tests(kStagedContent + QLatin1Char('/') + subject + QStringLiteral("/Тесты"));
        for (const QString& name :
             tests.entryList(QStringList{QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            variants.append(tests.filePath(name));
    }
    return variants;
}

int countAfter(const QString& out, const QString& label) {
    const QRegularExpression re(QStringLiteral("^") + QRegularExpression::escape(label) +
                                    QStringLiteral(" (\\d+)$"),
                                QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = re.match(out);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestCheckCommand : public QObject {
    Q_OBJECT

private slots:
    void demoVariantsPass_data();
    void demoVariantsPass();
    void plainVariant_data();
    void plainVariant();
    void packedVariant_data();
    void packedVariant();
    void unreadableVariantFails_data();
    void unreadableVariantFails();
    void wrongArguments_data();
    void wrongArguments();
};

void TestCheckCommand::demoVariantsPass_data() {
    QTest::addColumn<QString>("variant");
    const QStringList variants = stagedVariants();
    if (variants.isEmpty())
        QTest::newRow("nothing staged") << QString(); // fails below
    for (const QString& variant : variants)
        QTest::newRow(qPrintable(QDir(kStagedContent).relativeFilePath(variant))) << variant;
}

void TestCheckCommand::demoVariantsPass() {
    QFETCH(QString, variant);
    QVERIFY2(!variant.isEmpty(),
             qPrintable(QStringLiteral("no variant staged under ") + kStagedContent));
    const Run run = runTool({QStringLiteral("check"), variant});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QVERIFY2(run.out.contains(QStringLiteral("Вариант в порядке.")), qPrintable(run.out));
    QVERIFY2(!run.out.contains(QStringLiteral("Ошибка")), qPrintable(run.out));
    const int questions = countAfter(run.out, QStringLiteral("Вопросов:"));
    QVERIFY2(questions >= 1, qPrintable(run.out));
    QCOMPARE(countAfter(run.out, QStringLiteral("Ключей:")), questions);
}

void TestCheckCommand::plainVariant_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("said"); // pieces of the standard output

    const auto utf8 = [](const char* text) { return QByteArray(text); };
    const auto cp1251 = [](const QString& text) { return CodePage::encode(text); };

    QTest::newRow("well-formed") << utf8("---\nВопрос 1\n---\nВопрос 2\n---\n`b\n`E\n") << 0
                                 << QStringList{QStringLiteral("Вопросов: 2"),
                                                QStringLiteral("Ключей: 2"),
                                                QStringLiteral("Ключ: B E"),
                                                QStringLiteral("Вариант в порядке.")};
    QTest::newRow("well-formed, Windows-1251 with CR LF")
        << cp1251(QStringLiteral("---\r\nВопрос\r\n`C) ответ\r\n---\r\n")) << 0
        << QStringList{QStringLiteral("Вопросов: 1"), QStringLiteral("Ключ: C")};
    QTest::newRow("one separator") << utf8("---\nВопрос\n`A\n") << 1
                                   << QStringList{QStringLiteral("Вопросов: 0"),
                                                  QStringLiteral("Ошибка: Нет ни одного вопроса"),
                                                  QStringLiteral("а их в тексте 1"),
                                                  QStringLiteral("Вариант нужно исправить.")};
    QTest::newRow("separators with blanks")
        << utf8("--- \nВопрос\n ---\n`A\n") << 1 << QStringList{QStringLiteral("а их в тексте 0")};
    QTest::newRow("missing key") << utf8("---\nВопрос 1\n---\nВопрос 2\n---\n`A\n") << 1
                                 << QStringList{
                                        QStringLiteral("Ключей: 1"),
                                        QStringLiteral("Ошибка: Не у всех вопросов есть ключ"),
                                        QStringLiteral("вопросов 2"), QStringLiteral("№ 2")};
    QTest::newRow("cyrillic А key")
        << utf8("---\nВопрос\n---\n`А\n") << 1
        << QStringList{QStringLiteral("Ключ: А"), QStringLiteral("«А» — русская"),
                       QStringLiteral("нужна латинская «A»")};
    QTest::newRow("cyrillic а key, Windows-1251")
        << cp1251(QStringLiteral("---\nВопрос\n---\n`а\n")) << 1
        << QStringList{QStringLiteral("«А» — русская")};
    QTest::newRow("letter outside A-E") << utf8("---\nВопрос\n---\n`F\n") << 1
                                        << QStringList{QStringLiteral("«F» — не буква от A до E")};
    QTest::newRow("surplus key") << utf8("---\nВопрос\n---\n`A\n`B\n") << 1
                                 << QStringList{QStringLiteral("Ключей: 2"),
                                                QStringLiteral("лишние ключи")};
    QTest::newRow("empty file") << QByteArray() << 1 << QStringList{QStringLiteral("Вопросов: 0")};
}

void TestCheckCommand::plainVariant() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QStringList, said);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Вариант.txt"));
    QVERIFY(writeAll(path, bytes));
    const Run run = runTool({QStringLiteral("check"), QStringLiteral("--plain"), path});
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));
    for (const QString& piece : said)
        QVERIFY2(run.out.contains(piece),
                 qPrintable(piece + QStringLiteral(" not in:\n") + run.out));
    if (exitCode != 0)
        QVERIFY2(run.out.contains(QStringLiteral("Вариант нужно исправить.")), qPrintable(run.out));
}

void TestCheckCommand::packedVariant_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("well-formed") << QStringLiteral("---\nВопрос\n---\n`d\n") << 0
                                 << QStringLiteral("Вариант в порядке.");
    QTest::newRow("one separator")
        << QStringLiteral("---\nВопрос\n`d\n") << 1 << QStringLiteral("Нет ни одного вопроса");
    QTest::newRow("cyrillic А key")
        << QStringLiteral("---\nВопрос\n---\n`А\n") << 1 << QStringLiteral("русская");
}

void TestCheckCommand::packedVariant() {
    QFETCH(QString, text);
    QFETCH(int, exitCode);
    QFETCH(QString, said);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Вариант.txt"));
    PackedText::SaveToStream(path, TextLines::fromEditorText(text));
    const Run run = runTool({QStringLiteral("check"), path});
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));
    QVERIFY2(run.out.contains(said), qPrintable(run.out));
}

void TestCheckCommand::unreadableVariantFails_data() {
    QTest::addColumn<bool>("plain");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("said"); // piece of standard error
    QTest::newRow("missing packed") << false << "missing.txt" << QStringLiteral("Cannot open file");
    QTest::newRow("missing plain") << true << "missing.txt" << QStringLiteral("Cannot open file");
    QTest::newRow("plain given as packed") << false << "plain.txt" << QString();
}

void TestCheckCommand::unreadableVariantFails() {
    QFETCH(bool, plain);
    QFETCH(QString, name);
    QFETCH(QString, said);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain.txt")), "---\nВопрос\n---\n`A\n"));
    QStringList args{QStringLiteral("check")};
    if (plain)
        args.append(QStringLiteral("--plain"));
    args.append(dir.filePath(name));
    const Run run = runTool(args);
    QVERIFY2(run.exitCode != 0 && run.exitCode != -1 && run.exitCode != -2,
             qPrintable(QString::number(run.exitCode) + run.err));
    QVERIFY2(!run.err.isEmpty(), "the reason goes to standard error");
    QVERIFY2(run.err.contains(said), qPrintable(run.err));
    QVERIFY(!run.out.contains(QStringLiteral("Вариант в порядке.")));
}

void TestCheckCommand::wrongArguments_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no variant") << QStringList{QStringLiteral("check")};
    QTest::newRow("option only") << QStringList{QStringLiteral("check"), QStringLiteral("--plain")};
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("check"), QStringLiteral("--raw"), QStringLiteral("v.txt")};
}

void TestCheckCommand::wrongArguments() {
    QFETCH(QStringList, args);
    const Run run = runTool(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains(QStringLiteral("Usage:")));
}

QTEST_GUILESS_MAIN(TestCheckCommand)
#include "TestCheckCommand.moc"
