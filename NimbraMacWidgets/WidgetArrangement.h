#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace nimbra {

// Where a widget standing on the desktop goes when its size changes: where it stands, when it fits there on
// the screen's free area and clear of the other widgets; else the place nearest to that which is; else, with
// no room anywhere, just inside the area.
QPoint resizedWidgetPosition(const QRect& resized, const QList<QRect>& others, const QRect& area);

} // namespace nimbra
