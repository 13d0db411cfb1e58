// What the browser view is given for a topic page: plain files as they are, packed texts unpacked,
// the charset of pages that do not declare one.

#include "CodePage.h"
#include "FolderListing.h"
#include "PageContent.h"
#include "support/TempContentTree.h"

#include <QFile>
#include <QTest>

#include <cstdio>
#include <memory>

#include <sys/stat.h>

class TestPageContent : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempContentTree> m_tree;

private slots:
    void init();
    void cleanup();

    void looksPacked_data();
    void looksPacked();
    void body_data();
    void body();
    void bodyOfNothing();
    void shownInPage_data();
    void shownInPage();
    void windows1251NamesListedAndOpened();
};

void TestPageContent::init() {
    m_tree = std::make_unique<TempContentTree>();
    QVERIFY(m_tree->isValid());
}

void TestPageContent::cleanup() {
    m_tree.reset();
}

void TestPageContent::looksPacked_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("packed");

    QTest::newRow("level 9, as the program writes") << QByteArray("\x78\xDA", 2) << true;
    QTest::newRow("default level") << QByteArray("\x78\x9C", 2) << true;
    QTest::newRow("level 1") << QByteArray("\x78\x01", 2) << true;
    QTest::newRow("smaller window") << QByteArray("\x48\x0D", 2) << true;
    QTest::newRow("preset dictionary") << QByteArray("\x78\x20", 2) << false;
    QTest::newRow("bad check value") << QByteArray("\x78\xDB", 2) << false;
    QTest::newRow("window too large") << QByteArray("\x88\x1C", 2) << false;
    QTest::newRow("not deflate") << QByteArray("\x79\x18", 2) << false;
    QTest::newRow("html") << QByteArray("<!") << false;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB", 2) << false;
    QTest::newRow("one byte") << QByteArray("\x78") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestPageContent::looksPacked() {
    QFETCH(QByteArray, head);
    QFETCH(bool, packed);
    QCOMPARE(PageContent::looksPacked(head), packed);
}

void TestPageContent::body_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // a plain file's bytes; empty: `packed` is packed
    QTest::addColumn<QString>("packed");
    QTest::addColumn<QByteArray>("served");
    QTest::addColumn<QByteArray>("type");

    const QByteArray cp1251 = CodePage::encode(QStringLiteral("<p>Ёлка</p>"));
    const QByteArray declared = "<html><head><meta charset=\"utf-8\"></head>\xD0\x81</html>";
    const QByteArray equiv = "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=windows-1251\">\xA8";
    QTest::newRow("no charset") << "a.html" << cp1251 << QString() << cp1251
                                << QByteArray("text/html;charset=windows-1251");
    QTest::newRow("meta charset") << "a.html" << declared << QString() << declared
                                  << QByteArray("text/html");
    QTest::newRow("http-equiv") << "a.htm" << equiv << QString() << equiv
                                << QByteArray("text/html");
    QTest::newRow("byte order mark")
        << "a.html" << QByteArray("\xEF\xBB\xBF<p>\xD0\x81</p>") << QString()
        << QByteArray("\xEF\xBB\xBF<p>\xD0\x81</p>") << QByteArray("text/html");
    QTest::newRow("packed, no charset") << "p.html" << QByteArray() << QStringLiteral("<p>Ёлка</p>")
                                        << cp1251 << QByteArray("text/html;charset=windows-1251");
    QTest::newRow("packed, declared")
        << "p.html" << QByteArray() << QStringLiteral("<meta charset=\"windows-1251\">Ё")
        << QByteArray("<meta charset=\"windows-1251\">\xA8") << QByteArray("text/html");
    QTest::newRow("charset too late to count")
        << "late.html" << QByteArray(2000, ' ') + "<meta charset=\"utf-8\">" << QString()
        << QByteArray(2000, ' ') + "<meta charset=\"utf-8\">"
        << QByteArray("text/html;charset=windows-1251");
    QTest::newRow("text file") << "notes.txt" << cp1251 << QString() << cp1251
                               << QByteArray("text/plain;charset=windows-1251");
    QTest::newRow("picture") << "dot.png" << QByteArray("\x89PNG") << QString()
                             << QByteArray("\x89PNG") << QByteArray("image/png");
    // Only the first bytes look packed: the file as it is.
    const QByteArray garbage("\x78\xDA garbage that is no deflate stream", 36);
    QTest::newRow("zlib header, then garbage") << "g.html" << garbage << QString() << garbage
                                               << QByteArray("text/html;charset=windows-1251");
    const QByteArray cut("\x78\x9C\x03\x00\x00\x00\x00\x01", 8);
    QTest::newRow("zlib stream too short for the length")
        << "s.html" << cut << QString() << cut << QByteArray("text/html;charset=windows-1251");
}

