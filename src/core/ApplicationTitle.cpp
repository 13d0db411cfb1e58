#include "ApplicationTitle.h"

#include <QCoreApplication>
#include <QFileInfo>

QString titleFromExecutable(const QString& executablePath) {
    QString name = executablePath;
    const qsizetype slash =
        qMax(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    name = name.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.size() > 1)
        name = name.left(1) + name.mid(1).toLower();
    return name;
}

QString applicationTitle() {
    static const QString title = titleFromExecutable(QCoreApplication::applicationFilePath());
    return title;
}
