// The end of a test: scoring, the report text line by line (with an injected clock and
// regional settings), and the report files with their numbering.

#include "CodePage.h"
#include "Failure.h"
#include "PackedText.h"
#include "ReportFile.h"
#include "ReportText.h"
#include "Scoring.h"
#include "support/TestHelpers.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

using TestHelpers::bytes;
using TestHelpers::entriesOf;
using TestHelpers::readAll;
using TestHelpers::unpacked;

const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

const QDateTime kWhen(QDate(2014, 3, 5), QTime(9, 7, 41));

TestAttempt knownAttempt() {
    TestAttempt attempt;
    attempt.StudentName = QStringLiteral("Иван Петров");
    attempt.GroupName = QStringLiteral("ИС-21");
    attempt.SubjectName = QStringLiteral("Алгоритмы");
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    attempt.AnswerKey = QByteArray("CDB");
    attempt.Answers = QByteArray("CA\0", 3);
    return attempt;
}

// The report of knownAttempt() at kWhen with Russian settings.
QStringList knownReport() {
    return {QStringLiteral("Имя фамилия: Иван Петров"),
            QStringLiteral("Группа: ИС-21"),
            QStringLiteral("Предмет: Алгоритмы"),
            QStringLiteral("Тест: Вариант 1.txt"),
            QStringLiteral("05.03.2014     09:07:41"),
            QStringLiteral("Вопрос № 1- Правильно "),
            QStringLiteral("Вопрос № 2- Неправильно "),
            QStringLiteral("Вопрос № 3- Неправильно "),
            QStringLiteral("Всего вопросов: 3"),
            QStringLiteral("Правильно: 1    (33,3333333333333 %)"),
            QStringLiteral("Неправильно: 2")};
}

// The report as the file holds it: Windows-1251, CR LF after every line, the last one too.
QByteArray fileText(const QStringList& lines) {
    return TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(data), data.size());
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    // Scoring
    void verdicts_data();
    void verdicts();

    // Report text
    void percentText_data();
    void percentText();
    void dateTimeLine_data();
    void dateTimeLine();
    void reportLines_data();
    void reportLines();
    void linesAsWindows1251Bytes();

    // Report files
    void reportName_data();
    void reportName();
    void savedFileDecodesToTheReport();
    void takesLowestFreeNumber_data();
    void takesLowestFreeNumber();
    void copiedReportsKeepTheirNumbers();
    void twoSavesGiveTwoFiles();
    void otherNamesDoNotCount();
    void unusableFolderFailsAndCreatesNothing_data();
    void unusableFolderFailsAndCreatesNothing();
};

// Scoring ---------------------------------------------------------------------------------

void TestReport::verdicts_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QVector<bool>>("expected");
    QTest::addColumn<int>("right");

    QTest::newRow("all right") << QByteArray("ABC") << QByteArray("ABC")
                               << QVector<bool>{true, true, true} << 3;
    QTest::newRow("mixed") << QByteArray("CDB") << QByteArray("CA\0", 3)
                           << QVector<bool>{true, false, false} << 1;
    QTest::newRow("unanswered") << QByteArray("AB") << QByteArray(2, '\0')
                                << QVector<bool>{false, false} << 0;
    QTest::newRow("key 0 unanswered")
        << QByteArray("\0", 1) << QByteArray(1, '\0') << QVector<bool>{true} << 1;
    QTest::newRow("key 0 answered")
        << QByteArray("\0", 1) << QByteArray("A") << QVector<bool>{false} << 0;
    QTest::newRow("cyrillic А against A")
        << bytes({0xC0}) << QByteArray("A") << QVector<bool>{false} << 0;
    QTest::newRow("fewer slots than keys")
        << QByteArray("ABCD") << QByteArray("AB") << QVector<bool>{true, true, false, false} << 2;
    QTest::newRow("no key") << QByteArray() << QByteArray() << QVector<bool>{} << 0;
}

void TestReport::verdicts() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, answers);
    QFETCH(QVector<bool>, expected);
    QFETCH(int, right);

    const QVector<bool> verdicts = Scoring::verdicts(key, answers);
    QCOMPARE(verdicts, expected); // one verdict per key entry
    QCOMPARE(Scoring::rightCount(verdicts), right);
}

// Report text -----------------------------------------------------------------------------

