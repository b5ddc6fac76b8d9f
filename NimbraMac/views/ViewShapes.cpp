#include "ViewShapes.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace nimbra::shapes {

QPainterPath capsule(const QRectF& rect) {
    const qreal r = qMin(rect.width(), rect.height()) / 2;
    QPainterPath p;
    p.addRoundedRect(rect, r, r);
    return p;
}

QPainterPath roundedRect(const QRectF& rect, qreal radius) {
    QPainterPath p;
    p.addRoundedRect(rect, radius, radius);
    return p;
}

QPainterPath ellipse(const QRectF& rect) {
    QPainterPath p;
    p.addEllipse(rect);
    return p;
}

namespace {

// One horizontal and one vertical running-sum pass over the alpha channel.
void boxBlurAlpha(QImage& image, int radius) {
    const int w = image.width();
    const int h = image.height();
    const int window = 2 * radius + 1;
    QList<int> line(qMax(w, h));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qAlpha(row[x]);
        int sum = 0;
        for (int x = -radius; x <= radius; ++x)
            sum += line[qBound(0, x, w - 1)];
        for (int x = 0; x < w; ++x) {
            row[x] = qRgba(0, 0, 0, sum / window);
            sum += line[qMin(x + radius + 1, w - 1)] - line[qMax(x - radius, 0)];
        }
    }
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y)
            line[y] = qAlpha(reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]);
        int sum = 0;
        for (int y = -radius; y <= radius; ++y)
            sum += line[qBound(0, y, h - 1)];
        for (int y = 0; y < h; ++y) {
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = qRgba(0, 0, 0, sum / window);
            sum += line[qMin(y + radius + 1, h - 1)] - line[qMax(y - radius, 0)];
        }
    }
}

} // namespace

void drawShadow(QPainter& painter, const QPainterPath& path, const QColor& color, qreal radius,
                const QPointF& offset) {
    if (path.isEmpty() || color.alpha() == 0)
        return;
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal pixelRadius = qMax<qreal>(radius * scale, 0);
    // Three box passes of this width approximate a Gaussian whose spread matches the radius.
    const int box = qMax(0, int(std::lround(pixelRadius / 2)));
    const int margin = 3 * box + 2;
    const QRectF bounds = path.boundingRect();
    const QSize size(int(std::ceil(bounds.width() * scale)) + 2 * margin,
                     int(std::ceil(bounds.height() * scale)) + 2 * margin);
    if (size.isEmpty() || size.width() > 4096 || size.height() > 4096)
        return;
    QImage mask(size, QImage::Format_ARGB32);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(margin, margin);
        p.scale(scale, scale);
        p.translate(-bounds.topLeft());
        p.fillPath(path, Qt::black);
    }
    for (int pass = 0; pass < 3 && box > 0; ++pass)
        boxBlurAlpha(mask, box);
    // Tint the blurred alpha.
    QImage tinted(size, QImage::Format_ARGB32_Premultiplied);
    tinted.fill(color);
    {
        QPainter p(&tinted);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    }
    tinted.setDevicePixelRatio(scale);
    painter.drawImage(bounds.topLeft() + offset - QPointF(margin / scale, margin / scale), tinted);
}

} // namespace nimbra::shapes
