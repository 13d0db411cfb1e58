#pragma once

#include <QStringList>

class BrowserView;
class QWebEngineView;

// Helpers for tests that drive the program's five windows.
namespace WindowTestSupport {

// The object names of the windows now visible, in creation order (launcher first).
QStringList visibleWindows();

// Keeps the offscreen platform's "This plugin does not support raise()" and the like out of
// the test output; everything else still goes to the previous handler.
void quietOffscreenWarnings();

// Reaches a secondary window ("Form2" ... "Form5") from the shown launcher the way the user
// does: the launcher's button, and for the teacher's window the sign-in with the right account.
// False for a name it knows no way to.
bool clickThroughTo(const QString& window);

// The engine's own view behind a browser wrapper; null for none.
QWebEngineView* webView(const BrowserView* browser);

} // namespace WindowTestSupport
