// normakurs-text, run as its users run it: a separate process with arguments, standard output,
// standard error and an exit code.

#include "PackedText.h"
#include "support/TestHelpers.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");

using Run = ToolRun;
using TestHelpers::readAll;
using TestHelpers::writeAll;

} // namespace

class TestPackerTool : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // Runs the tool in the temporary folder and waits for it.
    Run run(const QStringList& arguments) const {
        return ToolRun::of(kTool, arguments, m_dir->path());
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void help_data();
    void help();
    void packAndUnpack_data();
    void packAndUnpack();
    void unpackOtherWriters_data();
    void unpackOtherWriters();
    void failures_data();
    void failures();
    void usageErrors_data();
    void usageErrors();
};

void TestPackerTool::initTestCase() {
    QVERIFY2(QFileInfo(kTool).isExecutable(), qPrintable(kTool + QStringLiteral(" is not built")));
}

void TestPackerTool::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPackerTool::cleanup() {
    m_dir.reset();
}

void TestPackerTool::help_data() {
    QTest::addColumn<QString>("option");

    QTest::newRow("--help") << "--help";
    QTest::newRow("-h") << "-h";
}

void TestPackerTool::help() {
    QFETCH(QString, option);

    const Run result = run({option});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QString());
    QVERIFY2(result.out.startsWith("Usage:\n"), result.out.constData());
    QVERIFY(result.out.contains("normakurs-text pack PLAIN.txt PACKED"));
    QVERIFY(result.out.contains("normakurs-text unpack PACKED"));
    QVERIFY(result.out.contains("normakurs-text --help"));
}

void TestPackerTool::packAndUnpack_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("stored");   // the packed text's bytes, Windows-1251
    QTest::addColumn<QByteArray>("unpacked"); // what "unpack" prints, UTF-8

    QTest::newRow("UTF-8, LF") << QStringLiteral("---\n1) Вопрос\n").toUtf8()
                               << QByteArray("---\r\n1) ") + QByteArray::fromHex("C2EEEFF0EEF10D0A")
                               << QStringLiteral("---\n1) Вопрос\n").toUtf8();
    QTest::newRow("UTF-8 with byte-order mark, CR LF")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("Ответ\r\nДа\r\n").toUtf8()
        << QByteArray::fromHex("CEF2E2E5F20D0AC4E00D0A") << QStringLiteral("Ответ\nДа\n").toUtf8();
    QTest::newRow("Windows-1251, CR LF") << QByteArray::fromHex("C2EEEFF0EEF10D0ACEF2E2E5F2")
                                         << QByteArray::fromHex("C2EEEFF0EEF10D0ACEF2E2E5F2")
                                         << QStringLiteral("Вопрос\nОтвет").toUtf8();
    QTest::newRow("Windows-1251, lone CR and LF")
        << QByteArray::fromHex("C2EEEFF0EEF10DCEF2E2E5F20A")
        << QByteArray::fromHex("C2EEEFF0EEF10D0ACEF2E2E5F20D0A")
        << QStringLiteral("Вопрос\nОтвет\n").toUtf8();
    QTest::newRow("Windows-1251, Ё and №")
        << QByteArray::fromHex("A8B8B90D0A") << QByteArray::fromHex("A8B8B90D0A")
        << QStringLiteral("Ёё№\n").toUtf8();
    QTest::newRow("ASCII, no final break")
        << QByteArray("---\n1) a") << QByteArray("---\r\n1) a") << QByteArray("---\n1) a");
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
}

void TestPackerTool::packAndUnpack() {
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, unpacked);

    QVERIFY(writeAll(path(QStringLiteral("plain.txt")), plain));
    const QString packedPath = path(QStringLiteral("Вариант 1.txt"));
    PackedText::SaveToStream(packedPath, QByteArray(50000, 'x')); // replaced whole
    const Run packed =
        run({QStringLiteral("pack"), QStringLiteral("plain.txt"), QStringLiteral("Вариант 1.txt")});
    QCOMPARE(packed.err, QString());
    QCOMPARE(packed.exitCode, 0);
    QCOMPARE(packed.out, QByteArray());

    QCOMPARE(readAll(packedPath).left(2), QByteArray::fromHex("78DA"));
    QCOMPARE(PackedText::OpenFromStream(packedPath), stored);

    const Run back = run({QStringLiteral("unpack"), packedPath});
    QCOMPARE(back.err, QString());
    QCOMPARE(back.exitCode, 0);
    QCOMPARE(back.out, unpacked);
}

