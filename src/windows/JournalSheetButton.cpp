#include "JournalSheetButton.h"

#include "AnalysisView.h"
#include "ApplicationTitle.h"
#include "Controls.h"
#include "ErrorGuard.h"
#include "Printing.h"
#include "ResultsSheet.h"

#include <QBoxLayout>
#include <QChartView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>

namespace JournalSheetButton {
namespace {

// The item analysis the page shows, as the sheet's appendix with the charts' pictures; empty
// when the page shows no analysis.
QString analysisHtml(const QWidget* page, QList<Printing::Image>& images) {
    const auto* view = page->findChild<AnalysisView*>();
    if (!view || view->grdQuestions->rowCount() == 0)
        return QString();
    const QTableWidget* table = view->grdQuestions;
    QStringList header;
    for (int c = 0; c < table->columnCount(); ++c)
        header.append(table->horizontalHeaderItem(c) ? table->horizontalHeaderItem(c)->text()
                                                     : QString());
    QVector<QStringList> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells.append(table->item(r, c) ? table->item(r, c)->text() : QString());
        rows.append(cells);
    }
    QString html = QStringLiteral("<h3>Анализ вопросов</h3><p>") +
                   view->lblSummary->text().toHtmlEscaped().replace(QLatin1Char('\n'),
                                                                    QStringLiteral("<br/>")) +
                   QStringLiteral("</p>");
    const QList<QPair<QString, QChartView*>> charts{
        {QStringLiteral("chart:histogram"), view->chvHistogram},
        {QStringLiteral("chart:difficulty"), view->chvDifficulty}};
    for (const auto& [name, chart] : charts) {
        if (!chart)
            continue;
        // Drawn at a size of its own, whatever room the page gives the chart on screen.
        QChartView* drawn = chart;
        const QSize onScreen = drawn->size();
        drawn->resize(720, 360);
        images.append(Printing::Image{name, drawn->grab().toImage()});
        drawn->resize(onScreen);
        html += QStringLiteral("<p><img src=\"%1\" width=\"600\"/></p>").arg(name);
    }
    return html + ResultsSheet::tableHtml(header, rows);
}

} // namespace

QPushButton* add(QWidget* page, QBoxLayout* row, std::function<QVector<ReportRecord>()> shown) {
    auto* button = Controls::named(new QPushButton(QStringLiteral("Печать"), page), "btnPrint",
                                   QStringLiteral("Печать ведомости"));
    button->setToolTip(
        QStringLiteral("Ведомость по строкам, что показаны, — на принтер или в PDF"));
    button->setAutoDefault(true);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 28);
    row->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, page,
                     [page, shown = std::move(shown)] { guarded([&] { print(page, shown()); }); });
    return button;
}

void print(QWidget* page, const QVector<ReportRecord>& rows) {
    if (rows.isEmpty()) {
        showNotice(QStringLiteral("Нет строк для ведомости: фильтры не оставили ни одного отчёта"));
        return;
    }
    const QLocale locale = QLocale::system();
    QList<Printing::Image> images;
    const QString analysis = analysisHtml(page, images);
    const std::optional<QString> where =
        Printing::print(page, ResultsSheet::html(rows, applicationTitle(), locale, analysis),
                        QStringLiteral("Ведомость"), images);
    if (!where)
        return;
    const std::optional<int> mean = ResultsSheet::meanTenths(rows);
    showNotice(ResultsSheet::printedLine(
        QStringLiteral("ведомость%1, отчётов %2, средний процент %3")
            .arg(analysis.isEmpty() ? QString() : QStringLiteral(" с анализом вопросов"))
            .arg(rows.size())
            .arg(mean ? locale.toString(*mean / 10.0, 'f', 1) : QStringLiteral("—")),
        *where));
}

} // namespace JournalSheetButton
