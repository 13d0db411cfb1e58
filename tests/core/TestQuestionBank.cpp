// Question banks in and out: golden banks under tests/data/banks, decoding, detection, refusals,
// variants read back, and the demo variants through each export and its import.

#include "Failure.h"
#include "QuestionBank.h"
#include "TextLines.h"
#include "VariantCheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

using QuestionBank::Format;

Q_DECLARE_METATYPE(QuestionBank::Format)

namespace {

const QString kBanks = QStringLiteral(NORMAKURS_TEST_DATA "/banks");
const QString kSample = QStringLiteral(NORMAKURS_SOURCE_DIR "/sample/Content");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

} // namespace

class TestQuestionBank : public QObject {
    Q_OBJECT

private slots:
    void golden_data();
    void golden();
    void textOf_data();
    void textOf();
    void detect_data();
    void detect();
    void unreadableBank_data();
    void unreadableBank();
    void fromVariant_data();
    void fromVariant();
    void demoRoundTrip_data();
    void demoRoundTrip();
};

void TestQuestionBank::golden_data() {
    QTest::addColumn<QString>("folder");
    const QStringList cases = QDir(kBanks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(cases.size() >= 5);
    for (const QString& name : cases)
        QTest::newRow(qPrintable(name)) << QDir(kBanks).filePath(name);
}

void TestQuestionBank::golden() {
    QFETCH(QString, folder);
    const QString bank = QDir(folder).entryInfoList({QStringLiteral("bank.*")}).value(0).filePath();
    const QuestionBank::Bank read = QuestionBank::read(bank, fileBytes(bank));
    const QString variant = QuestionBank::variantText(read.questions);
    QCOMPARE(variant, QString::fromUtf8(fileBytes(folder + "/variant.txt")));
    QVERIFY(VariantCheck::check(TextLines::splitLines(variant)).wellFormed());
    const QStringList skipped =
        TextLines::splitLines(QString::fromUtf8(fileBytes(folder + "/skipped.txt")));
    QCOMPARE(QuestionBank::skippedLines(read), skipped);
    // The teacher is told, in one line, the count of every question and each one left out.
    const QString summary = QuestionBank::importSummary(read);
    QVERIFY(summary.startsWith(QStringLiteral("Импортировано вопросов: %1 из %2")
                                   .arg(read.questions.size())
                                   .arg(read.total())));
    QVERIFY2(!summary.contains(QLatin1Char('\n')), qPrintable(summary));
    for (const QString& line : skipped)
        QVERIFY2(summary.contains(line), qPrintable(line));
}

void TestQuestionBank::textOf_data() {
    QTest::addColumn<bool>("html"); // plainFromHtml of the UTF-8 input, else decode
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8 with mark, CR LF")
        << false << QByteArray("\xEF\xBB\xBF\xD0\xAF\r\nb\r\n") << QStringLiteral("Я\nb\n");
    QTest::newRow("utf-8, lone CR") << false << QByteArray("\xD0\xAF\rb") << QStringLiteral("Я\nb");
    QTest::newRow("windows-1251, LF")
        << false << QByteArray("\xDF\n\xE0") << QStringLiteral("Я\nа");
    QTest::newRow("windows-1251 that starts like utf-8")
        << false << QByteArray("\xD0\xE0\xE7") << QStringLiteral("Раз");
    QTest::newRow("CR CR LF is two breaks") << false << QByteArray("a\r\r\nb") << "a\n\nb";
    QTest::newRow("utf-16 little end")
        << false << QByteArray("\xFF\xFE\x2F\x04\r\0\n\0b\0", 10) << QStringLiteral("Я\nb");
    QTest::newRow("utf-16 big end")
        << false << QByteArray("\xFE\xFF\x04\x2F\0\r", 6) << QStringLiteral("Я\n");
    QTest::newRow("html tags and blanks")
        << true << QByteArray("<p>a  <b>b</b>\n c</p>") << "a b c";
    QTest::newRow("html paragraphs, breaks")
        << true << QByteArray("<p>a</p><p>b<br/>c</p>") << "a\nb\nc";
    QTest::newRow("html empty lines fold") << true << QByteArray("a<br><br><br>b") << "a\n\nb";
    QTest::newRow("html entities")
        << true << QByteArray("&lt;i&gt; &amp;amp; &#1071;&#x42;&nbsp;&quot;")
        << QStringLiteral("<i> &amp; ЯB \"");
    QTest::newRow("html unknown entity kept") << true << QByteArray("&bogus;") << "&bogus;";
}

void TestQuestionBank::textOf() {
    QFETCH(bool, html);
    QFETCH(QByteArray, input);
    QFETCH(QString, text);
    QCOMPARE(html ? QuestionBank::plainFromHtml(QString::fromUtf8(input))
                  : QuestionBank::decode(input),
             text);
}

void TestQuestionBank::detect_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format"); // -1: not recognised
    QTest::addColumn<QString>("fileName");
    QTest::newRow("xml by content")
        << "\n <?xml version=\"1.0\"?><quiz/>" << int(Format::MoodleXml) << "bank.txt";
    QTest::newRow("aiken by content")
        << "Q\nA) x\nB) y\nanswer: A" << int(Format::Aiken) << "bank.xml";
    QTest::newRow("cyrillic answer line") << "Q\nА) x\nОТВЕТ: А" << int(Format::Aiken) << "b";
    QTest::newRow("gift by braces") << "Q {=a ~b}" << int(Format::Gift) << "bank.txt";
    QTest::newRow("escaped brace is no gift") << "Q \\{ x" << -1 << "bank.txt";
    QTest::newRow("gift by extension") << "Q" << int(Format::Gift) << "bank.GIFT";
    QTest::newRow("nothing") << "just a line" << -1 << "bank.txt";
}

