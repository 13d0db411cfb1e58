#include "ReportListing.h"

#include "ContentPaths.h"
#include "FolderListing.h"

namespace ReportListing {

QVector<Subject> list(const QString& contentDir) {
    QVector<Subject> subjects;
    for (const QString& name : FolderListing::subjects(contentDir)) {
        const QString folder = ContentPaths::reportsDir(contentDir, name);
        subjects.append(Subject{name, FolderListing::children(folder, QStringLiteral("*"))});
    }
    return subjects;
}

} // namespace ReportListing
