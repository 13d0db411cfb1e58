#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

// What the X server and the window manager say about our windows, read directly over the
// X11 connection the toolkit uses, and the requests a user makes through the window manager.
namespace X11Desktop {

// Waits with no deadline until `condition` holds, checked at each X event and every 100 ms;
// says every ten seconds what it still waits for.
void waitUntil(const std::function<bool()>& condition, const QString& what);

// Whether a window manager that follows the desktop's window-manager conventions runs.
bool windowManagerRunning();

// The screen less what panels keep for themselves, as the window manager publishes it.
QRect workArea();

// The frame the window manager put around the window (_NET_FRAME_EXTENTS); null for none.
QMargins frameExtents(const QWidget& window);
// The client area in screen coordinates, as the server has it.
QRect clientArea(const QWidget& window);
// The outer frame in screen coordinates: the client area with the frame around it.
QRect outerFrame(const QWidget& window);
// Whether the window is mapped and viewable (not withdrawn, not minimised).
bool viewable(const QWidget& window);

// The title bar's close button or Alt+F4: the window manager asks the window to close.
void requestClose(const QWidget& window);
// The title bar's minimise button.
void requestMinimise(const QWidget& window);
// A task bar's or Alt+Tab's "bring this window back".
void requestActivate(const QWidget& window);
// Same requests for a window of another process, by its X id.
void requestClose(std::uint32_t window);

// The X id of a top-level window of another process with this process id, 0 for none.
std::uint32_t windowOfProcess(qint64 pid);
// The outer frame of another process's window.
QRect outerFrame(std::uint32_t window);

// A panel along the bottom edge of the screen that keeps `height` pixels for itself, as a task
// bar does. It stays until destroyed.
class Panel {
public:
    explicit Panel(int height);
    ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

private:
    std::uint32_t m_window = 0;
};

} // namespace X11Desktop
