#pragma once

class QWidget;

namespace nimbra {

// Asks the window manager to leave a not yet shown window out of the taskbar and the pager (EWMH
// _NET_WM_STATE_SKIP_TASKBAR and _SKIP_PAGER). Does nothing off X11.
void skipTaskbarAndPager(QWidget* window);

// Asks the window manager to show a window on every workspace, as desktop widgets are (EWMH _NET_WM_DESKTOP
// 0xFFFFFFFF and _NET_WM_STATE_STICKY). Before the window is shown it sets the properties the window manager
// reads when mapping it; once shown it sends the requests a managed window must send. Does nothing off X11.
void showOnAllWorkspaces(QWidget* window);

} // namespace nimbra
