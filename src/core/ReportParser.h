#pragma once

#include "PackedText.h"
#include "ReportRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads the text of a report, as the testing window writes it, back into its fields, and tells
// whether its lines agree with each other. Whatever can be read is kept, also from a report that
// is edited, cut off or no report at all; nothing here throws.
namespace ReportParser {

// The largest packed text read as a report. Reports are a few kilobytes; a bigger file in a
// reports folder is something else and is not worth inflating into memory.
constexpr qint64 kReportCapacity = qint64(4) * 1024 * 1024;

// Fills the fields of `record` from the report's lines (without their line breaks) and sets its
// state. The entry's subject folder and name are left as they are.
void parseLines(const QStringList& lines, ReportRecord& record);

// The same for the text of a packed file: Windows-1251, any line breaks.
void parseText(const QByteArray& text, ReportRecord& record);

// Reads the packed file at `path` and parses it. A file the packed-text reader refuses is
// unreadable with the reader's message as the reason.
void parseFile(const QString& path, ReportRecord& record);

// The same for the file `name` in `folder`, as parseFile(folder path + "/" + name) would.
// `previous`, the record read just before, if any, lends `record` the texts they hold alike, so
// that a load keeps one copy of a folder's subject, date and the like, not one a report.
// `status`, when given, gets what the system told of the file as it was opened.
void parseFile(PackedText::FolderReader& folder, const QString& name, ReportRecord& record,
               const ReportRecord* previous = nullptr, PackedText::FileStatus* status = nullptr);

} // namespace ReportParser
