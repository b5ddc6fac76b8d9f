#pragma once

#include <QScrollArea>
#include <QScrollBar>

#include <optional>

namespace nimbra {

// A row that scrolls sideways without showing scroll bars: by horizontal wheel or touchpad motion, by the
// vertical wheel while Shift is held, and (when enabled) by dragging. A plain vertical wheel passes on to the
// page around it, so the dashboard keeps scrolling over the row.
class HorizontalScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit HorizontalScrollArea(QWidget* content, QWidget* parent = nullptr);
    void setDragScrollingEnabled(bool enabled);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    bool m_dragEnabled = false;
    std::optional<QPoint> m_dragOrigin;
    int m_dragStartValue = 0;
};

} // namespace nimbra