void TestReport::percentText_data() {
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("total");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    struct Row {
        int right;
        int total;
        const char* russian;
    };
    const Row rows[] = {
        {2, 3, "66,6666666666667"},
        {1, 3, "33,3333333333333"},
        {3, 3, "100"},
        {1, 8, "12,5"},
        {5, 7, "71,4285714285714"},
        {0, 5, "0"},
        {1, 7, "14,2857142857143"},
        {7, 9, "77,7777777777778"},
        {1, 6, "16,6666666666667"},
        {1, 300, "0,333333333333333"},
        {1, 200, "0,5"},
        {1, 1600, "0,0625"},
        {1, 1, "100"},
        {50, 100, "50"},
    };
    for (const Row& row : rows) {
        const QString russian = QString::fromUtf8(row.russian);
        QString english = russian;
        english.replace(QLatin1Char(','), QLatin1Char('.'));
        QTest::addRow("%d of %d, Russian", row.right, row.total)
            << row.right << row.total << kRussian << russian;
        QTest::addRow("%d of %d, English", row.right, row.total)
            << row.right << row.total << kEnglish << english;
    }
    // Neither an exponent nor digit grouping, however small or exact the share.
    QTest::newRow("tiny share") << 1 << 100000 << kRussian << "0,001";
    QTest::newRow("tinier share") << 1 << 3000000 << kRussian << "0,0000333333333333333";
    QTest::newRow("many keys") << 99999 << 100000 << kRussian << "99,999";
}

void TestReport::percentText() {
    QFETCH(int, right);
    QFETCH(int, total);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(ReportText::percentText(right, total, locale), expected);
}

void TestReport::dateTimeLine_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("Russian morning") << kWhen << kRussian << "05.03.2014     09:07:41";
    QTest::newRow("Russian evening") << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 58))
                                     << kRussian << "31.12.2023     23:59:58";
    QTest::newRow("English morning") << kWhen << kEnglish << "3/5/14     9:07:41 AM";
    QTest::newRow("English afternoon")
        << QDateTime(QDate(2014, 3, 5), QTime(21, 7, 41)) << kEnglish << "3/5/14     9:07:41 PM";
    QTest::newRow("zone given") << QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41), Qt::UTC)
                                << kRussian << "05.03.2014     09:07:41";
}

void TestReport::dateTimeLine() {
    QFETCH(QDateTime, when);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(ReportText::dateTimeLine(when, locale), expected);
}

void TestReport::reportLines_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("answers");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected"); // from the date line on

    // The date line, a verdict line per mark ('+' right, '-' wrong), then the totals.
    const auto report = [](const QString& date, const QString& marks, const char* percent) {
        QStringList lines{date};
        for (int i = 0; i < marks.size(); ++i)
            lines << QStringLiteral("Вопрос № %1- %2 ")
                         .arg(i + 1)
                         .arg(marks.at(i) == u'+' ? "Правильно" : "Неправильно");
        const qsizetype right = marks.count(u'+');
        return lines << QStringLiteral("Всего вопросов: %1").arg(marks.size())
                     << QStringLiteral("Правильно: %1    (%2 %)").arg(right).arg(percent)
                     << QStringLiteral("Неправильно: %1").arg(marks.size() - right);
    };
    const QString date = knownReport().at(4);
    QTest::newRow("known attempt")
        << knownAttempt().AnswerKey << knownAttempt().Answers << kRussian << knownReport().mid(4);
    // Four key entries, say for two questions: the unanswered ones are wrong unless the key is 0.
    QTest::newRow("surplus keys") << QByteArray("AB\0D", 4) << QByteArray("A\0\0\0", 4) << kRussian
                                  << report(date, "+-+-", "50");
    QTest::newRow("English, 12 keys") // numbers of two digits
        << QByteArray("ABCDEABCDEAB") << QByteArray("ABCDEABCDEAE") << kEnglish
        << report("3/5/14     9:07:41 AM", "+++++++++++-", "91.6666666666667");
    QTest::newRow("no keys") << QByteArray() << QByteArray() << kRussian << report(date, "", "0");
}

void TestReport::reportLines() {
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, answers);
    QFETCH(QLocale, locale);
    QFETCH(QStringList, expected);

    TestAttempt attempt = knownAttempt();
    attempt.AnswerKey = key;
    attempt.Answers = answers;
    QCOMPARE(ReportText::lines(attempt, Scoring::verdicts(key, answers), kWhen, locale),
             knownReport().mid(0, 4) + expected);
}

