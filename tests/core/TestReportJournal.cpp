// The journal over a content tree whose reports the real report writer saved, its progress and
// cancelling, the date keys and the filters.

#include "ContentPaths.h"
#include "JournalDates.h"
#include "JournalFilter.h"
#include "ReportFile.h"
#include "ReportJournal.h"
#include "ReportParser.h"
#include "ReportText.h"
#include "Scoring.h"
#include "TestAttempt.h"
#include "TextLines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QLocale kRussian(QLocale::Russian, QLocale::Russia);

// Saves a report as the testing window does at the end of a test.
void saveReport(const QString& content, const QString& subject, const QString& student,
                const QString& group, const QByteArray& key, const QByteArray& answers) {
    TestAttempt attempt;
    attempt.StudentName = student;
    attempt.GroupName = group;
    attempt.SubjectName = subject;
    attempt.VariantName = QStringLiteral("Вариант 1.txt");
    attempt.AnswerKey = key;
    attempt.Answers = answers;
    const QStringList lines =
        ReportText::lines(attempt, Scoring::verdicts(key, answers),
                          QDateTime(QDate(2014, 3, 5), QTime(9, 7, 41)), kRussian);
    const QString folder = ContentPaths::reportsDir(content, subject);
    QDir().mkpath(folder);
    ReportFile::saveNew(
        folder, student,
        TextLines::fromEditorText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n')));
}

} // namespace

