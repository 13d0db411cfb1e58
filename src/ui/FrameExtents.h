#pragma once

#include <QMargins>

#include <optional>

class QWidget;

// The frame the window manager draws around a top-level window: title bar and borders, in
// device-independent pixels.
namespace FrameExtents {

// Asks the window manager, before the window is first shown, what frame it will give it
// (the X11 desktop's frame-extents request). Creates the native window if needed and waits a
// moment for the answer. Nothing when the platform or the window manager cannot tell.
std::optional<QMargins> askWindowManager(QWidget& window);

} // namespace FrameExtents
