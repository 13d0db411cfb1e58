#pragma once

#include <QMargins>
#include <QRect>

// Where a top-level window goes, worked out on its outer frame: the window manager draws the
// frame, so a window that fills the work area fills it with its frame, and a centred window is
// centred with its frame. Each function returns the client area to ask for.
namespace WindowPlacement {

// The client area of a window whose frame covers the work area exactly.
QRect filling(const QRect& workArea, const QMargins& frame);

// The client area of a window of the given client size whose frame is centred on the screen,
// then moved as little as needed to lie inside the work area (a task bar never covers it).
QRect centred(const QRect& screen, const QRect& workArea, const QSize& client,
              const QMargins& frame);

} // namespace WindowPlacement
