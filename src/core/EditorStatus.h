#pragma once

#include <QString>

// The status line under the editor: the editor's text read as a test, as the teacher types. It
// only informs; saving never depends on it.
namespace EditorStatus {

// "Вопросов: 3, строк с ключом: 2. " followed by the first problem that the variant checker
// finds (the checker of the testing window and of normakurs-text check), or by a note that it
// found none. An empty text is said to be empty.
QString describe(const QString& editorText);

} // namespace EditorStatus
