// What the report tree lists: every subject, with and without reports, every entry of a
// reports folder (a sub-folder as well), nothing hidden, and the time a large tree takes.

#include "ReportListing.h"
#include "support/TempContentTree.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// "Subject: report, report | Subject:" in listing order.
QString dump(const QVector<ReportListing::Subject>& subjects) {
    QStringList parts;
    for (const ReportListing::Subject& subject : subjects) {
        parts.append(subject.name + QLatin1Char(':') +
                     (subject.reports.isEmpty()
                          ? QString()
                          : QLatin1Char(' ') + subject.reports.join(QStringLiteral(", "))));
    }
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class TestReportListing : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void subjectsWithAndWithoutReports();
    void noContentRoot();
    void tenThousandReports();

private:
    std::unique_ptr<TempContentTree> m_tree;
};

void TestReportListing::init() {
    m_tree = std::make_unique<TempContentTree>();
    QVERIFY(m_tree->isValid());
}

void TestReportListing::cleanup() {
    m_tree.reset();
}

void TestReportListing::subjectsWithAndWithoutReports() {
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Петров(0)"), "r");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иванов(1)"), "r");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Иванов(0)"), "r");
    m_tree->makeFolder(QStringLiteral("Content/Алгебра/Тесты/Отчеты/Архив"));
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Отчеты/.скрытый(0)"), "r");
    m_tree->makeFile(QStringLiteral("Content/Алгебра/Тесты/Вариант 1.txt"), "v");
    m_tree->makeFolder(QStringLiteral("Content/Геометрия/Тесты/Отчеты"));
    m_tree->makeFolder(QStringLiteral("Content/Физика/Тесты"));
    m_tree->makeFolder(QStringLiteral("Content/Химия"));
    m_tree->makeFolder(QStringLiteral("Content/.скрытый предмет/Тесты/Отчеты"));
    m_tree->makeFile(QStringLiteral("Content/не предмет.txt"), "x");

    QCOMPARE(dump(ReportListing::list(m_tree->contentDir())),
             QStringLiteral("Алгебра: Архив, Иванов(0), Иванов(1), Петров(0) | Геометрия: | "
                            "Физика: | Химия:"));
}

void TestReportListing::noContentRoot() {
    QCOMPARE(ReportListing::list(m_tree->programDir() + QStringLiteral("Нет/")).size(), 0);
}

void TestReportListing::tenThousandReports() {
    // Ten subjects with a thousand reports each.
    for (int s = 0; s < 10; ++s) {
        const QString folder =
            QStringLiteral("Content/Предмет %1/Тесты/Отчеты/").arg(s, 2, 10, QLatin1Char('0'));
        m_tree->makeFolder(folder);
        for (int r = 0; r < 1000; ++r)
            m_tree->makeFile(folder + QStringLiteral("Студент %1(0)").arg(r), QByteArray());
    }
    QElapsedTimer timer;
    timer.start();
    const QVector<ReportListing::Subject> subjects = ReportListing::list(m_tree->contentDir());
    const qint64 elapsed = timer.elapsed();
    int reports = 0;
    for (const ReportListing::Subject& subject : subjects)
        reports += int(subject.reports.size());
    QCOMPARE(subjects.size(), 10);
    QCOMPARE(reports, 10000);
    qInfo("listing 10 subjects with 10000 reports took %lld ms", elapsed);
}

QTEST_GUILESS_MAIN(TestReportListing)
#include "TestReportListing.moc"
