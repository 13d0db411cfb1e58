#include "EditorStatus.h"

#include "VariantCheck.h"

#include <QStringList>

namespace EditorStatus {

QString describe(const QString& editorText) {
    if (editorText.isEmpty())
        return QStringLiteral("Текст пуст.");
    QStringList lines = editorText.split(QLatin1Char('\n'));
    if (editorText.endsWith(QLatin1Char('\n')))
        lines.removeLast(); // a final break does not begin another line
    const VariantCheck::Result check = VariantCheck::check(lines);
    const QString counts =
        QStringLiteral("Вопросов: %1, строк с ключом: %2. ").arg(check.questions).arg(check.keys);
    const QString problem = check.firstProblem();
    if (problem.isEmpty())
        return counts + QStringLiteral("Ошибок в тесте не найдено.");
    return counts + problem;
}

} // namespace EditorStatus
