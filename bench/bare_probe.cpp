// The floor for start-up: a bare widgets program that shows one window of the launcher's client
// size with the launcher's four captioned push buttons, and ends at its first paint. With
// `--walk DIR` it first reads every folder below DIR once (one readdir pass per folder), as the
// program must list a course before it shows anything. With `--skin FILE` the window wears that
// style sheet, as the program's windows wear its skin.
#include "PeakMemory.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QWidget>

#include <cstring>
#include <dirent.h>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }
};

long walk(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    long entries = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        ++entries;
        if (entry->d_type == DT_DIR)
            entries += walk(folder + '/' + entry->d_name);
    }
    ::closedir(dir);
    return entries;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--walk") == 0 && walk(QByteArray(argv[2])) < 0)
        return 1;
    if (argc > 2 && std::strcmp(argv[1], "--skin") == 0) {
        QFile sheet(QFile::decodeName(argv[2]));
        if (!sheet.open(QIODevice::ReadOnly))
            return 1;
        application.setStyleSheet(QString::fromUtf8(sheet.readAll()));
    }
    QWidget window;
    window.setFixedSize(869, 447);
    const char* captions[] = {"Учебник", "Тесты", "Преподаватель", "Выход"};
    const QRect places[] = {
        {94, 248, 139, 36}, {96, 312, 137, 36}, {96, 363, 137, 41}, {598, 392, 169, 35}};
    for (int i = 0; i < 4; ++i)
        (new QPushButton(QString::fromUtf8(captions[i]), &window))->setGeometry(places[i]);
    FirstPaint quitter;
    window.installEventFilter(&quitter);
    window.show();
    const int code = application.exec();
    printPeakMemory();
    return code;
}
