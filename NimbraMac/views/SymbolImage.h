#pragma once

#include "ViewTokens.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QStringList>

class QPainter;

namespace nimbra {

// The symbols the weather views name, drawn as vector glyphs of our own so they look the same under every
// icon theme and take any tint. A glyph fills a square box whose edge plays the role of the symbol's point
// size; the weight thickens its strokes as a heavier font would.
class SymbolImage {
public:
    // Every name that has a glyph.
    static const QStringList& names();
    static bool isKnown(const QString& name);
    // Makes the glyph now rather than at its first drawing (some take milliseconds).
    static void prepare(const QString& name);
    // Makes every glyph on a worker thread, so that a window drawing them first finds them made.
    static void prepareAllInBackground();

    // Draws the glyph centred in box (the largest square inside it). An unknown name draws nothing and
    // returns false.
    static bool draw(QPainter& painter, const QString& name, const QRectF& box, const QColor& tint,
                     FontWeight weight = FontWeight::semibold);

    // The glyph on a transparent square image of the given edge in logical pixels; a null image for an
    // unknown name.
    static QImage image(const QString& name, int edge, const QColor& tint,
                        FontWeight weight = FontWeight::semibold, qreal devicePixelRatio = 1.0);
};

} // namespace nimbra
