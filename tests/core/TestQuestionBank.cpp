// Question banks in and out: golden banks under tests/data/banks, decoding, detection, refusals,
// variants read back, and the demo variants through each export and its import.

#include "QuestionBank.h"
#include "support/TestHelpers.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

using namespace QuestionBank;

namespace {

const QString kBanks = QStringLiteral(NORMAKURS_TEST_DATA "/banks");
const QString kSample = QStringLiteral(NORMAKURS_SOURCE_DIR "/sample/Content");

const auto textAt = [](const QString& path) { return decode(TestHelpers::readAll(path)); };

void textRow(const char* name, const QString& how, const QByteArray& input,
             const QString& expected) {
    QTest::newRow(name) << how << input << expected;
}

void bankRow(const QString& name, const QString& source, const QString& variant,
             const QStringList& skipped = {}, const QString& format = {}) {
    QTest::newRow(qPrintable(name)) << source << format << variant << skipped;
}

} // namespace

class TestQuestionBank : public QObject {
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void bank_data();
    void bank();
};

void TestQuestionBank::text_data() {
    QTest::addColumn<QString>("how"); // decode, html, or detect or read (which must fail) a file
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected"); // for a refusal, a part of its message
    textRow("utf-8 with mark, CR LF", "decode", "\xEF\xBB\xBF\xD0\xAF\r\nb\r\n", "Я\nb\n");
    textRow("utf-8, lone CR", "decode", "\xD0\xAF\rb", "Я\nb");
    textRow("windows-1251, LF", "decode", "\xDF\n\xE0", "Я\nа");
    textRow("windows-1251 that starts like utf-8", "decode", "\xD0\xE0\xE7", "Раз");
    textRow("CR CR LF is two breaks", "decode", "a\r\r\nb", "a\n\nb");
    textRow("utf-16 little end", "decode", QByteArray("\xFF\xFE\x2F\x04\r\0\n\0b\0", 10), "Я\nb");
    textRow("utf-16 big end", "decode", QByteArray("\xFE\xFF\x04\x2F\0\r", 6), "Я\n");
    textRow("html tags and blanks", "html", "<p>a  <b>b</b>\n c</p>", "a b c");
    textRow("html paragraphs, breaks", "html", "<p>a</p><p>b<br/>c</p>", "a\nb\nc");
    textRow("html empty lines fold", "html", "a<br><br><br>b", "a\n\nb");
    textRow("html entities", "html", "&lt;i&gt; &amp;amp; &#1071;&#x42;&nbsp;&quot;",
            "<i> &amp; ЯB \"");
    textRow("html unknown entity kept", "html", "&bogus;", "&bogus;");
    textRow("xml by content", "detect bank.txt", "\n <?xml version=\"1.0\"?><quiz/>", "moodle-xml");
    textRow("aiken by content", "detect bank.xml", "Q\nA) x\nB) y\nanswer: A", "aiken");
    textRow("cyrillic answer line", "detect b", "Q\nА) x\nОТВЕТ: А", "aiken");
    textRow("gift by braces", "detect bank.txt", "Q {=a ~b}", "gift");
    textRow("escaped brace is no gift", "detect bank.txt", "Q \\{ x", "-");
    textRow("gift by extension", "detect bank.GIFT", "Q", "gift");
    textRow("nothing", "detect bank.txt", "just a line", "-");
    textRow("empty", "read bank.txt", "", "пуст");
    textRow("blank lines and a mark", "read bank.txt", "\xEF\xBB\xBF \r\n\r\n", "пуст");
    textRow("unknown format", "read bank.txt", "hello", "не похоже");
    textRow("broken xml", "read bank.xml", "<quiz><question></quiz>", "не читается как XML");
    textRow("xml without questions", "read bank.xml", "<quiz/>", "нет ни одного вопроса");
    textRow("utf-16 cut in a character", "read bank.txt", QByteArray("\xFF\xFEQ\0{", 5), "UTF-16");
}

