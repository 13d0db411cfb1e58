// The editor's files: packed documents saved and opened again, plain files loaded without
// unpacking, the questions asked before saving, and the atomic replacement that keeps the old
// file when a save fails.

#include "CodePage.h"
#include "DurableFile.h"
#include "EditorFiles.h"
#include "Failure.h"
#include "FolderListing.h"
#include "PackedText.h"
#include "support/TempContentTree.h"
#include "support/TestHelpers.h"
#include "SystemFile.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace {

using TestHelpers::entriesOf;
using TestHelpers::failureOf;
using TestHelpers::FileSizeLimit;

int modeOf(const QByteArray& path) {
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

QString absolute(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The names in `folder` (bytes on disk) as bytes, sorted: a listing through the toolkit would
// lose the bytes of names that are not UTF-8.
QList<QByteArray> rawEntries(const QByteArray& folder) {
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestEditorFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Saved and opened again
    void roundTrip_data();
    void roundTrip();
    void storedBytes_data();
    void storedBytes();
    void replacesShorter();
    void newFileHasOrdinaryPermissions();
    void savedInLabFolderIsForGroupOnly_data();
    void savedInLabFolderIsForGroupOnly();
    void longestNameSaves();
    void savesIntoWindows1251Folder_data();
    void savesIntoWindows1251Folder();

    // Saving fails
    void failedSaveKeepsOldFile();
    void saveFails_data();
    void saveFails();

    // Opening
    void openPackedFails_data();
    void openPackedFails();
    void openPlain_data();
    void openPlain();
    void openPlainShowsPackedBytes();
    void openPlainFails_data();
    void openPlainFails();

    // Questions
    void lossQuestion_data();
    void lossQuestion();
    void replaceQuestion_data();
    void replaceQuestion();

private:
    std::unique_ptr<TempContentTree> m_tree;
};

void TestEditorFiles::init() {
    m_tree = std::make_unique<TempContentTree>();
    QVERIFY(m_tree->isValid());
}

void TestEditorFiles::cleanup() {
    m_tree.reset();
}

// Saved and opened again --------------------------------------------------------------------

void TestEditorFiles::roundTrip_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << "";
    QTest::newRow("final line break") << "---\n1)\n";
    QTest::newRow("no final line break") << "---\n1)";
    QTest::newRow("two final breaks") << "строка\n\n";
    QTest::newRow("only a break") << "\n";
    QTest::newRow("Cyrillic and Latin") << "Вопрос: ёлка?\nA) да\n`B) нет\n";
    QTest::newRow("non-breaking blank kept") << QString("a") + QChar(0xA0) + "b\n";
    QTest::newRow("tab and trailing blanks") << "\tотступ   \n";
    QTest::newRow("line of 5000 characters kept whole") << QString(5000, QLatin1Char('x'));
}

void TestEditorFiles::roundTrip() {
    QFETCH(QString, text);
    const QString path = m_tree->path(QStringLiteral("Content/документ.txt"));
    EditorFiles::savePacked(path, text);
    QCOMPARE(EditorFiles::openPacked(path), text);
}

void TestEditorFiles::storedBytes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored"); // the packed file's text

    QTest::newRow("empty") << "" << QByteArray(); // the length field alone
    QTest::newRow("Windows-1251, CR LF") << "---\nЯ\n😀" << QByteArray("---\r\n\xDF\r\n?");
}

void TestEditorFiles::storedBytes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    const QString path = m_tree->path(QStringLiteral("Content/тест.txt"));
    EditorFiles::savePacked(path, text);
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/тест.txt")).left(2), QByteArray("\x78\xDA"));
    QCOMPARE(PackedText::OpenFromStream(path), stored);
}

void TestEditorFiles::replacesShorter() {
    const QString path = m_tree->path(QStringLiteral("Content/вариант.txt"));
    EditorFiles::savePacked(path, QString(3000, QLatin1Char('a')) + QStringLiteral("\n"));
    EditorFiles::savePacked(path, QStringLiteral("b"));
    QCOMPARE(PackedText::OpenFromStream(path), QByteArray("b"));
    QCOMPARE(entriesOf(m_tree->contentDir()), QStringList{QStringLiteral("вариант.txt")});
}

