#include "X11SystemTray.h"

#include <QGuiApplication>

#ifdef NIMBRA_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace nimbra {
namespace {

// The screen of the DISPLAY name (":0.1" is screen 1); Qt opens that one.
int defaultScreen() {
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype dot = display.lastIndexOf('.');
    const qsizetype colon = display.lastIndexOf(':');
    bool ok = false;
    const int screen = dot > colon ? display.mid(dot + 1).toInt(&ok) : 0;
    return ok ? screen : 0;
}

} // namespace

std::optional<bool> x11SystemTrayOwned() {
#ifdef NIMBRA_HAVE_XCB
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || QGuiApplication::platformName() != QLatin1String("xcb") || !x11->connection())
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(defaultScreen());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
#else
    return std::nullopt;
#endif
}

} // namespace nimbra
