// normakurs-text, run as its users run it: a separate process with arguments, standard output,
// standard error and an exit code.

#include "PackedText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestPackerTool : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // Runs the tool in the temporary folder and waits for it.
    Run run(const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        process.start(kTool, arguments);
        Run result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            result.err = "<did not finish: " + process.errorString().toUtf8() + '>';
            return result;
        }
        result.exitCode =
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2; // crashed
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void help_data();
    void help();
    void packAndUnpack_data();
    void packAndUnpack();
    void packReplacesExistingFile();
    void unpackOtherWriters_data();
    void unpackOtherWriters();
    void unpackNotPacked_data();
    void unpackNotPacked();
    void missingFile_data();
    void missingFile();
    void packRefusesText_data();
    void packRefusesText();
    void packIntoMissingFolder();
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
    QCOMPARE(result.err, QByteArray());
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

    QVERIFY(writeFile(path(QStringLiteral("plain.txt")), plain));
    const Run packed =
        run({QStringLiteral("pack"), QStringLiteral("plain.txt"), QStringLiteral("Вариант 1.txt")});
    QCOMPARE(packed.err, QByteArray());
    QCOMPARE(packed.exitCode, 0);
    QCOMPARE(packed.out, QByteArray());

    const QString packedPath = path(QStringLiteral("Вариант 1.txt"));
    QCOMPARE(readFile(packedPath).left(2), QByteArray::fromHex("78DA"));
    QCOMPARE(PackedText::OpenFromStream(packedPath), stored);

    const Run back = run({QStringLiteral("unpack"), packedPath});
    QCOMPARE(back.err, QByteArray());
    QCOMPARE(back.exitCode, 0);
    QCOMPARE(back.out, unpacked);
}

void TestPackerTool::packReplacesExistingFile() {
    const QString packedPath = path(QStringLiteral("v.txt"));
    PackedText::SaveToStream(packedPath, QByteArray(50000, 'x'));
    QVERIFY(writeFile(path(QStringLiteral("plain.txt")), "1)\n"));

    const Run packed = run({QStringLiteral("pack"), QStringLiteral("plain.txt"), packedPath});
    QCOMPARE(packed.err, QByteArray());
    QCOMPARE(packed.exitCode, 0);
    QCOMPARE(PackedText::OpenFromStream(packedPath), QByteArray("1)\r\n"));
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
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, unpacked);
}

void TestPackerTool::unpackNotPacked_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("message");

    const QByteArray notPacked("plain.txt: not a packed text file (Error)");
    QTest::newRow("plain text") << QByteArray("---\r\n1)\r\n") << notPacked;
    QTest::newRow("plain UTF-8 text") << QStringLiteral("Вопрос\n").toUtf8() << notPacked;
    QTest::newRow("zero-byte file")
        << QByteArray()
        << QByteArray("plain.txt: the packed text is empty or cut off (Stream read error)");
}

void TestPackerTool::unpackNotPacked() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, message);

    QVERIFY(writeFile(path(QStringLiteral("plain.txt")), bytes));
    const Run result = run({QStringLiteral("unpack"), QStringLiteral("plain.txt")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(result.err, "normakurs-text: " + message + '\n');
}

void TestPackerTool::missingFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("missing");

    QTest::newRow("unpack, relative") << QStringList{"unpack", "nothing.txt"} << "nothing.txt";
    QTest::newRow("unpack, Cyrillic")
        << QStringList{"unpack", "Отчеты/Иванов(1)"} << "Отчеты/Иванов(1)";
    QTest::newRow("pack") << QStringList{"pack", "nothing.txt", "out.txt"} << "nothing.txt";
}

void TestPackerTool::missingFile() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, missing);

    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("normakurs-text: Cannot open file \"%1\". No such file or directory\n")
                 .arg(path(missing)));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.txt"))));
}

void TestPackerTool::packRefusesText_data() {
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QString>("problem");

    QTest::newRow("emoji") << QStringLiteral("Ответ 😀\n").toUtf8()
                           << "these characters cannot be stored in Windows-1251: 😀";
    QTest::newRow("Chinese and emoji") << QStringLiteral("中 😀 中").toUtf8()
                                       << "these characters cannot be stored in Windows-1251: 中😀";
    QTest::newRow("zero byte") << QByteArray("a\0b", 3) << "the text holds a zero byte";
}

void TestPackerTool::packRefusesText() {
    QFETCH(QByteArray, plain);
    QFETCH(QString, problem);

    QVERIFY(writeFile(path(QStringLiteral("plain.txt")), plain));
    const Run result =
        run({QStringLiteral("pack"), QStringLiteral("plain.txt"), QStringLiteral("out.txt")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("normakurs-text: plain.txt: %1\n").arg(problem));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.txt"))));
}

void TestPackerTool::packIntoMissingFolder() {
    QVERIFY(writeFile(path(QStringLiteral("plain.txt")), "1)\n"));
    const Run result =
        run({QStringLiteral("pack"), QStringLiteral("plain.txt"), QStringLiteral("Тесты/v.txt")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(
        QString::fromUtf8(result.err),
        QStringLiteral("normakurs-text: Cannot create file \"%1\". No such file or directory\n")
            .arg(path(QStringLiteral("Тесты/v.txt"))));
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
             result.err.constData());
}

QTEST_GUILESS_MAIN(TestPackerTool)
#include "TestPackerTool.moc"
