#pragma once

#include "ReportRecord.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>

// The results sheet a department keeps on paper: the rows of the journal as a table with the
// course, subject, test and dates above it, the count and the mean below, and a line for the
// teacher's signature. Made as HTML for the toolkit's text document, which lays it out on A4
// pages, repeats the table's header row on every page and numbers the pages.
namespace ResultsSheet {

// `rows` in the order they are to be printed; dates are read and written in `locale`.
// `appendix`, HTML, follows the signature line on a page of its own.
QString html(const QVector<ReportRecord>& rows, const QString& course, const QLocale& locale,
             const QString& appendix = QString());

// A table whose header row is repeated on every page it runs on.
QString tableHtml(const QStringList& header, const QVector<QStringList>& rows);

// An open report's text as a page to print, in the reports' font, lines kept as they are.
QString reportHtml(const QString& reportText);

// "Ведомость: отчётов 120, средний процент 66,7 — файл.pdf" and the like: what was printed.
QString printedLine(const QString& what, const QString& where);

// The mean of the rows' percents in tenths; unset when no row has one.
std::optional<int> meanTenths(const QVector<ReportRecord>& rows);

} // namespace ResultsSheet
