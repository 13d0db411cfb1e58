#include "StudentName.h"

#include "CodePage.h"

#include <QFile>

namespace StudentName {
namespace {

// What is wrong with a name or group that would lose the result: a leading "." makes the report
// a hidden file that no list shows; a character Windows-1251 cannot hold is stored as "?".
QString lossProblem(const QString& text, const QString& what) {
    if (text.startsWith(QLatin1Char('.')))
        return what + QStringLiteral(" не может начинаться с точки: отчёт о тесте не было бы видно "
                                     "в списках. Уберите точку в начале.");
    const QString lost = CodePage::unrepresentable(text);
    if (!lost.isEmpty())
        return what + QStringLiteral(" содержит символы, которые нельзя сохранить в отчёте: ") +
               lost + QStringLiteral(". Замените их.");
    return QString();
}

} // namespace

QString problem(const QString& name) {
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("Имя не может состоять только из точек. Введите имя и фамилию.");
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c)) {
            return QStringLiteral("Имя не может содержать символы / \\ : * ? \" < > |. "
                                  "Исправьте имя, чтобы отчёт о тесте можно было сохранить.");
        }
        if (c.category() == QChar::Other_Control) {
            return QStringLiteral("Имя содержит управляющие символы. "
                                  "Исправьте имя, чтобы отчёт о тесте можно было сохранить.");
        }
    }
    // The longest report name adds "(255)"; most file systems take 255 bytes a name.
    if (QFile::encodeName(name).size() + 5 > 255)
        return QStringLiteral("Имя слишком длинное для имени файла отчёта. Сократите его.");
    return lossProblem(name, QStringLiteral("Имя"));
}

QString groupProblem(const QString& group) {
    return lossProblem(group, QStringLiteral("Группа"));
}

} // namespace StudentName