void TestReport::linesAsWindows1251Bytes() {
    const TestAttempt attempt = knownAttempt();
    const QStringList lines = ReportText::lines(
        attempt, Scoring::verdicts(attempt.AnswerKey, attempt.Answers), kWhen, kRussian);
    const QByteArray file = fileText(lines);
    const QList<QByteArray> fileLines = file.split('\n');
    QCOMPARE(fileLines.size(), lines.size() + 1);
    QCOMPARE(fileLines.last(), QByteArray()); // the last line ends with CR LF too

    // "Вопрос № 1- Правильно " with the number sign as Windows-1251 byte B9 and the final blank.
    QCOMPARE(fileLines.at(5),
             bytes({0xC2, 0xEE, 0xEF, 0xF0, 0xEE, 0xF1, ' ',  0xB9, ' ',  '1', '-', ' ',
                    0xCF, 0xF0, 0xE0, 0xE2, 0xE8, 0xEB, 0xFC, 0xED, 0xEE, ' ', '\r'}));
    QCOMPARE(fileLines.at(4), QByteArray("05.03.2014     09:07:41\r"));
    // "Правильно: 1    (33,3333333333333 %)"
    QCOMPARE(fileLines.at(9), bytes({0xCF, 0xF0, 0xE0, 0xE2, 0xE8, 0xEB, 0xFC, 0xED, 0xEE, ':'}) +
                                  QByteArray(" 1    (33,3333333333333 %)\r"));
    // "Имя фамилия: " with a small ф.
    QVERIFY(fileLines.at(0).startsWith(
        bytes({0xC8, 0xEC, 0xFF, ' ', 0xF4, 0xE0, 0xEC, 0xE8, 0xEB, 0xE8, 0xFF, ':', ' '})));
    QVERIFY(file.endsWith("\xCD\xE5\xEF\xF0\xE0\xE2\xE8\xEB\xFC\xED\xEE: 2\r\n"));
    QCOMPARE(file.count("\r\n"), 11);
    QCOMPARE(file.count('\n'), 11);
}

// Report files ----------------------------------------------------------------------------

void TestReport::reportName_data() {
    QTest::addColumn<QString>("student");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first") << QStringLiteral("Иван") << 0 << QStringLiteral("Иван(0)");
    QTest::newRow("blank in name")
        << QStringLiteral("Иван Петров") << 17 << QStringLiteral("Иван Петров(17)");
    QTest::newRow("last") << QStringLiteral("Анна") << 255 << QStringLiteral("Анна(255)");
}

void TestReport::reportName() {
    QFETCH(QString, student);
    QFETCH(int, number);
    QFETCH(QString, expected);
    QCOMPARE(ReportFile::reportName(student, number), expected);
}

