// "normakurs-text journal" and "normakurs-text analysis", run as separate processes over a
// content tree of reports: the CSV byte for byte against the core's writer, the analysis of a
// small set of attempts worked out by hand, both dialects, and the refusals.

#include "JournalCsv.h"
#include "JournalFilter.h"
#include "PackedText.h"
#include "ReportJournal.h"
#include "ReportText.h"
#include "support/ToolRun.h"
#include "TextLines.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kTool = QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text");
const QString kAlgebra = QStringLiteral("Алгебра");
const QString kV1 = QStringLiteral("Вариант 1.txt");

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run runTool(const QStringList& arguments) {
    const ToolRun run = ToolRun::of(kTool, arguments);
    return {run.exitCode, run.out, run.err};
}

// A report's text; `verdicts` "1" right, "0" wrong; `percent` as written (empty: the right one).
QString reportText(const QString& student, const QString& subject, const QString& test,
                   const QString& verdicts, const QString& percent = QString()) {
    QString text = QStringLiteral("Имя фамилия: %1\nГруппа: ИС-21\nПредмет: %2\nТест: %3\n"
                                  "05.03.2014     9:07:41\n")
                       .arg(student, subject, test);
    int right = 0;
    for (int k = 0; k < verdicts.size(); ++k) {
        right += verdicts.at(k) == QLatin1Char('1');
        text += QStringLiteral("Вопрос № %1- %2 \n")
                    .arg(k + 1)
                    .arg(verdicts.at(k) == QLatin1Char('1') ? QStringLiteral("Правильно")
                                                            : QStringLiteral("Неправильно"));
    }
    const int total = int(verdicts.size());
    const QString written =
        percent.isEmpty() ? ReportText::percentText(right, total, QLocale::c()) : percent;
    text += QStringLiteral("Всего вопросов: %1\nПравильно: %2    (%3 %)\nНеправильно: %4\n")
                .arg(total)
                .arg(right)
                .arg(written)
                .arg(total - right);
    return text;
}

} // namespace

class TestJournalCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void journalAsTheCoreWritesIt_data();
    void journalAsTheCoreWritesIt();
    void analysisWorkedByHand_data();
    void analysisWorkedByHand();
    void refusals_data();
    void refusals();
    void helpNamesBothCommands();

private:
    void report(const QString& subject, const QString& name, const QString& text);

    QTemporaryDir m_dir;
    QString m_content;
};

void TestJournalCommands::report(const QString& subject, const QString& name, const QString& text) {
    const QString folder = m_content + subject + QStringLiteral("/Тесты/Отчеты");
    QVERIFY(QDir().mkpath(folder));
    PackedText::SaveToStream(folder + QLatin1Char('/') + name, TextLines::fromEditorText(text));
}

void TestJournalCommands::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_content = m_dir.filePath(QStringLiteral("Content")) + QLatin1Char('/');
    // Four attempts at four questions (scores 4, 2, 3, 1), one edited report whose percent
    // does not fit and one with two questions: both excluded from the analysis.
    report(kAlgebra, QStringLiteral("Анна(0)"), reportText("Анна", kAlgebra, kV1, "1111"));
    report(kAlgebra, QStringLiteral("Борис(0)"), reportText("Борис", kAlgebra, kV1, "1100"));
    report(kAlgebra, QStringLiteral("Вера(0)"), reportText("Вера", kAlgebra, kV1, "1110"));
    report(kAlgebra, QStringLiteral("Глеб(0)"), reportText("Глеб", kAlgebra, kV1, "1000"));
    report(kAlgebra, QStringLiteral("Дина(0)"),
           reportText("Дина", kAlgebra, kV1, "1111", QStringLiteral("90")));
    report(kAlgebra, QStringLiteral("Ева(0)"), reportText("Ева, \"Е\"", kAlgebra, kV1, "11"));
    report(kAlgebra, QStringLiteral("Жанна(0)"),
           reportText("Жанна", kAlgebra, QStringLiteral("Вариант 2.txt"), "10"));
    report(QStringLiteral("Физика"), QStringLiteral("Зоя(0)"),
           reportText("Зоя", QStringLiteral("Физика"), kV1, "1"));
    // A typed name that a spreadsheet would run as a formula.
    report(QStringLiteral("История"), QStringLiteral("x(0)"),
           reportText("=1+1", QStringLiteral("История"), kV1, "1"));
}