void TestEditorFiles::newFileHasOrdinaryPermissions() {
    // A saved variant must be as readable as any file the teacher makes, not private to them.
    const QString reference = m_tree->makeFile(QStringLiteral("Content/обычный"), "x");
    const QString path = m_tree->path(QStringLiteral("Content/новый.txt"));
    EditorFiles::savePacked(path, QStringLiteral("текст"));
    QCOMPARE(QFileInfo(path).permissions(), QFileInfo(reference).permissions());
}

void TestEditorFiles::savedInLabFolderIsForGroupOnly_data() {
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<int>("oldMode");      // -1: no file there before
    QTest::addColumn<int>("expectedMode"); // -1: what the user's file-creation mask gives

    QTest::newRow("lab tests, new variant") << 02770 << -1 << 0660;
    QTest::newRow("lab tests, over a private file") << 02770 << 0600 << 0660;
    QTest::newRow("lab tests, over a file open to all") << 02770 << 0646 << 0660;
    QTest::newRow("set-group, open to others") << 02775 << -1 << -1;
    QTest::newRow("set-group, open, keeps old mode") << 02775 << 0604 << 0604;
    QTest::newRow("closed to others, no set-group") << 0770 << -1 << -1;
}

void TestEditorFiles::savedInLabFolderIsForGroupOnly() {
    // A variant saved into a lab's tests folder: others never reach it, not even while it is
    // being written under its temporary name.
    QFETCH(int, folderMode);
    QFETCH(int, oldMode);
    QFETCH(int, expectedMode);
    const QString name = QStringLiteral("Content/Физика/Тесты/Вариант 1.txt");
    if (oldMode >= 0)
        QCOMPARE(::chmod(QFile::encodeName(m_tree->makeFile(name, "old")), mode_t(oldMode)), 0);
    const QString folder = m_tree->makeFolder(QStringLiteral("Content/Физика/Тесты"));
    QCOMPARE(::chmod(QFile::encodeName(folder), mode_t(folderMode)), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const int expected = expectedMode >= 0 ? expectedMode : int(0666 & ~mask);

    int whileWriting = -1;
    DurableFile::replace(m_tree->path(name), [&](QIODevice& device) {
        const int fd = qobject_cast<QFileDevice*>(&device)->handle();
        whileWriting = modeOf("/proc/self/fd/" + QByteArray::number(fd)); // the file, by any name
        device.write("new");
    });
    QCOMPARE(modeOf(QFile::encodeName(m_tree->path(name))), expected);
    QCOMPARE(whileWriting & ~expected & 07, 0);
    QCOMPARE(m_tree->readFile(name), QByteArray("new"));
}

void TestEditorFiles::longestNameSaves() {
    // 254 bytes: no room left for a temporary file's suffix beside it.
    const QString name = QString(125, QChar(u'в')) + QStringLiteral(".txt");
    QCOMPARE(name.toUtf8().size(), 254);
    const QString path = m_tree->contentDir() + name;
    EditorFiles::savePacked(path, QStringLiteral("первый"));
    EditorFiles::savePacked(path, QStringLiteral("второй"));
    QCOMPARE(EditorFiles::openPacked(path), QStringLiteral("второй"));
    QCOMPARE(entriesOf(m_tree->contentDir()), QStringList{name});
}

void TestEditorFiles::savesIntoWindows1251Folder_data() {
    QTest::addColumn<bool>("asDialogSpellsIt"); // else as the subject list shows the name

    QTest::newRow("path as listed") << false;
    QTest::newRow("path as the file dialog spells it") << true;
}

void TestEditorFiles::savesIntoWindows1251Folder() {
    // A subject copied from a Windows system: its folders are named in Windows-1251 bytes.
    QFETCH(bool, asDialogSpellsIt);
    const QByteArray subject = CodePage::encode(QStringLiteral("Физика"));
    const QByteArray tests = CodePage::encode(QStringLiteral("Тесты"));
    const QByteArray content = QFile::encodeName(m_tree->contentDir());
    QCOMPARE(::mkdir((content + subject).constData(), 0777), 0);
    QCOMPARE(::mkdir((content + subject + '/' + tests).constData(), 0777), 0);
    const QString folder =
        m_tree->contentDir() + (asDialogSpellsIt ? QFile::decodeName(subject + '/' + tests)
                                                 : QStringLiteral("Физика/Тесты"));
    const QString variant = folder + QStringLiteral("/Вариант 1.txt");

    QCOMPARE(EditorFiles::replaceQuestion(variant), QString());
    EditorFiles::savePacked(variant, QStringLiteral("---\nпервый\n"));
    QVERIFY(!EditorFiles::replaceQuestion(variant).isEmpty());
    EditorFiles::savePacked(variant, QStringLiteral("---\nвторой\n"));

    // Written into the folders themselves: no twin under the UTF-8 spelling, no temporary file.
    QCOMPARE(rawEntries(content), QList<QByteArray>{subject});
    QCOMPARE(rawEntries(content + subject + '/' + tests),
             QList<QByteArray>{QByteArrayLiteral("Вариант 1.txt")});
    QCOMPARE(FolderListing::subjects(m_tree->contentDir()), QStringList{QStringLiteral("Физика")});
    const QString listed = m_tree->contentDir() + QStringLiteral("Физика/Тесты");
    QCOMPARE(FolderListing::children(listed, QStringLiteral("*.txt")),
             QStringList{QStringLiteral("Вариант 1.txt")});
    QCOMPARE(EditorFiles::openPacked(listed + QStringLiteral("/Вариант 1.txt")),
             QStringLiteral("---\nвторой\n"));
}

// Saving fails ------------------------------------------------------------------------------

void TestEditorFiles::failedSaveKeepsOldFile() {
    const QString path = m_tree->path(QStringLiteral("Content/Предмет/Тесты/Вариант 1.txt"));
    m_tree->makePacked(QStringLiteral("Content/Предмет/Тесты/Вариант 1.txt"),
                       QStringLiteral("---\nстарый текст\n`A\n---\n"));
    const QByteArray before =
        m_tree->readFile(QStringLiteral("Content/Предмет/Тесты/Вариант 1.txt"));

    // Letters at random compress poorly: the packed text is far larger than the limit.
    QString large;
    auto* random = QRandomGenerator::global();
    for (int i = 0; i < 400000; ++i)
        large += QChar(0x0410 + int(random->bounded(64)));
    QString message;
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(limit.ok());
        message = failureOf([&] { EditorFiles::savePacked(path, large); });
    }
    QCOMPARE(message, QStringLiteral("Stream write error"));
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/Предмет/Тесты/Вариант 1.txt")), before);
    // No temporary file is left beside it.
    QCOMPARE(entriesOf(QFileInfo(path).path()), QStringList{QStringLiteral("Вариант 1.txt")});
}

