#pragma once

#include "ReportRecord.h"

#include <QVector>

#include <functional>

class QBoxLayout;
class QPushButton;
class QWidget;

// The journal page's "Печать": the rows shown (after the filters, in the table's order) as a
// results sheet, on paper or in a PDF file, and a notice saying what was printed. When the page
// shows the item analysis of a test, the analysis follows on a page of its own, with its charts.
namespace JournalSheetButton {

QPushButton* add(QWidget* page, QBoxLayout* row, std::function<QVector<ReportRecord>()> shown);

// What the button does, for the rows given.
void print(QWidget* page, const QVector<ReportRecord>& rows);

} // namespace JournalSheetButton
