#include "X11WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef NIMBRA_HAVE_XCB
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#endif

namespace nimbra {

#ifdef NIMBRA_HAVE_XCB
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

} // namespace
#endif

#ifdef NIMBRA_HAVE_XCB
namespace {

// The xcb connection, when the window is a top-level window on the xcb platform; others (offscreen) may
// offer the interface without a connection to use.
xcb_connection_t* x11Connection(QWidget* window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || QGuiApplication::platformName() != QStringLiteral("xcb") || !window || !window->isWindow())
        return nullptr;
    return x11->connection();
}

constexpr uint32_t allWorkspaces = 0xFFFFFFFF;
constexpr uint32_t addState = 1;

// A request to the window manager about a mapped window, sent to the root window as EWMH asks.
void sendToWindowManager(xcb_connection_t* connection, xcb_window_t id, xcb_atom_t type,
                         std::array<uint32_t, 5> data) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return;
    xcb_client_message_event_t event = {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace
#endif

void skipTaskbarAndPager(QWidget* window) {
#ifdef NIMBRA_HAVE_XCB
    xcb_connection_t* connection = x11Connection(window);
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipped[] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                  atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skipped[0] == XCB_ATOM_NONE || skipped[1] == XCB_ATOM_NONE)
        return;
    // Read by the window manager when the window is mapped; Qt keeps states it does not manage itself.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 2, skipped);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

void showOnAllWorkspaces(QWidget* window) {
#ifdef NIMBRA_HAVE_XCB
    xcb_connection_t* connection = x11Connection(window);
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = atom(connection, "_NET_WM_STATE_STICKY");
    if (desktop == XCB_ATOM_NONE || state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE)
        return;
    if (window->isVisible()) {
        sendToWindowManager(connection, id, desktop, {allWorkspaces, 1, 0, 0, 0});
        sendToWindowManager(connection, id, state, {addState, sticky, 0, 1, 0});
    } else {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1,
                            &allWorkspaces);
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &sticky);
    }
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

} // namespace nimbra
