#include "DashboardResizeHandle.h"

#include "Translations.h"
#include "ViewTheme.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace nimbra {

QSizeF ResizeDragTracker::change(QSizeF translation) {
    const QSizeF delta = translation - m_lastTranslation;
    m_lastTranslation = translation;
    return delta;
}

QPainterPath resizeGripMark(const QRectF& r) {
    const double w = r.width();
    const double h = r.height();
    QPainterPath path;
    path.moveTo(r.left() + 0.34 * w, r.bottom() - 0.2 * h);
    path.lineTo(r.right() - 0.2 * w, r.top() + 0.34 * h);
    path.moveTo(r.left() + 0.6 * w, r.bottom() - 0.2 * h);
    path.lineTo(r.right() - 0.2 * w, r.top() + 0.6 * h);
    return path;
}

DashboardResizeHandle::DashboardResizeHandle(std::function<void(QSizeF)> onResizeDrag, QWidget* parent)
    : QWidget(parent), m_onResizeDrag(std::move(onResizeDrag)) {
    setFixedSize(edge, edge);
    setToolTip(translatedText("nimbra::DashboardResizeHandle", toolTipText));
    setCursor(Qt::SizeFDiagCursor);
}

void DashboardResizeHandle::pressAt(QPointF globalPosition) {
    m_pressPosition = globalPosition;
    m_dragging = false;
    m_tracker.end();
}

void DashboardResizeHandle::moveTo(QPointF globalPosition) {
    if (!m_pressPosition)
        return;
    const QPointF moved = globalPosition - *m_pressPosition;
    // A press that wanders less than a point is a click, not a drag.
    if (!m_dragging && std::hypot(moved.x(), moved.y()) < 1)
        return;
    if (!m_dragging) {
        m_dragging = true;
        Q_EMIT dragStarted();
    }
    const QSizeF delta = m_tracker.change(QSizeF(moved.x(), moved.y()));
    if (m_onResizeDrag)
        m_onResizeDrag(delta);
}

void DashboardResizeHandle::release() {
    const bool wasDragging = m_dragging;
    m_pressPosition.reset();
    m_dragging = false;
    m_tracker.end();
    if (wasDragging)
        Q_EMIT dragFinished();
}

void DashboardResizeHandle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(theme::color(Tint::secondary, palette(), 0.85), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.drawPath(resizeGripMark(QRectF(rect())));
}

void DashboardResizeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressAt(event->globalPosition());
    event->accept();
}

void DashboardResizeHandle::mouseMoveEvent(QMouseEvent* event) {
    moveTo(event->globalPosition());
    event->accept();
}

void DashboardResizeHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        release();
    event->accept();
}

} // namespace nimbra
