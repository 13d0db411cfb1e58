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
const QString kTests = QStringLiteral("Content/") + kSubject + QStringLiteral("/Тесты/");

QStringList openFields(const QString& name = QStringLiteral("Иван")) {
    return {kOpen, name, QStringLiteral("ИС-21"), kSubject, kVariant};
}

} // namespace

class TestExamKeeper : public QObject {
    Q_OBJECT

    std::optional<TempContentTree> m_content; // each made afresh for a test
    std::optional<ExamKeeper> m_keeper;

    QStringList ask(const QByteArray& line) {
        return decode(m_keeper->handle(line).chopped(1)).value_or(QStringList{"<undecodable>"});
    }
    QStringList ask(const QStringList& fields) { return ask(encode(fields).chopped(1)); }
    QString reports() const { return m_content->contentDir() + kSubject + "/Тесты/Отчеты/"; }

private slots:
    void init() {
        m_content.emplace();
        m_content->makePacked(kTests + kVariant, kText);
        m_content->makeFile(kTests + QStringLiteral("ключи.doc"), "secret");
        m_content->makeFile(QStringLiteral("Content/Секрет.txt"), "outside");
        m_keeper.emplace(m_content->contentDir(),
                         [] { return QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41)); });
    }

    void fieldsSurviveThePipe_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("escapes") << QStringList{"a\tb", "100%25", "x\r\ny\n"};
        QTest::newRow("byte order marks") << QStringList{"\uFEFF\uFEFF", "\uFEFFИван"};
        QTest::newRow("no-break space, empty") << QStringList{"", "Иван\u00A0Петров", ""};
    }
    void fieldsSurviveThePipe() {
        QFETCH(QStringList, fields);
        const QByteArray line = encode(fields);
        QCOMPARE(line.indexOf('\n'), line.size() - 1);
        QCOMPARE(decode(line.chopped(1)), std::optional<QStringList>(fields));
    }

    void refusals_data() {
        QTest::addColumn<bool>("opened"); // an exam is open before the request
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("reply"); // how the reply starts, its fields joined by tabs
        auto row = [](const char* name, bool opened, const QStringList& fields, const char* reply) {
            QTest::newRow(name) << opened << encode(fields).chopped(1) << QString(reply);
        };
        auto opening = [&](const char* name, int field, const QString& value, const char* reply) {
            QStringList fields = openFields();
            fields[field] = value;
            row(name, false, fields, reply);
        };
        auto finishing = [&](const char* name, bool opened, const QStringList& fields) {
            row(name, opened, QStringList{kFinish} + fields, kInvalid);
        };
        auto broken = [](const char* name, const char* line) {
            QTest::newRow(name) << false << QByteArray(line) << "INVALID\tnot a request line";
        };
        broken("control character", "LIST\x01x");
        broken("cut escape", "LIST\t%0");
        broken("not hex", "LIST\t%ZZ");
        broken("escaped plain character", "LIST\t%41");
        broken("not UTF-8", "LIST\t\xC0\xAF");
        opening("name with a slash", 1, "../x", kError);
        opening("group with a line break", 2, "a\nb", kError);
        opening("subject ..", 3, "..", kInvalid);
        opening("subject with a slash", 3, kSubject + "/Тесты", kInvalid);
        opening("subject not there", 3, "Физика", kError);
        opening("variant outside the tests", 4, "../../Секрет.txt", kInvalid);
        opening("tests file, no variant", 4, "ключи.doc", kInvalid);
        row("too few fields", false, openFields().mid(0, 4), kInvalid);
        row("unknown request", false, {"KEY"}, kInvalid);
        finishing("finish before open", false, {"ru_RU", "2", "AB"});
        finishing("no answer count", true, {"ru_RU", "AB"});
        finishing("count unlike the variant", true, {"ru_RU", "3", "ABC"});
        finishing("answer outside A-E", true, {"ru_RU", "2", "AF"});
        finishing("locale with more in it", true, {"ru_RU.UTF-8/../x", "2", "AB"});
    }
    void refusals() {
        QFETCH(bool, opened);
        QFETCH(QByteArray, line);
        QFETCH(QString, reply);
        if (opened)
            QCOMPARE(ask(openFields()).value(0), kOk);
        const QString replied = ask(line).join(u'\t');
        QVERIFY2(replied.startsWith(reply), qPrintable(replied));
        QCOMPARE(m_keeper->broken(), reply.startsWith(kInvalid));
        QVERIFY(!QFile::exists(reports()));
    }

    void examGoesThroughTheKeeper_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain name") << QStringLiteral("Иван");
        // Stored as the byte 0xA0, in the file's name and in its text alike.
        QTest::newRow("no-break space") << QStringLiteral("Иван\u00A0Петров");
    }
    void examGoesThroughTheKeeper() {
        QFETCH(QString, name);
        QCOMPARE(ask(QStringList{kList, kSubject}), (QStringList{kOk, kVariant}));
        const QStringList opened = ask(openFields(name));
        // OK, two keys, the file's version, the questions as shown (key line without its accent).
        QCOMPARE(opened.mid(0, 2), (QStringList{kOk, "2"}));
        QCOMPARE(opened.mid(3), (QStringList{"Вопрос 1\nA) да\nA\n", "Вопрос 2\n"}));
        // The version changes with every save of the variant, and only then.
        QCOMPARE(ask(openFields(name)).value(2), opened.value(2));
        m_content->makePacked(kTests + kVariant, kText);
        QVERIFY(ask(openFields(name)).value(2) != opened.value(2));
        // The report is stored before its text leaves.
        const QStringList finished = ask(QStringList{kFinish, "ru_RU", "2", "B-"});
        QCOMPARE(finished.value(0), kOk);
        const QByteArray stored = TestHelpers::unpacked(reports() + name + "(0)");
        QCOMPARE(stored, TextLines::fromEditorText(finished.value(1)));
        QVERIFY(stored.startsWith(CodePage::encode("Имя фамилия: " + name) + "\r\n"));
        QVERIFY(finished.value(1).contains(QStringLiteral(
            "05.03.2014     09:07:41\nВопрос № 1- Правильно \nВопрос № 2- Неправильно \n")));
    }

    void realProgramKeepsToItsOwnTree() {
        // Copied into the tree's program folder, it finds the tree from any working folder.
        const QString keeper = m_content->programDir() + QStringLiteral("normakurs-exam");
        QVERIFY(QFile::copy(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-exam"), keeper));
        QProcess process;
        process.setWorkingDirectory(QStringLiteral("/"));
        process.start(keeper);
        QVERIFY(process.waitForStarted());
        process.write(encode(openFields()) + encode({kFinish, "C", "2", "AB"}) +
                      encode({kOpen, "Иван", "ИС-21", "..", kVariant}) + encode({kList, kSubject}));
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        const QList<QByteArray> replies = process.readAllStandardOutput().split('\n');
        // The crafted third request ends the talk: the fourth gets no answer.
        QCOMPARE(replies.size(), 4);
        QVERIFY(replies.at(0).startsWith("OK\t2\t"));
        QVERIFY(replies.at(1).startsWith("OK\tИмя фамилия: Иван%0AГруппа: ИС-21"));
        QVERIFY(replies.at(2).startsWith("INVALID\t"));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(QFile::exists(reports() + "Иван(0)"));
    }
};

QTEST_GUILESS_MAIN(TestExamKeeper)
#include "TestExamKeeper.moc"
