#include "FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {

// How long a window manager that says it answers frame requests may take.
constexpr std::chrono::milliseconds kAnswerWait{250};

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
    const auto reply = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    const auto reply =
        owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

// Whether the running window manager lists `wanted` in the root window's _NET_SUPPORTED.
bool supportedByWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t wanted) {
    const xcb_atom_t supported = atomNamed(connection, "_NET_SUPPORTED");
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, supported, XCB_ATOM_ATOM, 0, 4096),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, wanted) != atoms + count;
}

std::optional<QMargins> readExtents(xcb_connection_t* connection, xcb_window_t window,
                                    xcb_atom_t extents) {
    const auto reply = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4),
        nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    // left, right, top, bottom
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

} // namespace

namespace FrameExtents {

std::optional<QMargins> askWindowManager(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;

    // The native window carries the decoration hints the window manager judges the frame by.
    const auto id = xcb_window_t(window.winId());
    const xcb_window_t root = rootOf(connection, id);
    const xcb_atom_t request = atomNamed(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atomNamed(connection, "_NET_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !supportedByWindowManager(connection, root, request))
        return std::nullopt;

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // The answer is a property the window manager sets on our window; each read is a round
    // trip, so the window manager has had its turn by the time the property appears.
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    do {
        if (const auto margins = readExtents(connection, id, extents)) {
            const qreal ratio = window.devicePixelRatioF();
            if (ratio == 1.0)
                return margins;
            return QMargins(qRound(margins->left() / ratio), qRound(margins->top() / ratio),
                            qRound(margins->right() / ratio), qRound(margins->bottom() / ratio));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

} // namespace FrameExtents