void TestQuestionBank::text() {
    QFETCH(QString, how);
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    const QString file = how.section(' ', 1);
    if (how.startsWith(QLatin1String("read"))) {
        const QString failure = TestHelpers::failureOf([&] { read(file, input); });
        QVERIFY2(failure.contains(expected), qPrintable(failure));
    } else if (how.startsWith(QLatin1String("detect"))) {
        const std::optional<Format> format = detect(file, decode(input));
        QCOMPARE(format ? formatName(*format) : QStringLiteral("-"), expected);
    } else {
        QCOMPARE(how == QLatin1String("html") ? plainFromHtml(QString::fromUtf8(input))
                                              : decode(input),
                 expected);
    }
}

void TestQuestionBank::bank_data() {
    QTest::addColumn<QString>("source");  // a bank file "bank.*", else a variant's file or text
    QTest::addColumn<QString>("format");  // exported to and read back; "" for none
    QTest::addColumn<QString>("variant"); // what comes in; "" for the source itself
    QTest::addColumn<QStringList>("skipped");
    int golden = 0;
    for (QDirIterator it(kBanks, {QStringLiteral("bank.*")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext(); ++golden) {
        const QString bank = it.next(), folder = bank.section('/', 0, -2) + '/';
        bankRow(bank.section('/', -2, -2), bank, textAt(folder + "variant.txt"),
                TextLines::splitLines(textAt(folder + "skipped.txt")));
    }
    bankRow("key in the option line", "---\n1) Q\nA) a\n`B) b\n---\n", "");
    bankRow("keys after the last separator, small letter",
            "x\n---\n1) Q\nA) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n`b\n`a\n",
            "---\n1) Q\nA) a\n`B) b\n---\n2) R\n`A) c\nB) d\n---\n");
    bankRow("text in several lines", "---\n1) Q\nline two\nA) a\n`B) b\n---\n", "");
    bankRow("no key for the second", "---\n1) Q\n`A) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n",
            "---\n1) Q\n`A) a\nB) b\n---\n", {"вопрос 2: нет строки с ключом"});
    bankRow("key beyond the options", "---\n1) Q\nA) a\nB) b\n`E\n---\n", "---\n",
            {"вопрос 1: ключ не указывает ни на один вариант ответа"});
    bankRow("options out of order", "---\n1) Q\nA) a\nC) b\n`A\n---\n", "---\n",
            {"вопрос 1: варианты ответа не по порядку A, B, C..."});
    bankRow("skeleton without options", "---\n1)\n---\n", "---\n",
            {"вопрос 1: нет строки с ключом"});
    // Every demo variant comes back as it is from each export.
    int variants = 0;
    for (QDirIterator it(kSample, {QStringLiteral("*.txt")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext(); ++variants) {
        const QString path = it.next();
        for (const char* format : {"gift", "moodle-xml", "aiken"})
            bankRow(path.mid(kSample.size() + 1) + ' ' + format, path, "", {}, format);
    }
    QVERIFY(golden >= 5 && variants >= 3);
}

void TestQuestionBank::bank() {
    QFETCH(QString, source);
    QFETCH(QString, format);
    QFETCH(QString, variant);
    QFETCH(QStringList, skipped);
    const QString text = QFile::exists(source) ? textAt(source) : source;
    Bank bank = source.contains(QLatin1String("/bank."))
                    ? read(source, TestHelpers::readAll(source))
                    : fromVariant(TextLines::splitLines(text));
    if (!format.isEmpty())
        bank = read(QStringLiteral("bank"), write(*formatNamed(format), bank.questions).toUtf8());
    const QString in = variantText(bank.questions);
    QCOMPARE(in, variant.isEmpty() ? text : variant);
    QCOMPARE(skippedLines(bank), skipped);
    QVERIFY(bank.questions.isEmpty() ||
            VariantCheck::check(TextLines::splitLines(in)).wellFormed());
    // The teacher is told, in one line, the count of every question and each one left out.
    const QString summary = importSummary(bank);
    const QString count = QString("Импортировано вопросов: %1 из %2").arg(bank.questions.size());
    QVERIFY2(summary.startsWith(count.arg(bank.total())) && !summary.contains(QLatin1Char('\n')),
             qPrintable(summary));
    for (const QString& line : skipped)
        QVERIFY2(summary.contains(line), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestQuestionBank)
#include "TestQuestionBank.moc"
