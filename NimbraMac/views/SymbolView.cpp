#include "SymbolView.h"

#include "SymbolImage.h"
#include "ViewTheme.h"

#include <QPainter>

#include <cmath>

namespace nimbra {

SymbolView::SymbolView(const QString& name, double pointSize, FontWeight weight, const ColorToken& tint,
                       QWidget* parent)
    : QWidget(parent), m_name(name), m_pointSize(pointSize), m_weight(weight), m_tint(tint) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(name);
}

void SymbolView::setSymbol(const QString& name, const ColorToken& tint) {
    if (name == m_name && tint == m_tint)
        return;
    m_name = name;
    m_tint = tint;
    setAccessibleName(name);
    update();
}

void SymbolView::setFrame(double width, double height) {
    m_frameWidth = width;
    m_frameHeight = height;
    updateGeometry();
}

void SymbolView::setRotation(double degrees) {
    m_rotation = degrees;
    update();
}

QSize SymbolView::sizeHint() const {
    const int edge = int(std::ceil(m_pointSize));
    return {m_frameWidth > 0 ? int(std::ceil(m_frameWidth)) : edge,
            m_frameHeight > 0 ? int(std::ceil(m_frameHeight)) : edge};
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    if (m_rotation != 0) {
        painter.translate(centre);
        painter.rotate(m_rotation);
        painter.translate(-centre);
    }
    const QRectF box(centre.x() - m_pointSize / 2, centre.y() - m_pointSize / 2, m_pointSize, m_pointSize);
    SymbolImage::draw(painter, m_name, box, theme::color(m_tint, palette()), m_weight);
}

} // namespace nimbra
