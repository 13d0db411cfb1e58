#pragma once

#include <QByteArray>
#include <QString>

// Builds the data the benchmarks measure: large Russian texts, variants of any size and whole
// generated courses on disk.
namespace CourseGenerator {

// About `bytes` bytes of Russian prose in Windows-1251 with CR LF breaks, from a fixed seed.
QByteArray russianText(qsizetype bytes);

// The plain text (editor form, "\n" breaks) of a well-formed variant with `questions` questions.
QString variantText(int questions);

// Writes a course under `contentDir`: `subjects` subjects, each with `pages` pages, `reports`
// reports, a test variant, and a presentation and a video. Returns the number of entries made.
int writeCourse(const QString& contentDir, int subjects, int pages, int reports);

} // namespace CourseGenerator
