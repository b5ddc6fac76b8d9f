#pragma once

#include <optional>

namespace nimbra {

// Whether an XEmbed tray owns the X server's tray selection (_NET_SYSTEM_TRAY_S<screen>) right now, asked of
// the server each time; nothing when the application does not run on X11. Qt's own answer may be one it
// formed earlier (a D-Bus tray it saw once, a tray window it has not yet seen go), and a tray icon shown
// where no tray is would leave the application without an icon and without a window.
std::optional<bool> x11SystemTrayOwned();

} // namespace nimbra
