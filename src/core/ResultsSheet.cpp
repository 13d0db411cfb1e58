#include "ResultsSheet.h"

#include "JournalDates.h"

#include <QDate>
#include <QSet>

namespace ResultsSheet {
namespace {

// The fonts of the program's pages, with the metric twins a Linux desktop has.
const char kFonts[] = "'Times New Roman', 'Liberation Serif', serif";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// The one value every row has, or a note that they differ.
QString common(const QVector<ReportRecord>& rows, QString ReportRecord::*field) {
    QSet<QString> values;
    for (const ReportRecord& row : rows)
        values.insert(row.*field);
    if (values.size() == 1)
        return *values.begin();
    return values.isEmpty() ? QStringLiteral("—")
                            : QStringLiteral("разные (%1)").arg(values.size());
}

// The first and the last date as the reports write them. A date is read in `locale` and, when
// that fails, as a Russian desktop writes it (the reports of a lab come from such desktops).
QString dateRange(const QVector<ReportRecord>& rows, const QLocale& locale) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QDate first;
    QDate last;
    QString from;
    QString to;
    for (const ReportRecord& row : rows) {
        QDate date = JournalDates::parseDate(row.date, locale);
        if (!date.isValid())
            date = JournalDates::parseDate(row.date, russian);
        if (!date.isValid())
            continue;
        if (!first.isValid() || date < first) {
            first = date;
            from = row.date;
        }
        if (!last.isValid() || date > last) {
            last = date;
            to = row.date;
        }
    }
    if (!first.isValid())
        return QStringLiteral("—");
    return first == last ? from : from + QStringLiteral(" — ") + to;
}

QString tenthsText(int tenths, const QLocale& locale) {
    return locale.toString(tenths / 10.0, 'f', 1);
}

} // namespace

std::optional<int> meanTenths(const QVector<ReportRecord>& rows) {
    qint64 sum = 0;
    int counted = 0;
    for (const ReportRecord& row : rows)
        if (const std::optional<int> tenths = row.percentTenths()) {
            sum += *tenths;
            ++counted;
        }
    if (counted == 0)
        return std::nullopt;
    return int((2 * sum + counted) / (2 * counted)); // rounded half up
}

QString html(const QVector<ReportRecord>& rows, const QString& course, const QLocale& locale,
             const QString& appendix) {
    QString out = QStringLiteral("<html><body style=\"font-family: %1; font-size: 11pt\">")
                      .arg(QLatin1String(kFonts));
    out += QStringLiteral("<h2 align=\"center\">Ведомость результатов тестирования</h2>");
    out += QStringLiteral("<p>Курс: <b>%1</b><br/>Предмет: <b>%2</b><br/>Тест: <b>%3</b><br/>"
                          "Даты: <b>%4</b></p>")
               .arg(escaped(course), escaped(common(rows, &ReportRecord::subject)),
                    escaped(common(rows, &ReportRecord::test)), escaped(dateRange(rows, locale)));
    out += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                          "style=\"border-collapse: collapse\">"
                          "<thead><tr><th>№</th><th>Имя фамилия</th><th>Группа</th><th>Дата</th>"
                          "<th>Верно / всего</th><th>Процент</th></tr></thead>");
    const QChar decimal = locale.decimalPoint().at(0);
    for (int i = 0; i < rows.size(); ++i) {
        const ReportRecord& row = rows.at(i);
        const QString score = row.right && row.total
                                  ? QStringLiteral("%1 / %2").arg(*row.right).arg(*row.total)
                                  : QStringLiteral("—");
        const QString percent = row.percentText(decimal);
        out += QStringLiteral("<tr><td align=\"right\">%1</td><td>%2</td><td>%3</td><td>%4</td>"
                              "<td align=\"center\">%5</td><td align=\"right\">%6</td></tr>")
                   .arg(i + 1)
                   .arg(escaped(row.student), escaped(row.group), escaped(row.date), score,
                        percent.isEmpty() ? QStringLiteral("—") : percent);
    }
    out += QStringLiteral("</table>");
    const std::optional<int> mean = meanTenths(rows);
    out += QStringLiteral("<p>Отчётов: <b>%1</b>. Средний процент: <b>%2</b>.</p>")
               .arg(rows.size())
               .arg(mean ? tenthsText(*mean, locale) : QStringLiteral("—"));
    out += QStringLiteral("<p><br/>Преподаватель: ______________________ / "
                          "______________________ /</p>");
    if (!appendix.isEmpty())
        out += QStringLiteral("<div style=\"page-break-before: always\">") + appendix +
               QStringLiteral("</div>");
    return out + QStringLiteral("</body></html>");
}

QString tableHtml(const QStringList& header, const QVector<QStringList>& rows) {
    QString out = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                                 "style=\"border-collapse: collapse\"><thead><tr>");
    for (const QString& cell : header)
        out += QStringLiteral("<th>") + escaped(cell) + QStringLiteral("</th>");
    out += QStringLiteral("</tr></thead>");
    for (const QStringList& row : rows) {
        out += QStringLiteral("<tr>");
        for (const QString& cell : row)
            out += QStringLiteral("<td>") + escaped(cell) + QStringLiteral("</td>");
        out += QStringLiteral("</tr>");
    }
    return out + QStringLiteral("</table>");
}

QString reportHtml(const QString& reportText) {
    return QStringLiteral("<html><body style=\"font-family: %1; font-size: 12pt\"><pre "
                          "style=\"font-family: %1\">%2</pre></body></html>")
        .arg(QLatin1String(kFonts), escaped(reportText));
}

QString printedLine(const QString& what, const QString& where) {
    return where.isEmpty() ? QStringLiteral("Отправлено на печать: %1").arg(what)
                           : QStringLiteral("Сохранено в PDF: %1 — %2").arg(what, where);
}

} // namespace ResultsSheet
