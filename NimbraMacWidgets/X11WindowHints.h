#pragma once

class QWidget;

namespace nimbra {

// Asks the window manager to leave a not yet shown window out of the taskbar and the pager (EWMH
// _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER). Does nothing off X11.
void skipTaskbarAndPager(QWidget* window);

} // namespace nimbra
