#include "HorizontalScrollArea.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace nimbra {

HorizontalScrollArea::HorizontalScrollArea(QWidget* content, QWidget* parent)
    : QScrollArea(parent), m_content(content) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    content->setParent(viewport());
    content->hide();
}

void HorizontalScrollArea::showEvent(QShowEvent* event) {
    QScrollArea::showEvent(event);
    if (widget() || !m_content)
        return;
    m_content->adjustSize();
    setWidget(m_content);
    horizontalScrollBar()->setValue(m_pendingScroll);
}

int HorizontalScrollArea::scrollPosition() const {
    return widget() ? horizontalScrollBar()->value() : m_pendingScroll;
}

void HorizontalScrollArea::setScrollPosition(int x) {
    m_pendingScroll = x;
    if (widget())
        horizontalScrollBar()->setValue(x);
}

void HorizontalScrollArea::setDragScrollingEnabled(bool enabled) {
    m_dragEnabled = enabled;
    m_dragOrigin.reset();
}

bool HorizontalScrollArea::viewportEvent(QEvent* event) {
    if (m_dragEnabled) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() == Qt::LeftButton) {
                m_dragOrigin = e->position().toPoint();
                m_dragStartValue = horizontalScrollBar()->value();
                return true;
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragOrigin) {
                auto* e = static_cast<QMouseEvent*>(event);
                horizontalScrollBar()->setValue(m_dragStartValue -
                                                (e->position().toPoint().x() - m_dragOrigin->x()));
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            if (m_dragOrigin) {
                m_dragOrigin.reset();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QScrollArea::viewportEvent(event);
}

QSize HorizontalScrollArea::sizeHint() const {
    const QSize content = m_content ? m_content->sizeHint() : QSize();
    return {content.width(), content.height()};
}

QSize HorizontalScrollArea::minimumSizeHint() const {
    return {0, m_content ? m_content->sizeHint().height() : 0};
}

void HorizontalScrollArea::wheelEvent(QWheelEvent* event) {
    // Touchpads report pixels, wheels report eighths of a degree (120 per notch).
    const bool pixels = !event->pixelDelta().isNull();
    QPoint delta = pixels ? event->pixelDelta() : event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier && delta.x() == 0)
        delta = QPoint(delta.y(), 0);
    if (delta.x() == 0) {
        event->ignore();
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() - (pixels ? delta.x() : delta.x() * 3 * bar->singleStep() / 120));
    event->accept();
}

} // namespace nimbra
