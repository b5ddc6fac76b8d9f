#pragma once

#include <QIcon>

namespace nimbra {

// The application's icon for its windows (taskbars show it): the icon theme's entry of the desktop entry's
// name, as installed, else the same picture built into the program.
QIcon applicationIcon();

// Sets `applicationIcon()` as every window's icon once the first window a taskbar lists (not a popup or a
// menu) has shown. A tray-only session never looks the icon up: the lookup loads the SVG renderer
// and its plugin (some 0.5 MB that would stay resident for nothing).
void setApplicationIconOnFirstWindow();

} // namespace nimbra
