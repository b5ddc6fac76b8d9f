#include "WidgetArrangement.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace nimbra {
namespace {

// The gap kept to a neighbour, as between widgets placed one below the other.
constexpr int spacing = 12;

QPoint insideArea(QPoint position, QSize size, const QRect& area) {
    return {std::clamp(position.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())),
            std::clamp(position.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height()))};
}

bool isClear(const QRect& rect, const QList<QRect>& others, const QRect& area) {
    return area.contains(rect) && std::none_of(others.cbegin(), others.cend(), [&rect](const QRect& other) {
               return other.intersects(rect);
           });
}

} // namespace

QPoint resizedWidgetPosition(const QRect& resized, const QList<QRect>& others, const QRect& area) {
    const QSize size = resized.size();
    const QPoint kept = insideArea(resized.topLeft(), size, area);
    if (isClear(QRect(kept, size), others, area))
        return kept;
    // Every edge a clear place can lean on: the area's, a neighbour's (beside it), or where it stands now.
    QList<int> xs{kept.x(), area.left(), area.right() + 1 - size.width()};
    QList<int> ys{kept.y(), area.top(), area.bottom() + 1 - size.height()};
    for (const QRect& other : others) {
        xs << other.right() + 1 + spacing << other.left() - spacing - size.width();
        ys << other.bottom() + 1 + spacing << other.top() - spacing - size.height();
    }
    std::optional<QPoint> best;
    int bestDistance = std::numeric_limits<int>::max();
    for (const int x : std::as_const(xs)) {
        for (const int y : std::as_const(ys)) {
            const QPoint candidate(x, y);
            const int distance = (candidate - resized.topLeft()).manhattanLength();
            if (distance < bestDistance && isClear(QRect(candidate, size), others, area)) {
                best = candidate;
                bestDistance = distance;
            }
        }
    }
    return best.value_or(kept);
}

} // namespace nimbra
