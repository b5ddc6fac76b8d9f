#pragma once

#include "NimbraWidgetBundle.h"
#include "WeatherWidgetProvider.h"
#include "WidgetPlacements.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace nimbra {

// Shows one placed widget: its root view for the entry due now, in its family's size. On its own it is a
// frameless window kept below other windows, without a taskbar entry, moved by dragging; inside the board it
// is a plain child. Its context menu changes its size, removes it or adds another widget; the owner decides.
class WidgetWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 20;

    // A parent makes it a child of that widget (the board) instead of a window of its own.
    WidgetWindow(const WidgetDescriptor& descriptor, WidgetFamily family, QWidget* parent = nullptr);

    const QString& kind() const { return m_descriptor.kind; }
    WidgetFamily family() const { return m_family; }
    void setFamily(WidgetFamily family);
    void setEntry(const WeatherWidgetEntry& entry);

    // Window flags of a widget standing on the desktop.
    static Qt::WindowFlags desktopFlags();

Q_SIGNALS:
    void moved(QPoint position);
    void familyRequested(WidgetFamily family);
    void removeRequested();
    void addRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void rebuild();

    const WidgetDescriptor& m_descriptor;
    WidgetFamily m_family;
    std::optional<WeatherWidgetEntry> m_entry;
    QPointer<QWidget> m_view;
    std::optional<QPoint> m_dragOffset;
};

// The menu's name of a size.
QString widgetFamilyTitle(WidgetFamily family);

} // namespace nimbra
