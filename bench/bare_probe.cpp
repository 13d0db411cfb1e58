// The floor for start-up: a bare widgets program that shows one empty window of the launcher's
// size and ends at its first paint.
#include "PeakMemory.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(869, 447);
    FirstPaint quitter;
    window.installEventFilter(&quitter);
    window.show();
    const int code = application.exec();
    printPeakMemory();
    return code;
}
