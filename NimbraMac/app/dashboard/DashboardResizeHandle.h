#pragma once

#include <QPainterPath>
#include <QPoint>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

#include <functional>
#include <optional>

namespace nimbra {

// Turns a drag's running translation into the change since the previous report.
class ResizeDragTracker {
public:
    // The change since the last report of this drag; the first report carries the whole translation.
    QSizeF change(QSizeF translation);
    void end() { m_lastTranslation = QSizeF(0, 0); }
    QSizeF lastTranslation() const { return m_lastTranslation; }

private:
    // QSizeF() is (-1, -1), not zero.
    QSizeF m_lastTranslation{0, 0};
};

// Two short parallel diagonal strokes, lower left to upper right, the shorter one nearer the corner.
QPainterPath resizeGripMark(const QRectF& rect);

// The grip in the dashboard's bottom-right corner. A press anywhere in its square grabs it; each move of at
// least a point reports the size change since the last report, in logical pixels (right and down positive).
class DashboardResizeHandle : public QWidget {
    Q_OBJECT
public:
    static constexpr int edge = 20;
    static inline const QString toolTipText =
        QStringLiteral(QT_TRANSLATE_NOOP("nimbra::DashboardResizeHandle", "Drag to resize"));

    explicit DashboardResizeHandle(std::function<void(QSizeF)> onResizeDrag, QWidget* parent = nullptr);

    // Drives a drag from global pointer positions; the mouse handlers call these.
    void pressAt(QPointF globalPosition);
    void moveTo(QPointF globalPosition);
    void release();

Q_SIGNALS:
    void dragStarted();
    void dragFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void(QSizeF)> m_onResizeDrag;
    ResizeDragTracker m_tracker;
    std::optional<QPointF> m_pressPosition;
    bool m_dragging = false;
};

} // namespace nimbra
