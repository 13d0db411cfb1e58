#pragma once

#include <QByteArray>
#include <QString>

// Report files: the student's name, "(", a number from 0 to 255, ")", no extension, in the
// subject's reports folder. Each report is written whole under a temporary name and then linked
// to the lowest free number, so two copies of the program writing into one shared folder never
// overwrite each other, and nobody ever reads a report that is not complete.
namespace ReportFile {

constexpr int kMaxReports = 256;

QString reportName(const QString& student, int number);

// What one save asked of the file system.
struct SaveStats {
    int listings = 0;       // reads of the folder
    int createAttempts = 0; // names tried (links, or exclusive creations where links fail)
};

// Packs `text` into a new file "<student>(n)" in `folder` with the lowest free n. Returns the
// path written, or an empty string when all numbers are taken (nothing is written then).
// A failed write throws Failure and leaves no file behind.
QString saveNew(const QString& folder, const QString& student, const QByteArray& text,
                SaveStats* stats = nullptr);

} // namespace ReportFile
