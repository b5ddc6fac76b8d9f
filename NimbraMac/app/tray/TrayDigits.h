#pragma once

#include <QPainterPath>
#include <QString>

namespace nimbra {

// The tray icon's temperature in digits drawn as strokes of our own: a reading needs no font, so an
// application idle in the tray loads no font file, shaper or font database for three characters. Covers the
// digits, the minus sign and the degree sign; anything else goes to a font.
namespace TrayDigits {

bool canDraw(const QString& text);

// The centre lines of `text` set with digits `height` pixels tall (stroke included) whose right end and
// bottom (stroke included) touch `bottomRight`; drawn with a pen of `strokeWidth(height)`.
QPainterPath centreLines(const QString& text, double height, QPointF bottomRight);

// The width `text` covers at `height`, stroke included.
double width(const QString& text, double height);

double strokeWidth(double height);

} // namespace TrayDigits

} // namespace nimbra
