#include "EditorStatus.h"

#include "TextLines.h"

#include "VariantCheck.h"

#include <QStringList>

namespace EditorStatus {

QString describe(const QString& editorText) {
    if (editorText.isEmpty())
        return QStringLiteral("Текст пуст.");
    const VariantCheck::Result check = VariantCheck::check(TextLines::splitLines(editorText));
    const QString counts =
        QStringLiteral("Вопросов: %1, строк с ключом: %2. ").arg(check.questions).arg(check.keys);
    const QString problem = check.firstProblem();
    if (problem.isEmpty())
        return counts + QStringLiteral("Ошибок в тесте не найдено.");
    return counts + problem;
}

} // namespace EditorStatus