void TestPageContent::body() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, packed);
    QFETCH(QByteArray, served);
    QFETCH(QByteArray, type);

    const QString relative = QStringLiteral("Content/Алгебра/") + name;
    const QString path =
        bytes.isEmpty() ? m_tree->makePacked(relative, packed) : m_tree->makeFile(relative, bytes);
    QByteArray gotBytes;
    QByteArray gotType;
    QVERIFY(PageContent::body(path, gotBytes, gotType));
    QCOMPARE(gotBytes, served);
    QCOMPARE(gotType, type);
}

void TestPageContent::bodyOfNothing() {
    QByteArray bytes;
    QByteArray type;
    QVERIFY(!PageContent::body(m_tree->path(QStringLiteral("Content/gone.html")), bytes, type));
    QVERIFY(!PageContent::body(m_tree->makeFolder(QStringLiteral("Content/f.html")), bytes, type));
}

void TestPageContent::shownInPage_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("shown");
    QTest::newRow("page") << "/c/a.HTML" << true;
    QTest::newRow("htm") << "/c/a.htm" << true;
    QTest::newRow("picture") << "/c/img/a.jpg" << true;
    QTest::newRow("ppt") << "/c/Презентации/a.ppt" << false;
    QTest::newRow("pptx") << "/c/a.pptx" << false;
    QTest::newRow("video") << "/c/a.avi" << false;
    QTest::newRow("pdf") << "/c/a.pdf" << false;
    QTest::newRow("doc") << "/c/a.doc" << false;
}

void TestPageContent::shownInPage() {
    QFETCH(QString, path);
    QFETCH(bool, shown);
    QCOMPARE(PageContent::shownInPage(path), shown);
}

// A subject copied from a Windows system without converting its names: the folder and the page
// are Windows-1251 bytes on disk. The listing shows them decoded, and the decoded path opens
// the original bytes.
void TestPageContent::windows1251NamesListedAndOpened() {
    const QString subject = QStringLiteral("Физика");
    const QString page = QStringLiteral("Урок 1.html");
    const QByteArray folder = QFile::encodeName(m_tree->contentDir()) + CodePage::encode(subject);
    QVERIFY(::mkdir(folder.constData(), 0755) == 0);
    const QByteArray file = folder + '/' + CodePage::encode(page);
    {
        QFile out;
        FILE* raw = ::fopen(file.constData(), "wb");
        QVERIFY(raw);
        QVERIFY(out.open(raw, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        out.write(CodePage::encode(QStringLiteral("<p>Сила</p>")));
    }
    QCOMPARE(FolderListing::subjects(m_tree->contentDir()), QStringList{subject});
    const QString decodedFolder = m_tree->contentDir() + subject;
    QCOMPARE(FolderListing::children(decodedFolder, QStringLiteral("*.html")), QStringList{page});
    QCOMPARE(CodePage::nativePath(decodedFolder + QLatin1Char('/') + page), file);
    // A file about to be made keeps UTF-8 bytes for its own name, inside the folder's own bytes.
    QCOMPARE(CodePage::nativePath(decodedFolder + QStringLiteral("/новый")),
             folder + QStringLiteral("/новый").toUtf8());
    QByteArray bytes;
    QByteArray type;
    QVERIFY(PageContent::body(decodedFolder + QLatin1Char('/') + page, bytes, type));
    QCOMPARE(bytes, CodePage::encode(QStringLiteral("<p>Сила</p>")));
    QCOMPARE(CodePage::fileName("\xD4\xE8\xE7"), QStringLiteral("Физ"));
    QCOMPARE(CodePage::fileName("Физ"), QStringLiteral("Физ"));
    // The temporary folder cannot name these entries itself: removed by their bytes.
    QCOMPARE(::remove(file.constData()), 0);
    QCOMPARE(::remove(folder.constData()), 0);
}

QTEST_GUILESS_MAIN(TestPageContent)
#include "TestPageContent.moc"