void TestReport::savedFileDecodesToTheReport() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray text = fileText(knownReport());
    const QString written = ReportFile::saveNew(dir.path(), QStringLiteral("Иван Петров"), text);
    QCOMPARE(written, dir.path() + QStringLiteral("/Иван Петров(0)"));
    QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("Иван Петров(0)")});

    const QByteArray stored = readAll(written);
    QVERIFY(stored.startsWith("\x78\xDA")); // a packed text, not the plain bytes
    QCOMPARE(unpacked(written), text);
    QCOMPARE(CodePage::decode(unpacked(written)),
             knownReport().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

void TestReport::takesLowestFreeNumber_data() {
    QTest::addColumn<QList<int>>("present");
    QTest::addColumn<int>("expected");
    QTest::newRow("none") << QList<int>{} << 0;
    QTest::newRow("0 and 2") << QList<int>{0, 2} << 1;
    QTest::newRow("0 1 2") << QList<int>{0, 1, 2} << 3;
    QTest::newRow("only 1") << QList<int>{1} << 0;
    QTest::newRow("all but 254") << [] {
        QList<int> all;
        for (int n = 0; n < 256; ++n) {
            if (n != 254)
                all.append(n);
        }
        return all;
    }() << 254;
    QList<int> all;
    for (int n = 0; n < ReportFile::kMaxReports; ++n)
        all << n;
    QTest::newRow("all taken") << all << -1; // no report, and nothing written
}

void TestReport::takesLowestFreeNumber() {
    QFETCH(QList<int>, present);
    QFETCH(int, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString student = QStringLiteral("Иван");
    for (int n : present)
        writeFile(dir.filePath(ReportFile::reportName(student, n)), "old " + QByteArray::number(n));

    const QString written = ReportFile::saveNew(dir.path(), student, "new report\r\n");
    QCOMPARE(written, expected < 0 ? QString() // no free number: no report
                                   : dir.filePath(ReportFile::reportName(student, expected)));
    if (expected >= 0)
        QCOMPARE(unpacked(written), QByteArray("new report\r\n"));
    for (int n : present) // nothing that was there is touched
        QCOMPARE(readAll(dir.filePath(ReportFile::reportName(student, n))),
                 "old " + QByteArray::number(n));
    QCOMPARE(entriesOf(dir.path()).size(), present.size() + (expected < 0 ? 0 : 1));
}

void TestReport::copiedReportsKeepTheirNumbers() {
    // Reports copied from a Windows system are named in Windows-1251 bytes; a new report under
    // the same name in UTF-8 would hide one of them from the listing, so their numbers are taken.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString student = QStringLiteral("Иван");
    const QByteArray copied =
        QFile::encodeName(dir.path()) + '/' + CodePage::encode(ReportFile::reportName(student, 0));
    writeFile(dir.filePath(QStringLiteral("tmp")), "old");
    QCOMPARE(::rename(QFile::encodeName(dir.filePath(QStringLiteral("tmp"))).constData(),
                      copied.constData()),
             0);
    const QString written = ReportFile::saveNew(dir.path(), student, "new report\r\n");
    QCOMPARE(written, dir.filePath(ReportFile::reportName(student, 1)));
    QCOMPARE(::unlink(copied.constData()), 0);
}

void TestReport::twoSavesGiveTwoFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = ReportFile::saveNew(dir.path(), QStringLiteral("Иван"), "first\r\n");
    const QString second = ReportFile::saveNew(dir.path(), QStringLiteral("Иван"), "second\r\n");
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("Иван(0)"));
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("Иван(1)"));
    QCOMPARE(unpacked(first), QByteArray("first\r\n"));
    QCOMPARE(unpacked(second), QByteArray("second\r\n"));
}

void TestReport::otherNamesDoNotCount() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder of the report's name is taken like a file; other students' reports are not.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Иван(0)")));
    writeFile(dir.filePath(QStringLiteral("Иван Петров(1)")), "x");
    writeFile(dir.filePath(QStringLiteral("иван(1)")), "x");
    writeFile(dir.filePath(QStringLiteral("Иван(1).txt")), "x");

    const QString written = ReportFile::saveNew(dir.path(), QStringLiteral("Иван"), "r\r\n");
    QCOMPARE(QFileInfo(written).fileName(), QStringLiteral("Иван(1)"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("Иван(0)"))).isDir());
    QCOMPARE(readAll(dir.filePath(QStringLiteral("иван(1)"))), QByteArray("x"));

    const QString other = ReportFile::saveNew(dir.path(), QStringLiteral("Иван Петров"), "r\r\n");
    QCOMPARE(QFileInfo(other).fileName(), QStringLiteral("Иван Петров(0)"));
}

void TestReport::unusableFolderFailsAndCreatesNothing_data() {
    QTest::addColumn<bool>("fileInItsPlace");
    QTest::newRow("missing folder") << false;
    QTest::newRow("file in its place") << true;
}

void TestReport::unusableFolderFailsAndCreatesNothing() {
    QFETCH(bool, fileInItsPlace);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString reports = dir.filePath(QStringLiteral("Отчеты"));
    if (fileInItsPlace)
        writeFile(reports, "a file");
    QString message;
    try {
        ReportFile::saveNew(reports, QStringLiteral("Иван"), "report\r\n");
    } catch (const Failure& failure) {
        message = failure.message();
    }
    QVERIFY2(message.startsWith(QStringLiteral("Cannot create file \"")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("Иван(0)")), qPrintable(message));
    QCOMPARE(entriesOf(dir.path()),
             fileInItsPlace ? QStringList{QStringLiteral("Отчеты")} : QStringList());
    if (fileInItsPlace)
        QCOMPARE(readAll(reports), QByteArray("a file"));
}

QTEST_GUILESS_MAIN(TestReport)
#include "TestReport.moc"
