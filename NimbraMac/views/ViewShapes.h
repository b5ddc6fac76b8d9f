#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace nimbra::shapes {

// A rectangle whose shorter sides are half circles.
QPainterPath capsule(const QRectF& rect);
QPainterPath roundedRect(const QRectF& rect, qreal radius);
QPainterPath ellipse(const QRectF& rect);

// Paints the silhouette of path blurred by radius (in logical pixels) and moved by offset, in colour: the
// soft shadow or glow that a shape casts.
void drawShadow(QPainter& painter, const QPainterPath& path, const QColor& color, qreal radius,
                const QPointF& offset = {});

} // namespace nimbra::shapes
