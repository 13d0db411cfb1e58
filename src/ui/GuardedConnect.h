#pragma once

#include "ErrorGuard.h"

#include <QAbstractButton>
#include <QObject>

#include <utility>

// Connects any signal to a handler that runs inside the error guard, so that a failure in the
// handler is shown and goes no further; nothing unwinds into Qt. The handler is a window's
// member function taking none or the first of the signal's arguments, or any callable.
template <typename Sender, typename Signal, typename Window, typename... Args>
QMetaObject::Connection guardedConnect(Sender* sender, Signal signal, Window* window,
                                       void (Window::*handler)(Args...)) {
    return QObject::connect(sender, signal, window, [window, handler](Args... args) {
        guarded([&] { (window->*handler)(args...); });
    });
}

template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection guardedConnect(Sender* sender, Signal signal, QObject* context,
                                       Handler handler) {
    // Callable with as many of the signal's arguments as the handler takes, so that the toolkit
    // passes only those.
    return QObject::connect(
        sender, signal, context,
        [handler](auto&&... args) -> decltype(handler(std::forward<decltype(args)>(args)...),
                                              void()) {
            guarded([&] { handler(std::forward<decltype(args)>(args)...); });
        });
}

// A button's click to a window's handler, inside the error guard.
template <typename Window>
QMetaObject::Connection onClick(QAbstractButton* button, Window* window,
                                void (Window::*handler)()) {
    return guardedConnect(button, &QAbstractButton::clicked, window, handler);
}
