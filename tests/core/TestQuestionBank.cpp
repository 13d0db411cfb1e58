// Question banks in and out: every golden bank under tests/data/banks gives its variant and its
// list of skipped questions; the demo variants survive each export and the import of it.

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

QString fileText(const QString& path) {
    return QString::fromUtf8(fileBytes(path));
}

} // namespace

class TestQuestionBank : public QObject {
    Q_OBJECT

private slots:
    void golden_data();
    void golden();
    void decode_data();
    void decode();
    void detect_data();
    void detect();
    void unreadableBank_data();
    void unreadableBank();
    void fromVariant_data();
    void fromVariant();
    void demoRoundTrip_data();
    void demoRoundTrip();
    void plainFromHtml_data();
    void plainFromHtml();
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
    const QString bank =
        QDir(folder).entryInfoList(QStringList{QStringLiteral("bank.*")}).value(0).filePath();
    const QuestionBank::Bank read = QuestionBank::read(bank, fileBytes(bank));
    const QString variant = QuestionBank::variantText(read.questions);
    QCOMPARE(variant, fileText(folder + "/variant.txt"));
    // A student can take it as it stands.
    QVERIFY(VariantCheck::check(TextLines::splitLines(variant)).wellFormed());
    QCOMPARE(QuestionBank::skippedLines(read),
             TextLines::splitLines(fileText(folder + "/skipped.txt")));
    // What the teacher is told counts every question of the bank.
    QVERIFY(QuestionBank::importSummary(read).startsWith(
        QStringLiteral("Импортировано вопросов: %1 из %2")
            .arg(read.questions.size())
            .arg(read.total())));
}

void TestQuestionBank::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8 with mark, CR LF")
        << QByteArray("\xEF\xBB\xBF\xD0\xAF\r\nb\r\n") << QStringLiteral("Я\nb\n");
    QTest::newRow("utf-8, lone CR") << QByteArray("\xD0\xAF\rb") << QStringLiteral("Я\nb");
    QTest::newRow("windows-1251, LF") << QByteArray("\xDF\n\xE0") << QStringLiteral("Я\nа");
    QTest::newRow("windows-1251 that starts like utf-8")
        << QByteArray("\xD0\xE0\xE7") << QStringLiteral("Раз");
    QTest::newRow("CR CR LF is two breaks") << QByteArray("a\r\r\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("utf-16 little end")
        << QByteArray("\xFF\xFE\x2F\x04\r\0\n\0b\0", 10) << QStringLiteral("Я\nb");
    QTest::newRow("utf-16 big end")
        << QByteArray("\xFE\xFF\x04\x2F\0\r", 6) << QStringLiteral("Я\n");
}

void TestQuestionBank::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(QuestionBank::decode(bytes), text);
}

void TestQuestionBank::detect_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("format"); // -1: not recognised
    QTest::newRow("xml by content")
        << "bank.txt"
        << "\n <?xml version=\"1.0\"?><quiz/>" << int(Format::MoodleXml);
    QTest::newRow("aiken by content") << "bank.xml"
                                      << "Q\nA) x\nB) y\nanswer: A" << int(Format::Aiken);
    QTest::newRow("cyrillic answer line") << "b"
                                          << "Q\nА) x\nОТВЕТ: А" << int(Format::Aiken);
    QTest::newRow("gift by braces") << "bank.txt"
                                    << "Q {=a ~b}" << int(Format::Gift);
    QTest::newRow("escaped brace is no gift") << "bank.txt"
                                              << "Q \\{ x" << -1;
    QTest::newRow("gift by extension") << "bank.GIFT"
                                       << "Q" << int(Format::Gift);
    QTest::newRow("nothing") << "bank.txt"
                             << "just a line" << -1;
}

void TestQuestionBank::detect() {
    QFETCH(QString, fileName);
    QFETCH(QString, text);
    QFETCH(int, format);
    const std::optional<Format> found = QuestionBank::detect(fileName, text);
    QCOMPARE(found ? int(*found) : -1, format);
}