void TestPackerTool::unpackOtherWriters_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("unpacked");

    QTest::newRow("level 1") << "worked-level1.bin" << QByteArray("---\n1)\n");
    QTest::newRow("level 6") << "worked-level6.bin" << QByteArray("---\n1)\n");
    QTest::newRow("LF breaks") << "lf-breaks-level6.bin"
                               << QStringLiteral("Вопрос\nОтвет\n").toUtf8();
}

void TestPackerTool::unpackOtherWriters() {
    QFETCH(QString, file);
    QFETCH(QByteArray, unpacked);

    const Run result =
        run({QStringLiteral("unpack"), QStringLiteral(NORMAKURS_TEST_DATA "/packed/") + file});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, unpacked);
}

void TestPackerTool::failures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("plain"); // what plain.txt holds
    QTest::addColumn<QString>("err");      // "<dir>" stands for the folder it runs in

    const QStringList unpack{"unpack", "plain.txt"}, pack{"pack", "plain.txt", "out.txt"};
    const QString notPacked("plain.txt: not a packed text file (Error)");
    const QString cannotStore("plain.txt: these characters cannot be stored in Windows-1251: ");
    const QString missing("Cannot open file \"<dir>/%1\". No such file or directory");
    QTest::newRow("plain text") << unpack << QByteArray("---\r\n1)\r\n") << notPacked;
    QTest::newRow("plain UTF-8") << unpack << QStringLiteral("Вопрос\n").toUtf8() << notPacked;
    QTest::newRow("zero bytes")
        << unpack << QByteArray()
        << "plain.txt: the packed text is empty or cut off (Stream read error)";
    QTest::newRow("missing") << QStringList{"unpack", "nothing.txt"} << QByteArray()
                             << missing.arg("nothing.txt");
    QTest::newRow("missing, Cyrillic") << QStringList{"unpack", "Отчеты/Иванов(1)"} << QByteArray()
                                       << missing.arg("Отчеты/Иванов(1)");
    QTest::newRow("pack missing") << QStringList{"pack", "nothing.txt", "out.txt"} << QByteArray()
                                  << missing.arg("nothing.txt");
    QTest::newRow("emoji") << pack << QStringLiteral("Ответ 😀\n").toUtf8() << cannotStore + "😀";
    QTest::newRow("Chinese, emoji")
        << pack << QStringLiteral("中 😀 中").toUtf8() << cannotStore + "中😀";
    QTest::newRow("zero byte") << pack << QByteArray("a\0b", 3)
                               << "plain.txt: the text holds a zero byte";
    QTest::newRow("missing folder")
        << QStringList{"pack", "plain.txt", "Тесты/v.txt"} << QByteArray("1)\n")
        << "Cannot create file \"<dir>/Тесты/v.txt\". No such file or directory";
}

void TestPackerTool::failures() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, plain);
    QFETCH(QString, err);

    QVERIFY(writeAll(path(QStringLiteral("plain.txt")), plain));
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, "normakurs-text: " + err.replace("<dir>", m_dir->path()) + '\n');
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.txt"))));
}

void TestPackerTool::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("nothing") << QStringList() << QByteArray("no command given");
    QTest::newRow("unknown command") << QStringList{"zip", "a"} << QByteArray("unknown command");
    QTest::newRow("pack, one file")
        << QStringList{"pack", "a.txt"} << QByteArray("pack takes PLAIN.txt and PACKED");
    QTest::newRow("pack, three files")
        << QStringList{"pack", "a", "b", "c"} << QByteArray("pack takes PLAIN.txt and PACKED");
    QTest::newRow("unpack, no file") << QStringList{"unpack"} << QByteArray("unpack takes PACKED");
}

void TestPackerTool::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QVERIFY2(result.err.startsWith("normakurs-text: " + message + "\n\nUsage:\n"),
             qPrintable(result.err));
}

QTEST_GUILESS_MAIN(TestPackerTool)
#include "TestPackerTool.moc"
