#include "JournalSheetButton.h"

#include "ApplicationTitle.h"
#include "Controls.h"
#include "ErrorGuard.h"
#include "Printing.h"
#include "ResultsSheet.h"

#include <QBoxLayout>
#include <QLocale>
#include <QPushButton>

namespace JournalSheetButton {

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
    const std::optional<QString> where = Printing::print(
        page, ResultsSheet::html(rows, applicationTitle(), locale), QStringLiteral("Ведомость"));
    if (!where)
        return;
    const std::optional<int> mean = ResultsSheet::meanTenths(rows);
    showNotice(ResultsSheet::printedLine(
        QStringLiteral("ведомость, отчётов %1, средний процент %2")
            .arg(rows.size())
            .arg(mean ? locale.toString(*mean / 10.0, 'f', 1) : QStringLiteral("—")),
        *where));
}

} // namespace JournalSheetButton
