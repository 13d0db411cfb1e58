// The exam keeper and its protocol, in this process and as the real program beside a tree.

#include "CodePage.h"
#include "ExamKeeper.h"
#include "ExamProtocol.h"
#include "support/TempContentTree.h"
#include "support/TestHelpers.h"
#include "TextLines.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace ExamProtocol;

namespace {

const QString kSubject = QStringLiteral("Алгебра");
const QString kVariant = QStringLiteral("Вариант 1.txt");
// A key before the first separator, one inside question 1, none shown otherwise.
const QString kText = QStringLiteral("Ключи: `B\n`b\n---\nВопрос 1\nA) да\n`A\n---\nВопрос 2\n"
                                     "---\nПосле вопросов\n");
const QDateTime kWhen(QDate(2014, 3, 5), QTime(9, 7, 41));
const QString kTests = QStringLiteral("Content/") + kSubject + QStringLiteral("/Тесты/");

QByteArray request(const QStringList& fields) {
    return encode(fields).chopped(1);
}

QStringList openFields(const QString& name = QStringLiteral("Иван")) {
    return {QLatin1String(kOpen), name, QStringLiteral("ИС-21"), kSubject, kVariant};
}

QStringList reply(const QByteArray& line) {
    return decode(line.chopped(1)).value_or(QStringList{QStringLiteral("<undecodable>")});
}

} // namespace

class TestExamKeeper : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fieldsSurviveThePipe_data();
    void fieldsSurviveThePipe();
    void brokenLinesAreRefused_data();
    void brokenLinesAreRefused();
    void craftedRequestsAreRefused_data();
    void craftedRequestsAreRefused();
    void onlyTheShownTextLeavesTheKeeper();
    void reportIsStoredBeforeTheScoreLeaves_data();
    void reportIsStoredBeforeTheScoreLeaves();
    void realProgramKeepsToItsOwnTree();

private:
    std::unique_ptr<TempContentTree> m_content;
};

void TestExamKeeper::init() {
    m_content = std::make_unique<TempContentTree>();
    m_content->makePacked(kTests + kVariant, kText);
    m_content->makeFile(kTests + QStringLiteral("ключи.doc"), "secret");
    m_content->makeFile(QStringLiteral("Content/Секрет.txt"), "outside");
}

void TestExamKeeper::cleanup() {
    m_content.reset();
}

void TestExamKeeper::fieldsSurviveThePipe_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("separators and escapes") << QStringList{
        QStringLiteral("a\tb"), QStringLiteral("100%25"), QStringLiteral("x\r\ny\n")};
    QTest::newRow("byte order marks at a field's start")
        << QStringList{QStringLiteral("\uFEFF\uFEFF"), QStringLiteral("\uFEFFИван")};
    QTest::newRow("no-break space and empty fields")
        << QStringList{QString(), QStringLiteral("Иван\u00A0Петров"), QString()};
}

void TestExamKeeper::fieldsSurviveThePipe() {
    QFETCH(QStringList, fields);
    const QByteArray line = encode(fields);
    QCOMPARE(line.indexOf('\n'), line.size() - 1);
    QCOMPARE(decode(line.chopped(1)), std::optional<QStringList>(fields));
}

void TestExamKeeper::brokenLinesAreRefused_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("raw control character") << QByteArray("LIST\x01x");
    QTest::newRow("cut escape") << QByteArray("LIST\t%0");
    QTest::newRow("not hex") << QByteArray("LIST\t%ZZ");
    QTest::newRow("escape of a plain character") << QByteArray("LIST\t%41");
    QTest::newRow("not UTF-8") << QByteArray("LIST\t\xC0\xAF");
}

void TestExamKeeper::brokenLinesAreRefused() {
    QFETCH(QByteArray, line);
    QVERIFY(!decode(line));
    ExamKeeper keeper(m_content->contentDir(), [] { return kWhen; });
    QCOMPARE(reply(keeper.handle(line)).value(0), QLatin1String(kInvalid));
    QVERIFY(keeper.broken());
}

void TestExamKeeper::craftedRequestsAreRefused_data() {
    QTest::addColumn<QStringList>("opening"); // empty: nothing opened first
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("verb");
    const QStringList open = openFields();
    const QString invalid = QString::fromLatin1(kInvalid), error = QString::fromLatin1(kError);
    auto opening = [&](const char* row, int field, const QString& value, const QString& verb) {
        QStringList fields = open;
        fields[field] = value;
        QTest::newRow(row) << QStringList() << fields << verb;
    };
    auto finishing = [&](const char* row, const QStringList& opened, const QStringList& fields) {
        QTest::newRow(row) << opened << (QStringList{QLatin1String(kFinish)} + fields) << invalid;
    };
    opening("name with a slash", 1, QStringLiteral("../x"), error);
    opening("group with a line break", 2, QStringLiteral("a\nb"), error);
    opening("subject ..", 3, QStringLiteral(".."), invalid);
    opening("subject with a slash", 3, kSubject + "/Тесты", invalid);
    opening("subject not there", 3, QStringLiteral("Физика"), error);
    opening("variant outside the tests folder", 4, QStringLiteral("../../Секрет.txt"), invalid);
    opening("file of the tests folder that is no variant", 4, QStringLiteral("ключи.doc"), invalid);
    QTest::newRow("too few fields") << QStringList() << open.mid(0, 4) << invalid;
    QTest::newRow("unknown request") << QStringList() << QStringList{"KEY"} << invalid;
    finishing("finish before open", {}, {"ru_RU", "2", "AB"});
    finishing("missing answer count", open, {"ru_RU", "AB"});
    finishing("count that does not fit the variant", open, {"ru_RU", "3", "ABC"});
    finishing("answer outside A-E", open, {"ru_RU", "2", "AF"});
    finishing("locale name with more in it", open, {"ru_RU.UTF-8/../x", "2", "AB"});
}

