#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <optional>

namespace nimbra {

// A row that scrolls sideways without showing scroll bars: by horizontal wheel or touchpad motion, by the
// vertical wheel while Shift is held, and (when enabled) by dragging. A plain vertical wheel passes on to the
// page around it, so the dashboard keeps scrolling over the row. The row is sized and placed in the area when
// the area is first shown: sizing it measures its text, which a row nobody has seen yet does not need.
class HorizontalScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit HorizontalScrollArea(QWidget* content, QWidget* parent = nullptr);
    void setDragScrollingEnabled(bool enabled);
    QWidget* content() const { return m_content; }
    // How far the row is scrolled; set before the first showing, it applies once the row is placed.
    int scrollPosition() const;
    void setScrollPosition(int x);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QPointer<QWidget> m_content;
    int m_pendingScroll = 0;
    bool m_dragEnabled = false;
    std::optional<QPoint> m_dragOrigin;
    int m_dragStartValue = 0;
};

} // namespace nimbra
