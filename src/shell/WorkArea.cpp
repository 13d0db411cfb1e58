#include "WorkArea.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace WorkArea {

int roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double rest = value - floor;
    if (rest > 0.5)
        return int(floor) + 1;
    if (rest < 0.5)
        return int(floor);
    const int lower = int(floor);
    return lower % 2 == 0 ? lower : lower + 1;
}

void fillAndPin(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame (title bar and border) is known once the window has been shown; before that
    // it counts as nothing.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize client(area.width() - frame.width(), area.height() - frame.height());
    window.setFixedSize(client);
    window.move(area.topLeft());
}

} // namespace WorkArea
