#pragma once

#include <QIcon>

namespace nimbra {

// The application's icon for its windows (taskbars show it): the icon theme's entry of the desktop entry's
// name, as installed, else the same picture built into the program.
QIcon applicationIcon();

} // namespace nimbra
