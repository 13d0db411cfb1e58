#include "SubjectCreation.h"

#include "ContentFolders.h"

namespace SubjectCreation {

QString create(const QString& contentDir, const QString& name) {
    const QString problem = ContentFolders::subjectNameProblem(name);
    if (!problem.isEmpty())
        return problem;
    ContentFolders::createSubject(contentDir, name);
    return QString();
}

} // namespace SubjectCreation
