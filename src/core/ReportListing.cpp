#include "ReportListing.h"

#include "ContentPaths.h"
#include "FolderListing.h"

namespace ReportListing {

QVector<Subject> read(const QString& contentDir) {
    QVector<Subject> subjects;
    for (const QString& name : FolderListing::subjectsAsRead(contentDir)) {
        const QString folder = ContentPaths::reportsDir(contentDir, name);
        subjects.append(Subject{name, FolderListing::childrenAsRead(folder, QStringLiteral("*"))});
    }
    return subjects;
}

void sort(QVector<Subject>& subjects) {
    FolderListing::sortByName(subjects, [](const Subject& subject) { return subject.name; });
    for (Subject& subject : subjects)
        FolderListing::sortNames(subject.reports);
}

QVector<Subject> list(const QString& contentDir) {
    QVector<Subject> subjects = read(contentDir);
    sort(subjects);
    return subjects;
}

} // namespace ReportListing