void TestExamKeeper::craftedRequestsAreRefused() {
    QFETCH(QStringList, opening);
    QFETCH(QStringList, fields);
    QFETCH(QString, verb);
    ExamKeeper keeper(m_content->contentDir(), [] { return kWhen; });
    if (!opening.isEmpty())
        QCOMPARE(reply(keeper.handle(request(opening))).value(0), QLatin1String(kOk));
    QCOMPARE(reply(keeper.handle(request(fields))).value(0), verb);
    QCOMPARE(keeper.broken(), verb == QLatin1String(kInvalid));
    QVERIFY(!QFile::exists(m_content->contentDir() + kSubject + QStringLiteral("/Тесты/Отчеты")));
}

void TestExamKeeper::onlyTheShownTextLeavesTheKeeper() {
    ExamKeeper keeper(m_content->contentDir(), [] { return kWhen; });
    QCOMPARE(reply(keeper.handle(request({QLatin1String(kList), kSubject}))),
             (QStringList{QLatin1String(kOk), kVariant}));
    const QStringList opened = reply(keeper.handle(request(openFields())));
    // OK, two keys, the file's version, the questions as shown (key line without its accent).
    QCOMPARE(opened.mid(0, 2), (QStringList{QLatin1String(kOk), QStringLiteral("2")}));
    QCOMPARE(opened.mid(3),
             (QStringList{QStringLiteral("Вопрос 1\nA) да\nA\n"), QStringLiteral("Вопрос 2\n")}));
    // The version changes with every save of the variant, and only then.
    const QString version = opened.value(2);
    QVERIFY(!version.isEmpty());
    const QStringList open = openFields();
    QCOMPARE(reply(keeper.handle(request(open))).value(2), version);
    m_content->makePacked(kTests + kVariant, kText);
    QVERIFY(reply(keeper.handle(request(open))).value(2) != version);
}

void TestExamKeeper::reportIsStoredBeforeTheScoreLeaves_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain name") << QStringLiteral("Иван");
    // Stored as the byte 0xA0, in the file's name and in its text alike.
    QTest::newRow("no-break space") << QStringLiteral("Иван\u00A0Петров");
}

void TestExamKeeper::reportIsStoredBeforeTheScoreLeaves() {
    QFETCH(QString, name);
    ExamKeeper keeper(m_content->contentDir(), [] { return kWhen; });
    keeper.handle(request(openFields(name)));
    const QStringList finished =
        reply(keeper.handle(request({QLatin1String(kFinish), "ru_RU", "2", "B-"})));
    QCOMPARE(finished.value(0), QLatin1String(kOk));
    const QString file =
        m_content->contentDir() + kSubject + QStringLiteral("/Тесты/Отчеты/") + name + "(0)";
    const QByteArray stored = TestHelpers::unpacked(file);
    QCOMPARE(stored, TextLines::fromEditorText(finished.value(1)));
    QVERIFY(stored.startsWith(CodePage::encode(QStringLiteral("Имя фамилия: ") + name) + "\r\n"));
    QVERIFY(
        finished.value(1).contains(QStringLiteral("05.03.2014     09:07:41\nВопрос № 1- Правильно "
                                                  "\nВопрос № 2- Неправильно \n")));
}

void TestExamKeeper::realProgramKeepsToItsOwnTree() {
    // Copied into the tree's program folder, it finds the tree from any working folder.
    const QString keeper = m_content->programDir() + QStringLiteral("normakurs-exam");
    QVERIFY(QFile::copy(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-exam"), keeper));
    QProcess process;
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start(keeper, {});
    QVERIFY(process.waitForStarted());
    process.write(encode(openFields()) + encode({QLatin1String(kFinish), "C", "2", "AB"}) +
                  encode({QLatin1String(kOpen), "Иван", "ИС-21", "..", kVariant}) +
                  encode({QLatin1String(kList), kSubject}));
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());
    const QList<QByteArray> replies = process.readAllStandardOutput().split('\n');
    // The crafted third request ends the talk: the fourth gets no answer.
    QCOMPARE(replies.size(), 4);
    QVERIFY(replies.at(0).startsWith("OK\t2\t"));
    QVERIFY(replies.at(1).startsWith("OK\tИмя фамилия: Иван%0AГруппа: ИС-21"));
    QVERIFY(replies.at(2).startsWith("INVALID\t"));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(QFile::exists(m_content->contentDir() + kSubject +
                          QStringLiteral("/Тесты/Отчеты/Иван(0)")));
}

QTEST_GUILESS_MAIN(TestExamKeeper)
#include "TestExamKeeper.moc"
