#pragma once

#include "ErrorGuard.h"

#include <QAbstractButton>

// Connects a button's click to a window's handler, run inside the error guard.
template <typename Window>
void onClick(QAbstractButton* button, Window* window, void (Window::*handler)()) {
    QObject::connect(button, &QAbstractButton::clicked, window,
                     [window, handler] { guarded([&] { (window->*handler)(); }); });
}
