#include "ReportListing.h"

#include "content/ContentPaths.h"
#include "content/FolderListing.h"

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
