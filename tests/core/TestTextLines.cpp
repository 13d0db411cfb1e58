// The Windows-1251 code page and the line rules of texts read from files.

#include "CodePage.h"
#include "TextLines.h"

#include <QTest>

class TestTextLines : public QObject {
    Q_OBJECT

private slots:
    void decodeEncodeRoundTrip_data();
    void decodeEncodeRoundTrip();
    void unrepresentable_data();
    void unrepresentable();
    void upperAnsi_data();
    void upperAnsi();
    void upperAnsiAlphabets();
    void upperAnsiAgreesWithUnicode();

    void normalizeBreaks_data();
    void normalizeBreaks();
    void lineCount_data();
    void lineCount();
    void toEditorText_data();
    void toEditorText();
    void fromEditorText_data();
    void splitLines_data();
    void splitLines();
    void fromEditorText();
    void longLineKeptWhole();
};

void TestTextLines::decodeEncodeRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ASCII") << QStringLiteral("1) A, b; `~") << QByteArray("1) A, b; `~");
    QTest::newRow("word") << QStringLiteral("Привет") << QByteArray::fromHex("CFF0E8E2E5F2");
    QTest::newRow("capitals А-Я")
        << QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ")
        << QByteArray::fromHex("C0C1C2C3C4C5C6C7C8C9CACBCCCDCECFD0D1D2D3D4D5D6D7D8D9DADBDCDDDEDF");
    QTest::newRow("small а-я")
        << QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюя")
        << QByteArray::fromHex("E0E1E2E3E4E5E6E7E8E9EAEBECEDEEEFF0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF");
    QTest::newRow("Ё ё № « » — €")
        << QStringLiteral("Ёё№«»—€") << QByteArray::fromHex("A8B8B9ABBB9788");
    QTest::newRow("Ukrainian letters")
        << QStringLiteral("ЄєЇїІіҐґ") << QByteArray::fromHex("AABAAFBFB2B3A5B4");
    QTest::newRow("CR LF kept") << QStringLiteral("а\r\nб") << QByteArray::fromHex("E00D0AE1");
    QTest::newRow("control character 0x1A") << QStringLiteral("a\x1a") << QByteArray("a\x1a");
}

void TestTextLines::decodeEncodeRoundTrip() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(CodePage::encode(text), bytes);
    QCOMPARE(CodePage::decode(bytes), text);
    QCOMPARE(CodePage::unrepresentable(text), QString());
}

void TestTextLines::unrepresentable_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("lost");

    QTest::newRow("emoji") << QStringLiteral("😀") << QByteArray("?") << QStringLiteral("😀");
    QTest::newRow("Chinese") << QStringLiteral("中") << QByteArray("?") << QStringLiteral("中");
    QTest::newRow("among Cyrillic")
        << QStringLiteral("Да😀нет") << QByteArray::fromHex("C4E03FEDE5F2") << QStringLiteral("😀");
    // Each character once, in order of first appearance; every occurrence becomes "?".
    QTest::newRow("repeated, in order")
        << QStringLiteral("a中b😀中😀") << QByteArray("a?b???") << QStringLiteral("中😀");
    QTest::newRow("Greek") << QStringLiteral("αβ") << QByteArray("??") << QStringLiteral("αβ");
    QTest::newRow("Latin with accent")
        << QStringLiteral("café") << QByteArray("caf?") << QStringLiteral("é");
    QTest::newRow("a real question mark is kept")
        << QStringLiteral("Что?") << QByteArray::fromHex("D7F2EE3F") << QString();
}

void TestTextLines::unrepresentable() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, lost);

    QCOMPARE(CodePage::encode(text), bytes);
    QCOMPARE(CodePage::unrepresentable(text), lost);
}

