#pragma once

#include "WidgetKitLayer.h"

#include <QWidget>

namespace nimbra {

class WidgetWindow;

// One ordinary window holding every placed widget, for desktops where a program can neither place its windows
// nor keep them below the others (Wayland). The widgets flow in rows in the order they were added.
class WidgetBoard : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 16;
    // Two medium widgets side by side, or one large.
    static constexpr int rowWidth = widgetFamilySize(WidgetFamily::systemMedium).width() * 2 + spacing;

    explicit WidgetBoard(QWidget* parent = nullptr);

    // Lays the children out again after one was added, resized or removed.
    void relayout();

Q_SIGNALS:
    void addRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace nimbra