void TestQuestionBank::unreadableBank_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "b.txt" << QByteArray() << "пуст";
    QTest::newRow("blank lines and a mark")
        << "b.txt" << QByteArray("\xEF\xBB\xBF \r\n\r\n") << "пуст";
    QTest::newRow("unknown format") << "b.txt" << QByteArray("hello") << "не похоже";
    QTest::newRow("broken xml") << "b.xml" << QByteArray("<quiz><question></quiz>")
                                << "не читается как XML";
    QTest::newRow("xml without questions")
        << "b.xml" << QByteArray("<quiz/>") << "нет ни одного вопроса";
    QTest::newRow("utf-16 cut in a character")
        << "b.txt" << QByteArray("\xFF\xFEQ\0{", 5) << "UTF-16";
}

void TestQuestionBank::unreadableBank() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    try {
        QuestionBank::read(fileName, bytes);
        QFAIL("no failure");
    } catch (const Failure& failure) {
        QVERIFY2(failure.message().contains(message), qPrintable(failure.message()));
    }
}

void TestQuestionBank::fromVariant_data() {
    QTest::addColumn<QString>("variant");
    QTest::addColumn<QString>("variantBack"); // "" when it is the variant itself
    QTest::addColumn<QStringList>("skipped");
    QTest::newRow("key in the option line") << "---\n1) Q\nA) a\n`B) b\n---\n"
                                            << "" << QStringList();
    QTest::newRow("keys after the last separator, small letter")
        << "x\n---\n1) Q\nA) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n`b\n`a\n"
        << "---\n1) Q\nA) a\n`B) b\n---\n2) R\n`A) c\nB) d\n---\n"
        << QStringList();
    QTest::newRow("text in several lines") << "---\n1) Q\nline two\nA) a\n`B) b\n---\n"
                                           << "" << QStringList();
    QTest::newRow("no key for the second") << "---\n1) Q\n`A) a\nB) b\n---\n2) R\nA) c\nB) d\n---\n"
                                           << "---\n1) Q\n`A) a\nB) b\n---\n"
                                           << QStringList{"вопрос 2: нет строки с ключом"};
    QTest::newRow("key beyond the options")
        << "---\n1) Q\nA) a\nB) b\n`E\n---\n"
        << "---\n"
        << QStringList{"вопрос 1: ключ не указывает ни на один вариант ответа"};
    QTest::newRow("options out of order")
        << "---\n1) Q\nA) a\nC) b\n`A\n---\n"
        << "---\n"
        << QStringList{"вопрос 1: варианты ответа не по порядку A, B, C..."};
    QTest::newRow("skeleton without options") << "---\n1)\n---\n"
                                              << "---\n"
                                              << QStringList{"вопрос 1: нет строки с ключом"};
}

void TestQuestionBank::fromVariant() {
    QFETCH(QString, variant);
    QFETCH(QString, variantBack);
    QFETCH(QStringList, skipped);
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

void TestQuestionBank::plainFromHtml_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("tags and blanks") << "<p>a  <b>b</b>\n c</p>"
                                     << "a b c";
    QTest::newRow("paragraphs and breaks") << "<p>a</p><p>b<br/>c</p>"
                                           << "a\nb\nc";
    QTest::newRow("runs of empty lines fold") << "a<br><br><br>b"
                                              << "a\n\nb";
    QTest::newRow("entities") << "&lt;i&gt; &amp;amp; &#1071;&#x42;&nbsp;&quot;"
                              << "<i> &amp; ЯB \"";
    QTest::newRow("unknown entity kept") << "&bogus;"
                                         << "&bogus;";
}

void TestQuestionBank::plainFromHtml() {
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(QuestionBank::plainFromHtml(html), text);
}

QTEST_GUILESS_MAIN(TestQuestionBank)
#include "TestQuestionBank.moc"
