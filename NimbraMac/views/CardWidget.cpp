#include "CardWidget.h"

#include "ViewShapes.h"
#include "ViewTheme.h"

#include <QPainter>

#include <cmath>

namespace nimbra {

CardWidget::CardWidget(QWidget* parent) : QWidget(parent) {}

void CardWidget::setFill(const ColorToken& fill) {
    m_fill = fill;
    update();
}

void CardWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor fill = m_fill ? theme::color(*m_fill, palette()) : theme::thinMaterial(palette());
    painter.fillPath(shapes::roundedRect(QRectF(rect()), cornerRadius), fill);
}

DotView::DotView(double diameter, const ColorToken& color, QWidget* parent)
    : QWidget(parent), m_diameter(diameter), m_color(color) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void DotView::setGlow(const ColorToken& color, double radius) {
    m_glow = color;
    m_glowRadius = radius;
    updateGeometry();
}

QSize DotView::sizeHint() const {
    const int edge = int(std::ceil(m_diameter + 2 * m_glowRadius));
    return {edge, edge};
}

void DotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    const QRectF dot(centre.x() - m_diameter / 2, centre.y() - m_diameter / 2, m_diameter, m_diameter);
    const QPainterPath path = shapes::ellipse(dot);
    if (m_glow)
        shapes::drawShadow(painter, path, theme::color(*m_glow, palette()), m_glowRadius);
    painter.fillPath(path, theme::color(m_color, palette()));
}

DividerLine::DividerLine(const ColorToken& tint, QWidget* parent) : QWidget(parent), m_tint(tint) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DividerLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), theme::color(m_tint, palette()));
}

} // namespace nimbra