void TestEditorFiles::saveFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error"); // the system's reason is the one for this error number

    QTest::newRow("a folder of that name") << "Content/Папка" << EISDIR;
    QTest::newRow("missing folder") << "Content/Нет такой/файл.txt" << ENOENT;
    QTest::newRow("through a file") << "Content/есть.txt/файл.txt" << ENOTDIR;
    QTest::newRow("a named pipe nobody reads") << "Content/канал" << ENXIO;
}

void TestEditorFiles::saveFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);
    m_tree->makeFolder(QStringLiteral("Content/Папка"));
    m_tree->makeFile(QStringLiteral("Content/есть.txt"), "x");
    QCOMPARE(::mkfifo(QFile::encodeName(m_tree->path(QStringLiteral("Content/канал"))).constData(),
                      0600),
             0);
    const QString path = m_tree->path(relative);

    const QString message = failureOf([&] { EditorFiles::savePacked(path, QStringLiteral("x")); });
    QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". %2")
                          .arg(absolute(path), SystemFile::systemReason(error)));
    QVERIFY(QFileInfo(m_tree->path(QStringLiteral("Content/Папка"))).isDir());
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/есть.txt")), QByteArray("x"));
}

// Opening -----------------------------------------------------------------------------------

void TestEditorFiles::openPackedFails_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    QTest::newRow("plain, unpacked text")
        << CodePage::encode(QStringLiteral("просто текст\r\n")) << "Error";
    QTest::newRow("zero-byte file") << QByteArray() << "Stream read error";
}