class TestReportJournal : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_content;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_content = m_dir.filePath(QStringLiteral("Content")) + QLatin1Char('/');
        saveReport(m_content, QStringLiteral("Физика"), QStringLiteral("Сидоров"),
                   QStringLiteral("Ф-1"), "AB", "AB");
        saveReport(m_content, QStringLiteral("Алгебра"), QStringLiteral("Петров"),
                   QStringLiteral("ИС-21"), "ABC", "ABD");
        saveReport(m_content, QStringLiteral("Алгебра"), QStringLiteral("Петров"),
                   QStringLiteral("ИС-21"), "ABC", "ABC");
        const QString reports = ContentPaths::reportsDir(m_content, QStringLiteral("Алгебра"));
        QVERIFY(QDir().mkpath(reports + QStringLiteral("/папка(0)")));
        QFile plain(reports + QStringLiteral("/заметка"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("not a report\r\n");
        plain.close();
        QFile hidden(reports + QStringLiteral("/.скрытый(0)"));
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();
        QVERIFY(QDir().mkpath(m_content + QStringLiteral("Без отчетов/Тесты")));
    }

    void oneRowPerEntry() {
        const ReportJournal::Load load = ReportJournal::load(m_content);
        QVERIFY(!load.cancelled);
        QCOMPARE(load.entries, 5);
        QStringList files;
        QStringList states;
        for (const ReportRecord& row : load.rows) {
            files << row.file();
            states << row.stateText();
        }
        QCOMPARE(files, (QStringList{"Алгебра/заметка", "Алгебра/папка(0)", "Алгебра/Петров(0)",
                                     "Алгебра/Петров(1)", "Физика/Сидоров(0)"}));
        QCOMPARE(states.at(0), QStringLiteral("не читается: Error"));
        QVERIFY2(states.at(1).startsWith(QStringLiteral("не читается: Cannot open file")),
                 qPrintable(states.at(1)));
        QCOMPARE(states.mid(2), (QStringList{QString(), QString(), QString()}));
        const ReportRecord& first = load.rows.at(2);
        QCOMPARE(first.right, std::optional<int>(2));
        QCOMPARE(first.percentText(QLatin1Char(',')), QStringLiteral("66,7"));
        QCOMPARE(first.group, QStringLiteral("ИС-21"));
        QCOMPARE(load.rows.at(3).percentText(QLatin1Char(',')), QStringLiteral("100,0"));
    }

    void missingContentIsEmpty() {
        const ReportJournal::Load load = ReportJournal::load(m_dir.filePath("nowhere/"));
        QCOMPARE(load.entries, 0);
        QVERIFY(load.rows.isEmpty());
    }

    void progressAndCancel_data() {
        QTest::addColumn<int>("stopAfter"); // -1: never
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("runs to the end") << -1 << 5 << false;
        QTest::newRow("stopped before the first") << 0 << 0 << true;
        QTest::newRow("stopped after two") << 2 << 2 << true;
        QTest::newRow("stopped at the last") << 5 << 5 << false;
    }

    void progressAndCancel() {
        QFETCH(int, stopAfter);
        QFETCH(int, rows);
        QFETCH(bool, cancelled);
        QVector<int> seen;
        const ReportJournal::Load load = ReportJournal::load(m_content, [&](int done, int total) {
            seen << done;
            return total == 5 && done != stopAfter;
        });
        QCOMPARE(load.rows.size(), rows);
        QCOMPARE(load.cancelled, cancelled);
        // Told in order, each count once or more (again while it waits for a file).
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        QVector<int> expected;
        for (int i = 0; i <= rows; ++i)
            expected << i;
        QCOMPARE(seen, expected);
    }

    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QDate>("date");
        QTest::newRow("Russian") << "05.03.2014" << kRussian << QDate(2014, 3, 5);
        QTest::newRow("English, two-digit year")
            << "3/5/14" << QLocale(QLocale::English, QLocale::UnitedStates) << QDate(2014, 3, 5);
        QTest::newRow("not a date") << "вчера" << kRussian << QDate();
        QTest::newRow("another locale's date") << "3/5/14" << kRussian << QDate();
    }

    void dates() {
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(QDate, date);
        QCOMPARE(JournalDates::parseDate(text, locale), date);
    }

    // Parsed dates in date and time order, the rest after them in text order.
    void dateOrder() {
        const QVector<JournalDates::SortKey> keys{
            JournalDates::sortKey("вчера", "", kRussian),
            JournalDates::sortKey("05.03.2014", "10:00:00", kRussian),
            JournalDates::sortKey("28.02.2014", "23:59:59", kRussian),
            JournalDates::sortKey("05.03.2014", "9:07:41", kRussian),
            JournalDates::sortKey("2014-03-01", "", kRussian)};
        QVector<JournalDates::SortKey> sorted = keys;
        std::sort(sorted.begin(), sorted.end());
        QStringList order;
        for (const JournalDates::SortKey& key : sorted)
            order << key.text.simplified();
        QCOMPARE(order, (QStringList{"28.02.2014 23:59:59", "05.03.2014 9:07:41",
                                     "05.03.2014 10:00:00", "2014-03-01", "вчера"}));
    }

    void filters_data() {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("shown");
        QTest::newRow("none") << ""
                              << ""
                              << "" << 5;
        QTest::newRow("subject") << "Алгебра"
                                 << ""
                                 << "" << 2;
        QTest::newRow("group") << ""
                               << "Ф-1"
                               << "" << 1;
        QTest::newRow("search ignores case") << ""
                                             << ""
                                             << "пЕТР" << 2;
        QTest::newRow("all three") << "Алгебра"
                                   << "ИС-21"
                                   << "сид" << 0;
    }

    void filters() {
        QFETCH(QString, subject);
        QFETCH(QString, group);
        QFETCH(QString, search);
        QFETCH(int, shown);
        const QVector<ReportRecord> rows = ReportJournal::load(m_content).rows;
        JournalFilter filter;
        filter.subject = subject;
        filter.group = group;
        filter.search = search;
        QCOMPARE(filter.apply(rows).size(), shown);
    }

    // Each row is what its file gives read alone, also where the row before holds some of its
    // texts alike (a longer group, the same length of another, an unreadable report between).
    void rowsAsEachFileAlone() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString content = dir.filePath(QStringLiteral("Content")) + QLatin1Char('/');
        const QString subject = QStringLiteral("Химия");
        const QString folder = ContentPaths::reportsDir(content, subject);
        const QList<QStringList> reports = {
            {"Андреев", "ИС-21", "AB", "AB"},      {"Андреев", "ИС-21", "AB", "AA"},
            {"Борисов", "ИС-211", "ABC", "ABC"},   {"Васильев", "ИС-22", "ABC", "CBA"},
            {"Васильев", "ИС-22", "ABCD", "ABCD"},
        };
        for (const QStringList& r : reports)
            saveReport(content, subject, r.at(0), r.at(1), r.at(2).toLatin1(), r.at(3).toLatin1());
        QFile plain(folder + QStringLiteral("/Борисов(1)"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("not a report\r\n");
        plain.close();

        const ReportJournal::Load load = ReportJournal::load(content);
        QCOMPARE(load.rows.size(), 6);
        QStringList groups;
        for (const ReportRecord& row : load.rows) {
            ReportRecord alone;
            ReportParser::parseFile(folder + QLatin1Char('/') + row.reportName, alone);
            const auto fields = [](const ReportRecord& r) {
                return QStringList{r.student, r.group, r.subject,        r.test,
                                   r.date,    r.time,  r.percentWritten, r.stateText()};
            };
            QCOMPARE(fields(row), fields(alone));
            QCOMPARE(row.verdicts, alone.verdicts);
            groups << row.group;
        }
        QCOMPARE(groups, (QStringList{"ИС-21", "ИС-21", "ИС-211", QString(), "ИС-22", "ИС-22"}));
    }

    // The account column: a name, a number the system knows no account by, or nothing.
    void ownerOfEachEntry_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("uid");
        QTest::addColumn<QString>("owner");
        QTest::newRow("report, nobody") << "Петров(0)" << 65534 << "nobody";
        QTest::newRow("report, unknown account") << "Петров(0)" << 3999999 << "3999999";
        QTest::newRow("not a report") << "заметка" << 3999998 << "3999998";
        QTest::newRow("folder") << "папка(0)" << 3999999 << "";
    }

    void ownerOfEachEntry() {
        QFETCH(QString, entry);
        QFETCH(int, uid);
        QFETCH(QString, owner);
        if (::geteuid() != 0)
            QSKIP("giving a file to another account takes root");
        // The shared tree's entries: nothing else reads their owners.
        const QString path = ContentPaths::reportsDir(m_content, QStringLiteral("Алгебра")) +
                             QLatin1Char('/') + entry;
        QCOMPARE(::chown(QFile::encodeName(path).constData(), uid_t(uid), gid_t(-1)), 0);
        QStringList owners;
        for (const ReportRecord& row : ReportJournal::load(m_content).rows)
            owners << row.reportName + QLatin1Char('=') + row.ownerText();
        QVERIFY2(owners.contains(entry + QLatin1Char('=') + owner), qPrintable(owners.join(' ')));
    }

    void choices() {
        const QVector<ReportRecord> rows = ReportJournal::load(m_content).rows;
        QCOMPARE(JournalChoices::subjects(rows), (QStringList{"Алгебра", "Физика"}));
        QCOMPARE(JournalChoices::groups(rows), (QStringList{"ИС-21", "Ф-1"}));
        QCOMPARE(JournalChoices::tests(rows), QStringList{"Вариант 1.txt"});
    }
};

QTEST_GUILESS_MAIN(TestReportJournal)
#include "TestReportJournal.moc"
