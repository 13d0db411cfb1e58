#pragma once

#include "ReportRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The journal as CSV: a header row, one row per report, every line ended by CR LF, a field
// quoted when it holds the separator, a quote or a line break (a quote inside is doubled).
// The counts and the percent are written as numbers; every other cell is text and never
// opens as a formula.
namespace JournalCsv {

enum class Dialect {
    ExcelRu, // UTF-8 with a byte-order mark, ";" between fields, the decimal comma
    Rfc4180, // UTF-8 without a mark, ",", the decimal point
};

// "excel-ru" or "rfc4180"; nothing for any other name.
std::optional<Dialect> dialectNamed(const QString& name);

// The journal's columns, in order: "Файл", "Имя фамилия", ... "Состояние".
enum Column {
    File,
    Student,
    Account, // the account that owns the report's file
    Group,
    Subject,
    Test,
    Date,
    Time,
    Right,
    Total,
    Percent,
    State,
    ColumnCount
};
QStringList columnNames();

// The text of `row` in the journal's column `column` (the order of columnNames()), its percent
// with `decimalSeparator`; empty for a column there is not.
QString columnText(const ReportRecord& row, int column, QChar decimalSeparator);

// The CSV text of `rows`. With `perQuestion` (one test chosen) the columns "В1" ... "ВK"
// follow, K the most question lines of any row, each 1 or 0 from the row's lines and empty
// where a row has fewer.
QByteArray write(const QVector<ReportRecord>& rows, Dialect dialect, bool perQuestion = false);

// One field as the dialect writes it, quoted when it must be.
QString field(const QString& text, Dialect dialect);

// A text field: as field(), and a text that a spreadsheet would take for a formula (it begins
// with "=", "+", "-", "@", a tab or a carriage return) gets a leading apostrophe first.
QString textField(const QString& text, Dialect dialect);

} // namespace JournalCsv
