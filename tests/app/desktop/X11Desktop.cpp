#include "X11Desktop.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

xcb_connection_t* connection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t root() {
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

template <typename Reply> std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply) {
    return {reply, &std::free};
}

xcb_atom_t atom(const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, uint16_t(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<uint32_t> cardinals(xcb_window_t window, const char* property, xcb_atom_t type) {
    const auto reply = owned(xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, window, atom(property), type, 0, 1024),
        nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

xcb_window_t idOf(const QWidget& window) {
    return xcb_window_t(window.winId());
}

void sendToRoot(xcb_window_t window, const char* type, std::initializer_list<uint32_t> data) {
    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(type);
    int i = 0;
    for (uint32_t value : data)
        message.data.data32[i++] = value;
    xcb_send_event(connection(), 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection());
}

QRect clientAreaOf(xcb_window_t window) {
    const auto geometry = owned(
        xcb_get_geometry_reply(connection(), xcb_get_geometry(connection(), window), nullptr));
    const auto place = owned(xcb_translate_coordinates_reply(
        connection(), xcb_translate_coordinates(connection(), window, root(), 0, 0), nullptr));
    if (!geometry || !place)
        return {};
    return QRect(place->dst_x, place->dst_y, geometry->width, geometry->height);
}

QMargins extentsOf(xcb_window_t window) {
    const auto v = cardinals(window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL);
    if (v.size() != 4)
        return {};
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

} // namespace

namespace X11Desktop {

void waitUntil(const std::function<bool()>& condition, const QString& what) {
    QElapsedTimer waited;
    waited.start();
    QTimer recheck; // wakes the loop: not every change on the desktop sends this process an event
    recheck.start(100);
    for (qint64 report = 10000; !condition();) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (waited.elapsed() >= report) {
            qInfo().noquote() << "still waiting for" << what << "after" << report << "ms";
            report += 10000;
        }
    }
}

bool windowManagerRunning() {
    return !cardinals(root(), "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).empty() &&
           !cardinals(root(), "_NET_WORKAREA", XCB_ATOM_CARDINAL).empty();
}

QRect workArea() {
    const auto v = cardinals(root(), "_NET_WORKAREA", XCB_ATOM_CARDINAL);
    if (v.size() < 4)
        return {};
    return QRect(int(v[0]), int(v[1]), int(v[2]), int(v[3]));
}

QMargins frameExtents(const QWidget& window) {
    return extentsOf(idOf(window));
}

QRect clientArea(const QWidget& window) {
    return clientAreaOf(idOf(window));
}

QRect outerFrame(const QWidget& window) {
    return outerFrame(uint32_t(idOf(window)));
}

QRect outerFrame(std::uint32_t window) {
    return clientAreaOf(window).marginsAdded(extentsOf(window));
}

bool viewable(const QWidget& window) {
    const auto attributes = owned(xcb_get_window_attributes_reply(
        connection(), xcb_get_window_attributes(connection(), idOf(window)), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

void requestClose(const QWidget& window) {
    requestClose(uint32_t(idOf(window)));
}

void requestClose(std::uint32_t window) {
    // As a pager or the title bar does: timestamp 0, source 2 (a pager or the user).
    sendToRoot(window, "_NET_CLOSE_WINDOW", {0, 2});
}

void requestMinimise(const QWidget& window) {
    constexpr uint32_t kIconicState = 3;
    sendToRoot(idOf(window), "WM_CHANGE_STATE", {kIconicState});
}

void requestActivate(const QWidget& window) {
    sendToRoot(idOf(window), "_NET_ACTIVE_WINDOW", {2, 0, 0});
}

std::uint32_t windowOfProcess(qint64 pid) {
    for (uint32_t window : cardinals(root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
        const auto owner = cardinals(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
        if (owner.size() == 1 && qint64(owner[0]) == pid)
            return window;
    }
    return 0;
}

Panel::Panel(int height) {
    xcb_connection_t* c = connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    m_window = xcb_generate_id(c);
    const int top = screen->height_in_pixels - height;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, int16_t(top),
                      screen->width_in_pixels, uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    const uint32_t dock = atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom("_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &dock);
    // left, right, top, bottom, then the start and end of each edge's stretch
    const uint32_t strut[12] = {
        0, 0, 0, uint32_t(height), 0, 0, 0, 0, 0, 0, 0, uint32_t(screen->width_in_pixels - 1)};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom("_NET_WM_STRUT_PARTIAL"),
                        XCB_ATOM_CARDINAL, 32, 12, strut);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, atom("_NET_WM_STRUT"),
                        XCB_ATOM_CARDINAL, 32, 4, strut);
    xcb_map_window(c, m_window);
    xcb_flush(c);
}

Panel::~Panel() {
    xcb_destroy_window(connection(), m_window);
    xcb_flush(connection());
}

} // namespace X11Desktop
