#include "ContentPaths.h"

#include <QCoreApplication>

namespace ContentPaths {
namespace {

QString& overriddenProgramDir() {
    static QString folder;
    return folder;
}

QString withSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

QString ProgramDir() {
    if (!overriddenProgramDir().isEmpty())
        return overriddenProgramDir();
    return withSlash(QCoreApplication::applicationDirPath());
}

void setProgramDir(const QString& folder) {
    overriddenProgramDir() = folder.isEmpty() ? QString() : withSlash(folder);
}

QString ContentDir() {
    return ProgramDir() + QStringLiteral("Content/");
}

QString subjectDir(const QString& contentDir, const QString& subject) {
    return contentDir + subject;
}

QString testsDir(const QString& contentDir, const QString& subject) {
    return subjectDir(contentDir, subject) + QLatin1Char('/') + kTests;
}

QString reportsDir(const QString& contentDir, const QString& subject) {
    return testsDir(contentDir, subject) + QLatin1Char('/') + kReports;
}

QString presentationsDir(const QString& contentDir, const QString& subject) {
    return subjectDir(contentDir, subject) + QLatin1Char('/') + kPresentations;
}

QString videosDir(const QString& contentDir, const QString& subject) {
    return subjectDir(contentDir, subject) + QLatin1Char('/') + kVideos;
}

QString helpPage(const QString& programDir) {
    return programDir + QStringLiteral("Source/help.html");
}

QString skinsDir(const QString& programDir) {
    return programDir + QStringLiteral("Source/Skin");
}

} // namespace ContentPaths