void TestTextLines::upperAnsi_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("upper");

    QTest::newRow("a") << int('a') << int('A');
    QTest::newRow("z") << int('z') << int('Z');
    QTest::newRow("а") << 0xE0 << 0xC0;
    QTest::newRow("я") << 0xFF << 0xDF;
    QTest::newRow("ё") << 0xB8 << 0xA8;
    QTest::newRow("A left alone") << int('A') << int('A');
    QTest::newRow("А left alone") << 0xC0 << 0xC0;
    QTest::newRow("Ё left alone") << 0xA8 << 0xA8;
    QTest::newRow("0") << int('0') << int('0');
    QTest::newRow("9") << int('9') << int('9');
    QTest::newRow("`") << int('`') << int('`');
    QTest::newRow("{") << int('{') << int('{');
    QTest::newRow("@") << int('@') << int('@');
    QTest::newRow("zero byte") << 0 << 0;
    QTest::newRow("№") << 0xB9 << 0xB9;
    QTest::newRow("«") << 0xAB << 0xAB;
}

void TestTextLines::upperAnsi() {
    QFETCH(int, byte);
    QFETCH(int, upper);

    QCOMPARE(static_cast<unsigned char>(CodePage::upperAnsi(static_cast<char>(byte))),
             static_cast<unsigned char>(upper));
}

void TestTextLines::upperAnsiAlphabets() {
    const QByteArray latin("abcdefghijklmnopqrstuvwxyz");
    QByteArray latinUpper;
    for (char c : latin)
        latinUpper += CodePage::upperAnsi(c);
    QCOMPARE(latinUpper, QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ"));

    const QByteArray cyrillic =
        CodePage::encode(QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
    QByteArray cyrillicUpper;
    for (char c : cyrillic)
        cyrillicUpper += CodePage::upperAnsi(c);
    QCOMPARE(CodePage::decode(cyrillicUpper), QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"));
}

// Every byte whose character has a capital in the code page gets that capital; every other byte
// is left alone.
void TestTextLines::upperAnsiAgreesWithUnicode() {
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const QString character = CodePage::decode(QByteArray(1, byte));
        const QString capital = character.toUpper();
        char expected = byte;
        if (capital != character && capital.size() == 1 &&
            CodePage::unrepresentable(capital).isEmpty())
            expected = CodePage::encode(capital).at(0);
        QVERIFY2(
            CodePage::upperAnsi(byte) == expected,
            qPrintable(
                QStringLiteral("byte 0x%1 (%2)").arg(b, 2, 16, QLatin1Char('0')).arg(character)));
    }
}

void TestTextLines::normalizeBreaks_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("normalized");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("no break") << QByteArray("abc") << QByteArray("abc");
    QTest::newRow("CR LF unchanged") << QByteArray("---\r\n1)\r\n") << QByteArray("---\r\n1)\r\n");
    QTest::newRow("lone LF") << QByteArray("---\n1)\n") << QByteArray("---\r\n1)\r\n");
    QTest::newRow("lone CR") << QByteArray("---\r1)\r") << QByteArray("---\r\n1)\r\n");
    QTest::newRow("LF CR is two breaks") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("CR CR LF is two breaks") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("only breaks") << QByteArray("\n\r\n\r") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("zero byte ends the text") << QByteArray("ab\0c\nd", 6) << QByteArray("ab");
    QTest::newRow("zero byte first") << QByteArray("\0abc", 4) << QByteArray();
    QTest::newRow("zero byte after CR") << QByteArray("a\r\0\n", 4) << QByteArray("a\r\n");
    QTest::newRow("Windows-1251 bytes")
        << QByteArray::fromHex("E00AE1") << QByteArray::fromHex("E00D0AE1");
}

void TestTextLines::normalizeBreaks() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, normalized);

    QCOMPARE(TextLines::normalizeBreaks(bytes), normalized);
    QCOMPARE(TextLines::normalizeBreaks(normalized), normalized);
}