void TestQuestionBank::detect() {
    QFETCH(QString, text);
    QFETCH(int, format);
    QFETCH(QString, fileName);
    const std::optional<Format> found = QuestionBank::detect(fileName, text);
    QCOMPARE(found ? int(*found) : -1, format);
}

void TestQuestionBank::unreadableBank_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("xml"); // named b.xml, else b.txt
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << false << "пуст";
    QTest::newRow("blank lines and a mark")
        << QByteArray("\xEF\xBB\xBF \r\n\r\n") << false << "пуст";
    QTest::newRow("unknown format") << QByteArray("hello") << false << "не похоже";
    QTest::newRow("broken xml") << QByteArray("<quiz><question></quiz>") << true
                                << "не читается как XML";
    QTest::newRow("xml without questions")
        << QByteArray("<quiz/>") << true << "нет ни одного вопроса";
    QTest::newRow("utf-16 cut in a character")
        << QByteArray("\xFF\xFEQ\0{", 5) << false << "UTF-16";
}

void TestQuestionBank::unreadableBank() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, xml);
    QFETCH(QString, message);
    try {
        QuestionBank::read(xml ? QStringLiteral("b.xml") : QStringLiteral("b.txt"), bytes);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(message), qPrintable(failure.message()));
    }
}

void TestQuestionBank::fromVariant_data() {
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QString>("variantBack"); // "" when it is the variant itself
    QTest::newRow("key in the option line") << "---\n1) Q\nA) a\n`B) b\n---\n"
                                            << QStringList() << "";
    QTest::newRow("keys after the last separator, small letter")
        << "x\n---\n1) Q\nA) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n`b\n`a\n"
        << QStringList() << "---\n1) Q\nA) a\n`B) b\n---\n2) R\n`A) c\nB) d\n---\n";
    QTest::newRow("text in several lines") << "---\n1) Q\nline two\nA) a\n`B) b\n---\n"
                                           << QStringList() << "";
    QTest::newRow("no key for the second")
        << "---\n1) Q\n`A) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n"
        << QStringList{"вопрос 2: нет строки с ключом"} << "---\n1) Q\n`A) a\nB) b\n---\n";
    QTest::newRow("key beyond the options")
        << "---\n1) Q\nA) a\nB) b\n`E\n---\n"
        << QStringList{"вопрос 1: ключ не указывает ни на один вариант ответа"} << "---\n";
    QTest::newRow("options out of order")
        << "---\n1) Q\nA) a\nC) b\n`A\n---\n"
        << QStringList{"вопрос 1: варианты ответа не по порядку A, B, C..."} << "---\n";
    QTest::newRow("skeleton without options")
        << "---\n1)\n---\n"
        << QStringList{"вопрос 1: нет строки с ключом"} << "---\n";
}

void TestQuestionBank::fromVariant() {
    QFETCH(QString, variant);
    QFETCH(QStringList, skipped);
    QFETCH(QString, variantBack);
    const QuestionBank::Bank bank = QuestionBank::fromVariant(TextLines::splitLines(variant));
    QCOMPARE(QuestionBank::skippedLines(bank), skipped);
    QCOMPARE(QuestionBank::variantText(bank.questions),
             variantBack.isEmpty() ? variant : variantBack);
}

void TestQuestionBank::demoRoundTrip_data() {
    QTest::addColumn<QString>("variant");
    QTest::addColumn<Format>("format");
    int variants = 0;
    for (const QString& subject : QDir(kSample).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir tests(kSample + QLatin1Char('/') + subject + QStringLiteral("/Тесты"));
        for (const QString& name : tests.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
            ++variants;
            for (Format format : {Format::Gift, Format::MoodleXml, Format::Aiken})
                QTest::addRow("%s/%s %s", qPrintable(subject), qPrintable(name),
                              qPrintable(QuestionBank::formatName(format)))
                    << tests.filePath(name) << format;
        }
    }
    QVERIFY(variants >= 3);
}

void TestQuestionBank::demoRoundTrip() {
    QFETCH(QString, variant);
    QFETCH(Format, format);
    const QuestionBank::Bank original =
        QuestionBank::fromVariant(TextLines::splitLines(QuestionBank::decode(fileBytes(variant))));
    QVERIFY(original.skipped.isEmpty());
    QVERIFY(original.questions.size() >= 5);
    const QString exported = QuestionBank::write(format, original.questions);
    const QuestionBank::Bank back = QuestionBank::read(QStringLiteral("bank"), exported.toUtf8());
    QVERIFY(back.skipped.isEmpty());
    QCOMPARE(back.questions, original.questions);
}

QTEST_GUILESS_MAIN(TestQuestionBank)
#include "TestQuestionBank.moc"
