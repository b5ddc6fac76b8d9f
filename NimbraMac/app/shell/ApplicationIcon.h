#pragma once

namespace nimbra {

// Sets the application's icon (taskbars show it) as every window's icon once the first window a taskbar lists
// (not a popup or a menu) has shown: the picture installed in the hicolor icon theme under the desktop
// entry's name, else the same picture built into the program. A tray-only session never loads it: that loads
// the SVG renderer and its plugin (some 0.5 MB that would stay resident for nothing).
void setApplicationIconOnFirstWindow();

} // namespace nimbra