void TestEditorFiles::openPackedFails() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = m_tree->makeFile(QStringLiteral("Content/файл.txt"), bytes);
    QCOMPARE(failureOf([&] { EditorFiles::openPacked(path); }), message);
}

void TestEditorFiles::openPlain_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << "a\nb\n";
    QTest::newRow("lone LF and lone CR") << QByteArray("a\nb\rc") << "a\nb\nc";
    QTest::newRow("Windows-1251") << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2") << "Привет";
    QTest::newRow("a zero byte ends the text") << QByteArray("ab\0cd", 5) << "ab";
    QTest::newRow("empty file") << QByteArray() << "";
}

void TestEditorFiles::openPlain() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = m_tree->makeFile(QStringLiteral("Content/простой.txt"), bytes);
    QCOMPARE(EditorFiles::openPlain(path), text);
}

void TestEditorFiles::openPlainShowsPackedBytes() {
    const QString path = m_tree->makePacked(QStringLiteral("Content/упакованный.txt"),
                                            QStringLiteral("---\nВопрос\n"));
    const QByteArray raw = m_tree->readFile(QStringLiteral("Content/упакованный.txt"));
    const QString shown = EditorFiles::openPlain(path);
    QCOMPARE(shown, TextLines::toEditorText(raw));
    QVERIFY(shown.startsWith(CodePage::decode(QByteArray("\x78\xDA"))));
    QVERIFY(!shown.contains(QStringLiteral("Вопрос")));
}

void TestEditorFiles::openPlainFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("missing") << "Content/нет.txt" << ENOENT;
    QTest::newRow("folder") << "Content/Папка" << EISDIR;
}

void TestEditorFiles::openPlainFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);
    m_tree->makeFolder(QStringLiteral("Content/Папка"));
    const QString path = m_tree->path(relative);
    QCOMPARE(failureOf([&] { EditorFiles::openPlain(path); }),
             QStringLiteral("Cannot open file \"%1\". %2")
                 .arg(absolute(path), SystemFile::systemReason(error)));
}

// Questions ---------------------------------------------------------------------------------

void TestEditorFiles::lossQuestion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named"); // what the question lists; empty: no question

    QTest::newRow("Russian and Latin") << "Вопрос № 1: ёжик, «кавычки» — A) B)\n"
                                       << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("emoji") << "Ответ 😀\n"
                           << "«😀»";
    QTest::newRow("Chinese, each character once") << "中文中"
                                                  << "«中», «文»";
    QTest::newRow("invisible character by its code") << QString("a") + QChar(0x200B) + "b"
                                                     << "U+200B";
    QTest::newRow("many characters") << "一二三四五六七八九十百千万亿"
                                     << "«一», «二», «三», «四», «五», «六», «七», «八», «九», "
                                        "«十», «百», «千» и ещё 2";
}

void TestEditorFiles::lossQuestion() {
    QFETCH(QString, text);
    QFETCH(QString, named);
    const QString question = EditorFiles::lossQuestion(text);
    if (named.isEmpty()) {
        QCOMPARE(question, QString());
        return;
    }
    QVERIFY2(question.contains(QStringLiteral(": ") + named + QStringLiteral(".\n")),
             qPrintable(question));
    QVERIFY(question.contains(QStringLiteral("Windows-1251")));
    QVERIFY(question.contains(QStringLiteral("«?»")));
    QVERIFY(question.endsWith(QStringLiteral("Сохранить всё равно?")));
}

void TestEditorFiles::replaceQuestion_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("question");

    QTest::newRow("new file") << "Content/новый.txt"
                              << "";
    QTest::newRow("existing file") << "Content/есть.txt"
                                   << "Файл «есть.txt» уже существует.\nЗаменить его?";
    QTest::newRow("a folder is no file") << "Content/Папка"
                                         << "";
}

void TestEditorFiles::replaceQuestion() {
    QFETCH(QString, relative);
    QFETCH(QString, question);
    m_tree->makeFile(QStringLiteral("Content/есть.txt"), "x");
    m_tree->makeFolder(QStringLiteral("Content/Папка"));
    QCOMPARE(EditorFiles::replaceQuestion(m_tree->path(relative)), question);
}

QTEST_GUILESS_MAIN(TestEditorFiles)
#include "TestEditorFiles.moc"
