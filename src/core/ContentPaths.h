#pragma once

#include <QString>

// Where the program finds itself and its content. Every path starts at the program's folder;
// the working folder plays no part.
namespace ContentPaths {

// The folder of the running executable, ending in "/". Tests may point it elsewhere.
QString ProgramDir();
void setProgramDir(const QString& folder); // empty restores the executable's folder

// ProgramDir() + "Content/".
QString ContentDir();

QString subjectDir(const QString& contentDir, const QString& subject);
QString testsDir(const QString& contentDir, const QString& subject);
QString reportsDir(const QString& contentDir, const QString& subject);
QString presentationsDir(const QString& contentDir, const QString& subject);
QString videosDir(const QString& contentDir, const QString& subject);
QString helpPage(const QString& programDir);
QString skinsDir(const QString& programDir);

// Folder names of a subject, exactly as on disk.
inline const QString kTests = QStringLiteral("Тесты");
inline const QString kReports = QStringLiteral("Отчеты");
inline const QString kPresentations = QStringLiteral("Презентации");
inline const QString kVideos = QStringLiteral("Видео");

} // namespace ContentPaths
