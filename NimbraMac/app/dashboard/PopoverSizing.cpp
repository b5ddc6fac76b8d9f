#include "PopoverSizing.h"

#include "UserDefaults.h"

#include <algorithm>
#include <cmath>

namespace nimbra {
namespace {

// An absent or unreadable value reads as 0, which no minimum accepts.
double storedNumber(const UserDefaults& defaults, const char* key) {
    bool ok = false;
    const double value = defaults.value(QString::fromLatin1(key)).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

int clampedDimension(double value, int minimum, int maximum) {
    // Bounded before the conversion, so no stored value can overflow it.
    const double bounded = std::clamp(value, double(minimum), double(maximum));
    return std::min(maximum, int(std::ceil(bounded)));
}

} // namespace

namespace PopoverSizing {

std::optional<QSizeF> savedSize(const UserDefaults& defaults) {
    const double width = storedNumber(defaults, widthKey);
    const double height = storedNumber(defaults, heightKey);
    if (height < minimumHeight || width < minimumWidth)
        return std::nullopt;
    return QSizeF(width, height);
}

void saveSize(UserDefaults& defaults, QSize size) {
    defaults.setValue(QString::fromLatin1(widthKey), double(size.width()));
    defaults.setValue(QString::fromLatin1(heightKey), double(size.height()));
}

QSize clamped(QSizeF size, const std::optional<QRect>& availableGeometry) {
    int maxHeight = heightWithoutScreen;
    int maxWidth = largestWidth;
    if (availableGeometry) {
        maxHeight = std::max(availableGeometry->height() - screenMargin, minimumHeight);
        maxWidth = std::max(std::min(availableGeometry->width() - screenMargin, largestWidth), minimumWidth);
    }
    const double w = std::isfinite(size.width()) ? size.width() : defaultWidth;
    const double h = std::isfinite(size.height()) ? size.height() : defaultHeight;
    return {clampedDimension(w, minimumWidth, maxWidth), clampedDimension(h, minimumHeight, maxHeight)};
}

QSize initialSize(const UserDefaults& defaults, const std::optional<QRect>& availableGeometry) {
    return clamped(savedSize(defaults).value_or(QSizeF(defaultWidth, defaultHeight)), availableGeometry);
}

QPoint keptInside(const QRect& rect, const QRect& area) {
    QPoint topLeft = rect.topLeft();
    topLeft.setX(std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - rect.width())));
    topLeft.setY(std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - rect.height())));
    return topLeft;
}

QPoint placement(const QRect& anchor, QSize size, const QRect& availableGeometry, const QRect& screen) {
    const int x = anchor.center().x() - size.width() / 2;
    const bool below = anchor.center().y() < availableGeometry.center().y();
    int y = below ? anchor.bottom() + 1 : anchor.top() - size.height();
    // An anchor just off a panel (the pointer on an entry of the item's menu) still hangs it from the panel:
    // the edge of the available area that a panel keeps from the screen's.
    if (availableGeometry.contains(anchor.center())) {
        const int y0 = anchor.center().y();
        if (below && availableGeometry.top() > screen.top() &&
            y0 - availableGeometry.top() <= panelSnapDistance)
            y = availableGeometry.top();
        else if (!below && availableGeometry.bottom() < screen.bottom() &&
                 availableGeometry.bottom() - y0 <= panelSnapDistance)
            y = availableGeometry.bottom() + 1 - size.height();
    }
    return keptInside(QRect(QPoint(x, y), size), availableGeometry);
}

} // namespace PopoverSizing

void PopoverResize::begin(QSize startSize) {
    m_start = startSize;
    m_translation = QSizeF(0, 0);
}

std::optional<QSize> PopoverResize::apply(QSizeF delta, const std::optional<QRect>& availableGeometry) {
    if (!m_start)
        return std::nullopt;
    m_translation += delta;
    return PopoverSizing::clamped(QSizeF(*m_start) + m_translation, availableGeometry);
}

void PopoverResize::end() {
    m_start.reset();
    m_translation = QSizeF(0, 0);
}

} // namespace nimbra
