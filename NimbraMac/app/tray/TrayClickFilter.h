#pragma once

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
};

} // namespace nimbra
