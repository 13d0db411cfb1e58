#include "StudentName.h"

#include <QFile>

namespace StudentName {

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
    return QString();
}

} // namespace StudentName