void TestJournalCommands::journalAsTheCoreWritesIt_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("test");
    QTest::addColumn<int>("dialect");

    QTest::newRow("everything, rfc4180 by default")
        << QStringList{} << QString() << QString() << int(JournalCsv::Dialect::Rfc4180);
    QTest::newRow("one subject, excel-ru")
        << QStringList{"--subject", "Физика", "--dialect", "excel-ru"} << QStringLiteral("Физика")
        << QString() << int(JournalCsv::Dialect::ExcelRu);
    QTest::newRow("one test, with its questions")
        << QStringList{"--subject", kAlgebra, "--test", kV1} << kAlgebra << kV1
        << int(JournalCsv::Dialect::Rfc4180);
    QTest::newRow("a test of every subject")
        << QStringList{"--test", kV1, "--dialect", "rfc4180"} << QString() << kV1
        << int(JournalCsv::Dialect::Rfc4180);
}

void TestJournalCommands::journalAsTheCoreWritesIt() {
    QFETCH(QStringList, options);
    QFETCH(QString, subject);
    QFETCH(QString, test);
    QFETCH(int, dialect);
    const Run run = runTool(QStringList{"journal", m_content} + options);
    QVERIFY2(run.err.isEmpty(), run.err.toUtf8().constData());
    QCOMPARE(run.exitCode, 0);
    JournalFilter filter;
    filter.subject = subject;
    filter.test = test;
    const QVector<ReportRecord> rows = filter.apply(ReportJournal::load(m_content).rows);
    QVERIFY(!rows.isEmpty());
    QCOMPARE(run.out, JournalCsv::write(rows, JournalCsv::Dialect(dialect), !test.isEmpty()));
    QCOMPARE(run.out.contains("=1+1"), run.out.contains(",'=1+1,"));
}

void TestJournalCommands::analysisWorkedByHand_data() {
    QTest::addColumn<QString>("dialect");
    QTest::addColumn<QByteArray>("expected");

    // p = 1, 3/4, 1/2, 1/4; g = round(0.27 × 4) = 1: upper Анна (1111), lower Глеб (1000).
    // r: question 1 has no variance; question 2 against rest scores 3, 1, 2, 1 gives
    // 0.75 / sqrt(0.75 × 2.75) = 0.5222; question 3: 1 / sqrt(2) = 0.7071. Percent 100, 50, 75,
    // 25: mean and median 62.5, deviation sqrt(3125 / 3) = 32.2749. KR-20 = 4/3 × (1 − 0.625 /
    // 1.25) = 0.6667. Excluded: Дина (does not agree) and Ева (two questions).
    QTest::newRow("rfc4180") << QStringLiteral("rfc4180")
                             << QByteArray("Вопрос,p,Верхняя,Нижняя,D,r,Оценка\r\n"
                                           "1,1.0000,1.0000,1.0000,0.0000,—,слишком лёгкий\r\n"
                                           "2,0.7500,1.0000,0.0000,1.0000,0.5222,\r\n"
                                           "3,0.5000,1.0000,0.0000,1.0000,0.7071,\r\n"
                                           "4,0.2500,1.0000,0.0000,1.0000,0.5222,\r\n"
                                           "\r\n"
                                           "N,4\r\n"
                                           "Средний процент,62.5000\r\n"
                                           "Медиана,62.5000\r\n"
                                           "Отклонение,32.2749\r\n"
                                           "KR-20,0.6667\r\n"
                                           "Исключено,2\r\n");
    QTest::newRow("excel-ru") << QStringLiteral("excel-ru")
                              << QByteArray("\xEF\xBB\xBF"
                                            "Вопрос;p;Верхняя;Нижняя;D;r;Оценка\r\n"
                                            "1;1,0000;1,0000;1,0000;0,0000;—;слишком лёгкий\r\n"
                                            "2;0,7500;1,0000;0,0000;1,0000;0,5222;\r\n"
                                            "3;0,5000;1,0000;0,0000;1,0000;0,7071;\r\n"
                                            "4;0,2500;1,0000;0,0000;1,0000;0,5222;\r\n"
                                            "\r\n"
                                            "N;4\r\n"
                                            "Средний процент;62,5000\r\n"
                                            "Медиана;62,5000\r\n"
                                            "Отклонение;32,2749\r\n"
                                            "KR-20;0,6667\r\n"
                                            "Исключено;2\r\n");
}

