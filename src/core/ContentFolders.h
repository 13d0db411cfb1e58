#pragma once

#include <QString>

// Existence tests and folder creation in the content tree.
namespace ContentFolders {

// The path exists and is a folder.
bool folderExists(const QString& path);

// The path exists and is not a folder.
bool fileExists(const QString& path);

// Creates exactly one folder level; false when the parent is missing or the folder exists. In a
// parent that every user may write, the new folder gets the parent's permissions. In a
// set-group-ID parent (a lab's tree, kept for one group), a "Тесты" folder and any folder made
// in a parent closed to others get 02770, any other folder 02775.
bool createFolder(const QString& path);

// Creates a subject under the content root, then its "Тесты", "Видео" and "Презентации"
// folders, in that order, each one level; what exists is left as it is. No reports folder.
void createSubject(const QString& contentDir, const QString& name);

// Why a subject name cannot be used, or an empty string when it can: an empty name, a path
// separator, or "." / ".." would put folders somewhere other than a new subject.
QString subjectNameProblem(const QString& name);

} // namespace ContentFolders
