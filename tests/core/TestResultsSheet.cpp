// The results sheet: what it says about the rows it is given, and the PDF that
// "normakurs-text journal --pdf" makes of a long sheet, read back as its reader reads it.

#include "PackedText.h"
#include "ResultsSheet.h"
#include "support/PdfText.h"
#include "support/ToolRun.h"
#include "TextLines.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

namespace {

ReportRecord row(const QString& student, const QString& test, const QString& date,
                 std::optional<int> right, std::optional<int> total) {
    ReportRecord r;
    std::tie(r.student, r.test, r.date, r.right, r.total) =
        std::tie(student, test, date, right, total);
    return r;
}

} // namespace

class TestResultsSheet : public QObject {
    Q_OBJECT

private slots:
    void sheet_data() {
        QTest::addColumn<QVector<ReportRecord>>("rows");
        QTest::addColumn<QStringList>("says");
        const QString v1 = QStringLiteral("Вариант 1.txt");
        QTest::newRow("one test, mean rounded half up")
            << QVector<ReportRecord>{row("Анна", v1, "05.03.2014", 1, 3),
                                     row("Борис", v1, "06.03.2014", 2, 3)}
            << QStringList{"Тест: <b>Вариант 1.txt</b>", "Отчётов: <b>2</b>",
                           "Средний процент: <b>50.0</b>", "Даты: <b>05.03.2014 — 06.03.2014</b>",
                           "<td align=\"center\">2 / 3</td><td align=\"right\">66.7</td>"};
        QTest::newRow("tests differ, a row without counts, dates out of order")
            << QVector<ReportRecord>{row("Анна", v1, "06.03.2014", 1, 2),
                                     row("Борис", "Вариант 2.txt", "05.03.2014", {}, {}),
                                     row("Вера", v1, "не дата", 0, 2)}
            << QStringList{"Тест: <b>разные (2)</b>", "Средний процент: <b>25.0</b>",
                           "Даты: <b>05.03.2014 — 06.03.2014</b>", "<td align=\"center\">—</td>"};
        QTest::newRow("names are text, not markup")
            << QVector<ReportRecord>{row("<b>Ира</b> & Ко", v1, "x", 0, 0)}
            << QStringList{"&lt;b&gt;Ира&lt;/b&gt; &amp; Ко", "Средний процент: <b>—</b>",
                           "Даты: <b>—</b>"};
    }

    void sheet() {
        QFETCH(QVector<ReportRecord>, rows);
        QFETCH(QStringList, says);
        const QString html = ResultsSheet::html(rows, QStringLiteral("Курс"), QLocale::c());
        for (const QString& text : says)
            QVERIFY2(html.contains(text), qPrintable(text));
        QCOMPARE(html.count(QStringLiteral("<tr>")), rows.size() + 1);
    }

    void longSheetAsPdf() {
        QTemporaryDir dir;
        const QString content = dir.filePath(QStringLiteral("Content"));
        QVERIFY(QDir().mkpath(content + QStringLiteral("/Алгебра/Тесты/Отчеты")));
        for (int i = 1; i <= 120; ++i)
            PackedText::SaveToStream(
                content + QStringLiteral("/Алгебра/Тесты/Отчеты/Студент%1(0)").arg(i),
                TextLines::fromEditorText(QString::asprintf(
                    "Имя фамилия: Студент%03d Петров\nГруппа: ИС-2%d\nПредмет: Алгебра\n"
                    "Тест: Вариант 1.txt\n05.03.2014     9:07:41\nВсего вопросов: 20\n"
                    "Правильно: %d    (%d %%)\nНеправильно: %d\n",
                    i, i % 3, i % 21, i % 21 * 5, 20 - i % 21)));
        const QString pdf = dir.filePath(QStringLiteral("ведомость.pdf"));
        const ToolRun run = ToolRun::of(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text"),
                                        {"journal", content, "--subject", "Алгебра", "--pdf", pdf});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains(QStringLiteral("Сохранено в PDF: ведомость, отчётов 120")));
        QVERIFY(run.out.isEmpty());

        const QString text = PdfText::text(pdf);
        QVERIFY2(!text.isNull(), "pdftotext (poppler-utils) is needed");
        const int pages = PdfText::pages(pdf);
        QVERIFY(pages >= 3);
        // The header row on top of every page, the page's number at its foot, every student once.
        QCOMPARE(text.count(QStringLiteral("Имя фамилия")), pages);
        const QStringList pageTexts = text.split(QLatin1Char('\f'));
        for (int p = 0; p < pages; ++p)
            QVERIFY2(pageTexts.at(p).trimmed().endsWith(QString::number(p + 1)),
                     qPrintable(pageTexts.at(p).right(40)));
        for (int i = 1; i <= 120; ++i)
            QCOMPARE(text.count(QRegularExpression(QString::asprintf(
                         "Студент%03d Петров\\s+ИС-2%d\\s+05\\.03\\.2014\\s+%d / 20\\s", i, i % 3,
                         i % 21))),
                     1);
        QVERIFY(text.contains(QStringLiteral("Отчётов: 120.")));
        QVERIFY(text.contains(QStringLiteral("Преподаватель:")));
    }
};

QTEST_GUILESS_MAIN(TestResultsSheet)
#include "TestResultsSheet.moc"
