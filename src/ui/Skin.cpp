#include "Skin.h"

#include "ContentPaths.h"

#include <QApplication>
#include <QFile>

namespace Skin {

QString deepStyleSheetPath(const QString& programDir) {
    return ContentPaths::skinsDir(programDir) + QStringLiteral("/Deep/deep.qss");
}

bool loadDeep(QApplication& application, const QString& programDir) {
    QFile file(deepStyleSheetPath(programDir));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    application.setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

} // namespace Skin
