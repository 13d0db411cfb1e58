#pragma once

#include <QString>

// "Предмет" → "Создать": a new subject folder with its "Тесты", "Видео" and "Презентации".
namespace SubjectCreation {

// Creates the subject `name` under the content root, or refuses a name that would put folders
// anywhere but in a subject of its own (empty, "/" or "\", "." or ".."). Returns the notice
// for the teacher when it refused, empty when it created (what already existed is left as it is,
// and a folder that cannot be made is passed over without a word).
QString create(const QString& contentDir, const QString& name);

} // namespace SubjectCreation
