#pragma once

#include <QString>

#include <exception>
#include <utility>

// The default error path. Every handler runs inside guarded(): a failure abandons the rest of
// the handler, is shown in an error box (caption: the application title) and the program goes
// on. Nothing unwinds into Qt.

// The message as the error box shows it: a full stop is added when the last character sorts
// after "." (a letter or a digit gets one; ".", ")" and "!" do not).
QString withFullStop(const QString& message);

// Shows `message` in the error box, with the full-stop rule applied.
void reportFailure(const QString& message) noexcept;

// Shows a plain notice, captioned with the application title.
void showNotice(const QString& message) noexcept;

// Runs `handler`; returns false when it failed (the failure has then been shown).
template <typename Handler> bool guarded(Handler&& handler) noexcept;

// Implementation --------------------------------------------------------------------------

void reportCurrentException() noexcept;

template <typename Handler> bool guarded(Handler&& handler) noexcept {
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}
