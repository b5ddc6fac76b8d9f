#include "X11WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef NIMBRA_HAVE_XCB
#include <xcb/xcb.h>

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

void skipTaskbarAndPager(QWidget* window) {
#ifdef NIMBRA_HAVE_XCB
    // Only the xcb platform: others (offscreen) may offer the interface without a connection to use.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || QGuiApplication::platformName() != QStringLiteral("xcb") || !window || !window->isWindow())
        return;
    xcb_connection_t* connection = x11->connection();
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

} // namespace nimbra
