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

namespace {

ReportRecord row(const QString& student, const QString& test, const QString& date,
                 std::optional<int> right, std::optional<int> total) {
    ReportRecord r;
    r.student = student;
    r.test = test;
    r.date = date;
    r.right = right;
    r.total = total;
    if (right && total)
        r.percentWritten = QString::number(*right * 100.0 / *total);
    return r;
}

QString reportText(int i, int right) {
    return QStringLiteral("Имя фамилия: Студент%1 Петров\nГруппа: ИС-2%2\nПредмет: Алгебра\n"
                          "Тест: Вариант 1.txt\n05.03.2014     9:07:41\nВсего вопросов: 20\n"
                          "Правильно: %3    (%4 %)\nНеправильно: %5\n")
        .arg(i, 3, 10, QLatin1Char('0'))
        .arg(i % 3)
        .arg(right)
        .arg(QLocale(QLocale::Russian).toString(right * 5))
        .arg(20 - right);
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
        const QString reports = dir.filePath(QStringLiteral("Content/Алгебра/Тесты/Отчеты"));
        QVERIFY(QDir().mkpath(reports));
        for (int i = 1; i <= 120; ++i)
            PackedText::SaveToStream(reports + QStringLiteral("/Студент%1(0)").arg(i),
                                     TextLines::fromEditorText(reportText(i, i % 21)));
        const QString pdf = dir.filePath(QStringLiteral("ведомость.pdf"));
        const ToolRun run = ToolRun::of(QStringLiteral(NORMAKURS_BUILD_DIR "/normakurs-text"),
                                        {"journal", dir.filePath(QStringLiteral("Content")),
                                         "--subject", "Алгебра", "--pdf", pdf});
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
            QCOMPARE(
                int(text.count(QRegularExpression(
                    QStringLiteral("Студент%1 Петров\\s+ИС-2%2\\s+05\\.03\\.2014\\s+%3 / 20\\s")
                        .arg(i, 3, 10, QLatin1Char('0'))
                        .arg(i % 3)
                        .arg(i % 21)))),
                1);
        QVERIFY(text.contains(QStringLiteral("Отчётов: 120.")));
        QVERIFY(text.contains(QStringLiteral("Преподаватель:")));
    }
};

QTEST_GUILESS_MAIN(TestResultsSheet)
#include "TestResultsSheet.moc"
