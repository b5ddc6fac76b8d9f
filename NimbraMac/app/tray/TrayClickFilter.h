#pragma once

#include <QPoint>
#include <QtGlobal>

#include <optional>

namespace nimbra {

// What a click on the tray icon does to the popover. Tray hosts report clicks differently: X11 hosts send a
// press for the first click of a double click and a double click for the second; a click on the icon while
// the popup is open first closes the popup (a click outside it) and then reaches the icon. Neither may toggle
// the popover twice.
struct TrayClickFilter {
    enum class Click { primary, doubleClick, context, middle };
    enum class Action { open, close, ignore };

    // A primary click this soon after the popup closed itself is the click that closed it.
    static constexpr qint64 closeGuardMs = 300;

    // `msSinceShown`/`msSinceHidden`: how long ago the popover was last shown or hidden, if ever.
    static Action action(Click click, bool popoverShown, std::optional<qint64> msSinceShown,
                         std::optional<qint64> msSinceHidden, int doubleClickIntervalMs);

    // A point a panel reports this far from the pointer is not on the screen's coordinates.
    static constexpr int pointerTolerance = 128;
    // Where a D-Bus click was on the screen: the panel's point, none where it gives (0, 0), and the pointer
    // where the point is far from it (MATE's panel gives its applet's own coordinates).
    static std::optional<QPoint> clickPoint(QPoint reported, QPoint pointer);
};

} // namespace nimbra
