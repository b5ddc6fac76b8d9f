#include "TrayDigits.h"

#include <QHash>

#include <functional>

namespace nimbra::TrayDigits {
namespace {

// Glyphs are drawn in units where a digit's centre lines span 0..1 from top to bottom; the stroke is
// kStroke units wide, so a digit covers 1 + kStroke units of height in all.
constexpr double kStroke = 0.24;
// Between the centre-line boxes of neighbours: the strokes' own width plus a visible gap.
constexpr double kGap = kStroke + 0.13;

struct Glyph {
    double width; // of the centre-line box
    std::function<void(QPainterPath&)> draw;
};

void minus(QPainterPath& p) {
    p.moveTo(0, 0.56);
    p.lineTo(0.34, 0.56);
}

const QHash<QChar, Glyph>& glyphs() {
    static const QHash<QChar, Glyph> table{
        {u'0', {0.52, [](QPainterPath& p) { p.addRoundedRect(QRectF(0, 0, 0.52, 1), 0.26, 0.32); }}},
        {u'1',
         {0.34,
          [](QPainterPath& p) {
              p.moveTo(0, 0.2);
              p.lineTo(0.3, 0);
              p.lineTo(0.3, 1);
          }}},
        {u'2',
         {0.52,
          [](QPainterPath& p) {
              p.moveTo(0.01, 0.24);
              p.cubicTo(0.03, -0.06, 0.52, -0.07, 0.52, 0.27);
              p.cubicTo(0.52, 0.5, 0.1, 0.7, 0, 1);
              p.lineTo(0.54, 1);
          }}},
        {u'3',
         {0.52,
          [](QPainterPath& p) {
              p.moveTo(0.02, 0.14);
              p.cubicTo(0.12, -0.04, 0.5, -0.05, 0.5, 0.23);
              p.cubicTo(0.5, 0.41, 0.34, 0.47, 0.18, 0.47);
              p.cubicTo(0.38, 0.47, 0.54, 0.55, 0.54, 0.73);
              p.cubicTo(0.54, 1.04, 0.1, 1.06, 0, 0.85);
          }}},
        {u'4',
         {0.54,
          [](QPainterPath& p) {
              p.moveTo(0.4, 1);
              p.lineTo(0.4, 0);
              p.lineTo(0, 0.7);
              p.lineTo(0.54, 0.7);
          }}},
        {u'5',
         {0.53,
          [](QPainterPath& p) {
              p.moveTo(0.5, 0);
              p.lineTo(0.07, 0);
              p.lineTo(0.03, 0.47);
              p.cubicTo(0.13, 0.38, 0.53, 0.36, 0.53, 0.7);
              p.cubicTo(0.53, 1.04, 0.1, 1.06, 0, 0.86);
          }}},
        {u'6',
         {0.52,
          [](QPainterPath& p) {
              p.moveTo(0.46, 0.03);
              p.cubicTo(0.16, 0.06, 0, 0.34, 0, 0.67);
              p.addEllipse(QRectF(0, 0.36, 0.52, 0.64));
          }}},
        {u'7',
         {0.52,
          [](QPainterPath& p) {
              p.moveTo(0, 0);
              p.lineTo(0.52, 0);
              p.lineTo(0.14, 1);
          }}},
        {u'8',
         {0.52,
          [](QPainterPath& p) {
              p.addEllipse(QRectF(0.04, 0, 0.44, 0.46));
              p.addEllipse(QRectF(0, 0.44, 0.52, 0.56));
          }}},
        {u'9',
         {0.52,
          [](QPainterPath& p) {
              p.addEllipse(QRectF(0, 0, 0.52, 0.64));
              p.moveTo(0.52, 0.33);
              p.cubicTo(0.52, 0.66, 0.36, 0.94, 0.06, 0.97);
          }}},
        {u'-', {0.34, minus}},
        {QChar(0x2212), {0.34, minus}},
        {QChar(0x00B0), {0.4, [](QPainterPath& p) { p.addEllipse(QRectF(0, 0, 0.4, 0.4)); }}},
    };
    return table;
}

// The width of `text` in units, centre-line boxes and gaps (no stroke).
double unitWidth(const QString& text) {
    double w = 0;
    for (const QChar c : text)
        w += glyphs().value(c).width;
    return w + kGap * std::max<qsizetype>(0, text.size() - 1);
}

double unitFor(double height) {
    return height / (1 + kStroke);
}

} // namespace

bool canDraw(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!glyphs().contains(c))
            return false;
    }
    return true;
}

double strokeWidth(double height) {
    return unitFor(height) * kStroke;
}

double width(const QString& text, double height) {
    return (unitWidth(text) + kStroke) * unitFor(height);
}

QPainterPath centreLines(const QString& text, double height, QPointF bottomRight) {
    QPainterPath units;
    double x = 0;
    for (const QChar c : text) {
        const Glyph glyph = glyphs().value(c);
        QPainterPath one;
        if (glyph.draw)
            glyph.draw(one);
        units.addPath(one.translated(x, 0));
        x += glyph.width + kGap;
    }
    const double unit = unitFor(height);
    const double half = kStroke / 2;
    QTransform place;
    place.translate(bottomRight.x() - (unitWidth(text) + half) * unit, bottomRight.y() - (1 + half) * unit);
    place.scale(unit, unit);
    return place.map(units);
}

} // namespace nimbra::TrayDigits
