// "Предмет" → "Создать": a new subject's folders, an existing subject completed and left
// otherwise untouched, and the names that are refused before anything is made.

#include "CodePage.h"
#include "FolderListing.h"
#include "SubjectCreation.h"
#include "support/TempContentTree.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every folder and file below `folder`, relative to it, sorted.
QStringList treeOf(const QString& folder) {
    QStringList found;
    const QDir root(folder);
    QList<QString> pending{folder};
    while (!pending.isEmpty()) {
        const QString current = pending.takeFirst();
        const QFileInfoList entries = QDir(current).entryInfoList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QFileInfo& entry : entries) {
            found.append(root.relativeFilePath(entry.filePath()) +
                         (entry.isDir() ? QStringLiteral("/") : QString()));
            if (entry.isDir())
                pending.append(entry.filePath());
        }
    }
    found.sort();
    return found;
}

} // namespace

class TestSubjectCreation : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newSubjectGetsThreeFolders();
    void existingSubjectIsCompleted();
    void copiedSubjectIsCompletedInPlace();
    void refusedNamesCreateNothing_data();
    void refusedNamesCreateNothing();
    void withoutContentRootNothingIsMade();

private:
    std::unique_ptr<TempContentTree> m_tree;
};

void TestSubjectCreation::init() {
    m_tree = std::make_unique<TempContentTree>();
    QVERIFY(m_tree->isValid());
}

void TestSubjectCreation::cleanup() {
    m_tree.reset();
}

void TestSubjectCreation::newSubjectGetsThreeFolders() {
    QCOMPARE(SubjectCreation::create(m_tree->contentDir(), QStringLiteral("Информатика")),
             QString());
    QCOMPARE(treeOf(m_tree->contentDir()),
             (QStringList{"Информатика/", "Информатика/Видео/", "Информатика/Презентации/",
                          "Информатика/Тесты/"}));
}

void TestSubjectCreation::existingSubjectIsCompleted() {
    m_tree->makeFile(QStringLiteral("Content/Физика/01.html"), "<p>страница</p>");
    m_tree->makeFile(QStringLiteral("Content/Физика/Тесты/Вариант 1.txt"), "packed");
    m_tree->makeFile(QStringLiteral("Content/Физика/Тесты/Отчеты/Иван(0)"), "report");
    const QByteArray page = m_tree->readFile(QStringLiteral("Content/Физика/01.html"));

    QCOMPARE(SubjectCreation::create(m_tree->contentDir(), QStringLiteral("Физика")), QString());
    QCOMPARE(treeOf(m_tree->contentDir()),
             (QStringList{"Физика/", "Физика/01.html", "Физика/Видео/", "Физика/Презентации/",
                          "Физика/Тесты/", "Физика/Тесты/Вариант 1.txt", "Физика/Тесты/Отчеты/",
                          "Физика/Тесты/Отчеты/Иван(0)"}));
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/Физика/01.html")), page);
    QCOMPARE(m_tree->readFile(QStringLiteral("Content/Физика/Тесты/Вариант 1.txt")),
             QByteArray("packed"));
}

void TestSubjectCreation::copiedSubjectIsCompletedInPlace() {
    // A subject copied from a Windows system, named in Windows-1251 bytes: creating it by the
    // name the list shows completes that folder, and makes no second one under the UTF-8 bytes.
    const QByteArray subject =
        QFile::encodeName(m_tree->contentDir()) + CodePage::encode(QStringLiteral("Физика"));
    QCOMPARE(::mkdir(subject.constData(), 0777), 0);
    QCOMPARE(SubjectCreation::create(m_tree->contentDir(), QStringLiteral("Физика")), QString());
    QCOMPARE(FolderListing::subjects(m_tree->contentDir()), QStringList{QStringLiteral("Физика")});
    for (const char* folder : {"Тесты", "Видео", "Презентации"}) {
        struct stat made {};
        QVERIFY2(::stat((subject + '/' + folder).constData(), &made) == 0 && S_ISDIR(made.st_mode),
                 folder);
    }
    QCOMPARE(
        ::access(QFile::encodeName(m_tree->contentDir() + QStringLiteral("Физика")).constData(),
                 F_OK),
        -1);
}

void TestSubjectCreation::refusedNamesCreateNothing_data() {
    QTest::addColumn<QString>("name");

    QTest::newRow("empty") << "";
    QTest::newRow("slash") << "Физика/Механика";
    QTest::newRow("leading slash") << "/tmp";
    QTest::newRow("backslash") << "Физика\\Механика";
    QTest::newRow("dot") << ".";
    QTest::newRow("two dots") << "..";
}

void TestSubjectCreation::refusedNamesCreateNothing() {
    QFETCH(QString, name);
    m_tree->makeFolder(QStringLiteral("Content/Алгебра"));
    const QStringList before = treeOf(m_tree->programDir());

    const QString notice = SubjectCreation::create(m_tree->contentDir(), name);
    QVERIFY(!notice.isEmpty());
    QVERIFY2(notice.contains(QStringLiteral("предмет")), qPrintable(notice));
    QCOMPARE(treeOf(m_tree->programDir()), before);
}

void TestSubjectCreation::withoutContentRootNothingIsMade() {
    QVERIFY(QDir(m_tree->contentDir()).removeRecursively());
    QCOMPARE(SubjectCreation::create(m_tree->contentDir(), QStringLiteral("Химия")), QString());
    QCOMPARE(treeOf(m_tree->programDir()), QStringList());
}

QTEST_GUILESS_MAIN(TestSubjectCreation)
#include "TestSubjectCreation.moc"
