#pragma once

#include "ErrorGuard.h"

#include <QStringList>

class BrowserView;
class QWebEngineView;

// Helpers for tests that drive the program's windows.
namespace WindowTestSupport {

// Makes a window the way start-up does: its global is set first, then its creation handler
// runs inside the error guard. Its controls are made after the handler, at once or, as in the
// program, when the window is first shown.
enum class Controls { AtOnce, WhenShown };
template <typename T> void makeWindow(T*& global, Controls controls = Controls::AtOnce) {
    global = new T();
    T* window = global;
    guarded([window] { window->FormCreate(); });
    if (controls == Controls::AtOnce)
        window->makeControls();
}

template <typename T> void destroyWindow(T*& global) {
    delete global;
    global = nullptr;
}

// The object names of the windows now visible, in creation order (launcher first).
QStringList visibleWindows();

// Keeps the offscreen platform's "This plugin does not support raise()" and the like out of
// the test output; everything else still goes to the previous handler.
void quietOffscreenWarnings();

// The engine's own view behind a browser wrapper; null for none.
QWebEngineView* webView(const BrowserView* browser);

// How many of the engine's views exist now, wherever they lie.
int liveViews();

} // namespace WindowTestSupport