void TestJournalCommands::analysisWorkedByHand() {
    QFETCH(QString, dialect);
    QFETCH(QByteArray, expected);
    const Run run = runTool(
        {"analysis", m_content, "--subject", kAlgebra, "--test", kV1, "--dialect", dialect});
    QVERIFY2(run.err.isEmpty(), run.err.toUtf8().constData());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out), QString::fromUtf8(expected));
}

void TestJournalCommands::refusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString missing = QStringLiteral("/nonexistent/Content");
    QTest::newRow("journal, no folder")
        << QStringList{"journal", missing} << 1 << QStringLiteral("no such content folder");
    QTest::newRow("analysis, no folder")
        << QStringList{"analysis", missing, "--subject", kAlgebra, "--test", kV1} << 1
        << QStringLiteral("no such content folder");
    QTest::newRow("journal, no such subject")
        << QStringList{"journal", m_content, "--subject", "Химия"} << 1
        << QStringLiteral("no report of subject \"Химия\"");
    QTest::newRow("analysis, no such subject")
        << QStringList{"analysis", m_content, "--subject", "Химия", "--test", kV1} << 1
        << QStringLiteral("no report of subject \"Химия\"");
    QTest::newRow("analysis, no such test")
        << QStringList{"analysis", m_content, "--subject", "Физика", "--test", "Вариант 2.txt"} << 1
        << QStringLiteral("no report of test \"Вариант 2.txt\" in subject \"Физика\"");
    QTest::newRow("analysis, one attempt")
        << QStringList{"analysis", m_content, "--subject", "Физика", "--test", kV1} << 1
        << QStringLiteral("Для анализа нужно не менее 2 попыток");
    QTest::newRow("analysis without a test")
        << QStringList{"analysis", m_content, "--subject", kAlgebra} << 2
        << QStringLiteral("analysis takes CONTENT_DIR --subject S --test V");
    QTest::newRow("unknown dialect") << QStringList{"journal", m_content, "--dialect", "excel"} << 2
                                     << QStringLiteral("unknown dialect \"excel\"");
    QTest::newRow("option without value") << QStringList{"journal", m_content, "--subject"} << 2
                                          << QStringLiteral("--subject takes a value");
    QTest::newRow("no folder given")
        << QStringList{"journal"} << 2 << QStringLiteral("no content folder given");
}

void TestJournalCommands::refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QByteArray());
}

void TestJournalCommands::helpNamesBothCommands() {
    const Run run = runTool({"--help"});
    QCOMPARE(run.exitCode, 0);
    const QString help = QString::fromUtf8(run.out);
    for (const char* usage :
         {"normakurs-text journal CONTENT_DIR [--subject S] [--test V] [--dialect D]",
          "normakurs-text analysis CONTENT_DIR --subject S --test V [--dialect D]", "rfc4180",
          "excel-ru"})
        QVERIFY2(help.contains(QString::fromUtf8(usage)), usage);
}

QTEST_MAIN(TestJournalCommands)
#include "TestJournalCommands.moc"
