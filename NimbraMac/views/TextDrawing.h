#pragma once

#include <QFont>
#include <QString>

class QPainter;
class QPointF;

namespace nimbra {

// Single-line text with optional monospaced digits. Qt 6.4 cannot switch on a font's tabular figures, so each
// decimal digit is given the advance of the widest digit and centred in it; other characters keep their own
// advances. Numbers that change then keep their width, as on the platform the views were designed for.
namespace textdrawing {

qreal advance(const QFont& font, const QString& text, bool monospacedDigits);
// Draws with the baseline's left end at origin.
void draw(QPainter& painter, const QPointF& origin, const QFont& font, const QString& text,
          bool monospacedDigits);

} // namespace textdrawing

} // namespace nimbra
