#include "AppGlyphs.h"

#include "ViewTheme.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nimbra {
namespace {

QRectF square(const QRectF& box) {
    const double e = std::min(box.width(), box.height());
    return {box.center().x() - e / 2, box.center().y() - e / 2, e, e};
}

QPen strokePen(const QColor& tint, double width) {
    return QPen(tint, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawRefresh(QPainter& p, const QRectF& s, const QColor& tint) {
    const double e = s.width();
    const QRectF ring = s.adjusted(e * 0.18, e * 0.18, -e * 0.18, -e * 0.18);
    p.setPen(strokePen(tint, e * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, 100 * 16, 290 * 16);
    // The arrow head at the arc's open end, pointing along it.
    const double r = ring.width() / 2;
    const double a = 100.0 * std::numbers::pi / 180;
    const QPointF tip(ring.center().x() + r * std::cos(a), ring.center().y() - r * std::sin(a));
    QPainterPath head;
    head.moveTo(tip + QPointF(e * 0.2, 0));
    head.lineTo(tip + QPointF(-e * 0.02, -e * 0.17));
    head.lineTo(tip + QPointF(-e * 0.02, e * 0.17));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(head);
}

void drawGear(QPainter& p, const QRectF& s, const QColor& tint) {
    const double e = s.width();
    const QPointF c = s.center();
    QPainterPath gear;
    const int teeth = 8;
    const double outer = e * 0.46, inner = e * 0.34;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = (i - 0.5) * std::numbers::pi * 2 / (teeth * 4);
        const double radius = (i % 4 < 2) ? outer : inner;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            gear.moveTo(point);
        else
            gear.lineTo(point);
    }
    gear.closeSubpath();
    gear.addEllipse(c, e * 0.14, e * 0.14);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(gear);
}

void drawPower(QPainter& p, const QRectF& s, const QColor& tint) {
    const double e = s.width();
    const QRectF ring = s.adjusted(e * 0.16, e * 0.2, -e * 0.16, -e * 0.12);
    p.setPen(strokePen(tint, e * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, 125 * 16, 290 * 16);
    p.drawLine(QPointF(s.center().x(), s.top() + e * 0.1),
               QPointF(s.center().x(), s.center().y() + e * 0.02));
}

void drawUmbrella(QPainter& p, const QRectF& s, const QColor& tint) {
    const double e = s.width();
    const QPointF c = s.center();
    QPainterPath canopy;
    const QRectF dome(s.left() + e * 0.06, s.top() + e * 0.1, e * 0.88, e * 0.8);
    canopy.moveTo(dome.left(), dome.center().y());
    canopy.arcTo(dome, 180, -180);
    // Scalloped lower edge.
    const double scallop = dome.width() / 3;
    for (int i = 0; i < 3; ++i) {
        const double right = dome.right() - i * scallop;
        canopy.quadTo(QPointF(right - scallop / 2, dome.center().y() - e * 0.08),
                      QPointF(right - scallop, dome.center().y()));
    }
    canopy.closeSubpath();
    QLinearGradient fill(dome.topLeft(), dome.bottomRight());
    fill.setColorAt(0, QColor(0x5a, 0xc8, 0xfa));
    fill.setColorAt(1, QColor(0x00, 0x7a, 0xff));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(canopy);
    p.setPen(strokePen(tint, e * 0.07));
    p.setBrush(Qt::NoBrush);
    const double shaftBottom = s.top() + e * 0.82;
    p.drawLine(QPointF(c.x(), dome.center().y()), QPointF(c.x(), shaftBottom));
    p.drawArc(QRectF(c.x() - e * 0.16, shaftBottom - e * 0.08, e * 0.16, e * 0.16), 0, -180 * 16);
}

void drawWarning(QPainter& p, const QRectF& s, const QColor& tint) {
    const double e = s.width();
    QPainterPath triangle;
    triangle.moveTo(s.center().x(), s.top() + e * 0.08);
    triangle.lineTo(s.right() - e * 0.04, s.bottom() - e * 0.1);
    triangle.lineTo(s.left() + e * 0.04, s.bottom() - e * 0.1);
    triangle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawPath(triangle);
    p.setPen(strokePen(Qt::white, e * 0.11));
    p.drawLine(QPointF(s.center().x(), s.top() + e * 0.38), QPointF(s.center().x(), s.top() + e * 0.62));
    p.drawPoint(QPointF(s.center().x(), s.top() + e * 0.76));
}

} // namespace

void drawAppGlyph(QPainter& painter, AppGlyph glyph, const QRectF& box, const QColor& tint) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF s = square(box);
    switch (glyph) {
    case AppGlyph::refresh:
        drawRefresh(painter, s, tint);
        break;
    case AppGlyph::gear:
        drawGear(painter, s, tint);
        break;
    case AppGlyph::power:
        drawPower(painter, s, tint);
        break;
    case AppGlyph::umbrella:
        drawUmbrella(painter, s, tint);
        break;
    case AppGlyph::warning:
        drawWarning(painter, s, tint);
        break;
    }
    painter.restore();
}

GlyphButton::GlyphButton(AppGlyph glyph, const QString& help, QWidget* parent)
    : QToolButton(parent), m_glyph(glyph), m_timer(new QTimer(this)) {
    setAutoRaise(true);
    setToolTip(help);
    setAccessibleName(help);
    setFixedSize(24, 24);
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % 12;
        update();
    });
}

void GlyphButton::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (m_busy && isVisible())
        m_timer->start();
    else
        m_timer->stop();
    update();
}

void GlyphButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.icon = {};
    option.text.clear();
    p.drawComplexControl(QStyle::CC_ToolButton, option);
    if (m_busy) {
        paintSpinner(p);
        return;
    }
    const QColor tint = theme::color(isDown() ? Tint::primary : Tint::secondary, palette());
    drawAppGlyph(p, m_glyph, QRectF(rect()).adjusted(5, 5, -5, -5), tint);
}

void GlyphButton::paintSpinner(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    const QColor base = theme::color(Tint::secondary, palette());
    for (int i = 0; i < 12; ++i) {
        QColor spoke = base;
        spoke.setAlphaF(base.alphaF() * (0.2 + 0.8 * ((i - m_step + 12) % 12) / 11.0));
        p.setPen(strokePen(spoke, 1.6));
        const double a = i * std::numbers::pi / 6;
        p.drawLine(c + QPointF(4 * std::cos(a), 4 * std::sin(a)),
                   c + QPointF(7 * std::cos(a), 7 * std::sin(a)));
    }
}

void GlyphButton::showEvent(QShowEvent* event) {
    if (m_busy)
        m_timer->start();
    QToolButton::showEvent(event);
}

void GlyphButton::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QToolButton::hideEvent(event);
}

} // namespace nimbra
