#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <memory>
#include <optional>

namespace nimbra {

class UserDefaults;

// The popover's size: remembered in the user's preferences, clamped to the screen it opens on.
namespace PopoverSizing {

inline constexpr int defaultWidth = 390;
inline constexpr int defaultHeight = 610;
inline constexpr int minimumWidth = 360;
inline constexpr int minimumHeight = 420;
inline constexpr int largestWidth = 760;
inline constexpr int screenMargin = 80;
inline constexpr int heightWithoutScreen = 720;

inline const char* const widthKey = "nimbraPopoverWidth";
inline const char* const heightKey = "nimbraPopoverHeight";

// The saved size, when both values are numbers at least the minimum; otherwise none.
std::optional<QSizeF> savedSize(const UserDefaults& defaults);
void saveSize(UserDefaults& defaults, QSize size);
// Whole points, at least the minimum, at most what the screen's available area leaves (no screen: fixed
// limits).
QSize clamped(QSizeF size, const std::optional<QRect>& availableGeometry);
QSize initialSize(const UserDefaults& defaults, const std::optional<QRect>& availableGeometry);

// An anchor inside the available area this close to an edge a panel keeps counts as on that panel.
inline constexpr int panelSnapDistance = 96;

// Where the popover's top-left corner goes: centred on the anchor (the tray icon, or the pointer), below it
// when the anchor lies in the upper half of the screen and above it otherwise, flush with the panel's edge
// when the anchor lies just off it, and always inside the screen. `screen`: the whole screen, panels and all.
QPoint placement(const QRect& anchor, QSize size, const QRect& availableGeometry, const QRect& screen);
// The smallest move that brings the rectangle inside the area (its top-left edge wins when it is larger).
QPoint keptInside(const QRect& rect, const QRect& area);

} // namespace PopoverSizing

// One drag of the resize handle. The size follows the size at the start of the drag plus the drag's whole
// translation, so rounding never accumulates: a slow drag moves the edge exactly with the pointer.
class PopoverResize {
public:
    void begin(QSize startSize);
    bool isActive() const { return m_start.has_value(); }
    // Adds one step's change and returns the clamped size for the whole translation so far; none when no drag
    // began.
    std::optional<QSize> apply(QSizeF delta, const std::optional<QRect>& availableGeometry);
    void end();

private:
    std::optional<QSize> m_start;
    QSizeF m_translation{0, 0};
};

} // namespace nimbra