void TestTextLines::lineCount_data() {
    QTest::addColumn<QByteArray>("normalized");
    QTest::addColumn<qsizetype>("lines");

    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("one line") << QByteArray("---") << qsizetype(1);
    QTest::newRow("one line, break") << QByteArray("---\r\n") << qsizetype(1);
    QTest::newRow("only a break") << QByteArray("\r\n") << qsizetype(1);
    QTest::newRow("worked example") << QByteArray("---\r\n1)\r\n") << qsizetype(2);
    QTest::newRow("no final break") << QByteArray("---\r\n1)") << qsizetype(2);
    QTest::newRow("two final breaks") << QByteArray("---\r\n1)\r\n\r\n") << qsizetype(3);
    QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb") << qsizetype(3);
}

void TestTextLines::lineCount() {
    QFETCH(QByteArray, normalized);
    QFETCH(qsizetype, lines);

    QCOMPARE(TextLines::lineCount(normalized), lines);
}

void TestTextLines::toEditorText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("worked example") << QByteArray("---\r\n1)\r\n") << QStringLiteral("---\n1)\n");
    QTest::newRow("lone LF") << QByteArray("---\n1)") << QStringLiteral("---\n1)");
    QTest::newRow("lone CR") << QByteArray("---\r1)\r") << QStringLiteral("---\n1)\n");
    QTest::newRow("Cyrillic") << QByteArray::fromHex("CFF0E8E2E5F20D0AEFEEEAE0")
                              << QStringLiteral("Привет\nпока");
    QTest::newRow("zero byte ends the text")
        << QByteArray("---\r\n1)\0 hidden\r\n", 18) << QStringLiteral("---\n1)");
    QTest::newRow("zero byte first") << QByteArray("\0---", 4) << QString();
}

void TestTextLines::toEditorText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QCOMPARE(TextLines::toEditorText(bytes), text);
}

void TestTextLines::fromEditorText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("worked example") << QStringLiteral("---\n1)\n") << QByteArray("---\r\n1)\r\n");
    QTest::newRow("no final break") << QStringLiteral("---\n1)") << QByteArray("---\r\n1)");
    QTest::newRow("paragraph separator")
        << QStringLiteral("a") + QChar(QChar::ParagraphSeparator) + QStringLiteral("b")
        << QByteArray("a\r\nb");
    QTest::newRow("Cyrillic") << QStringLiteral("Ответ\n") << QByteArray::fromHex("CEF2E2E5F20D0A");
    QTest::newRow("emoji becomes ?") << QStringLiteral("a😀\n") << QByteArray("a?\r\n");
}

void TestTextLines::fromEditorText() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(TextLines::fromEditorText(text), bytes);
}

// Lines are kept whole, whatever their length: cutting one would lose part of a question.
void TestTextLines::longLineKeptWhole() {
    const QByteArray line(5000, 'x');
    const QByteArray bytes = "---\r\n" + line + "\r\n1)\r\n";

    QCOMPARE(TextLines::normalizeBreaks(bytes), bytes);
    QCOMPARE(TextLines::lineCount(bytes), qsizetype(3));
    const QStringList lines = TextLines::toEditorText(bytes).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), qsizetype(4));
    QCOMPARE(lines.at(1), QString::fromLatin1(line));
    QCOMPARE(TextLines::fromEditorText(TextLines::toEditorText(bytes)), bytes);
}

void TestTextLines::splitLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("one line") << "a" << QStringList{"a"};
    QTest::newRow("final break begins nothing") << "a\n" << QStringList{"a"};
    QTest::newRow("two lines") << "a\nb" << QStringList{"a", "b"};
    QTest::newRow("only a break") << "\n" << QStringList{""};
    QTest::newRow("empty line kept") << "a\n\nb\n" << QStringList{"a", "", "b"};
}

void TestTextLines::splitLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(TextLines::splitLines(text), lines);
}

QTEST_GUILESS_MAIN(TestTextLines)
#include "TestTextLines.moc"
