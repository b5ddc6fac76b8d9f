#include "WidgetBoard.h"

#include "WidgetWindow.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include <algorithm>

namespace nimbra {

WidgetBoard::WidgetBoard(QWidget* parent) : QWidget(parent) {
    setWindowTitle(tr("Nimbra Widgets"));
    relayout();
}

void WidgetBoard::relayout() {
    int x = spacing;
    int y = spacing;
    int rowHeight = 0;
    for (WidgetWindow* widget : findChildren<WidgetWindow*>(Qt::FindDirectChildrenOnly)) {
        if (widget->isHidden())
            continue;
        const QSize size = widget->size();
        if (x > spacing && x + size.width() > spacing + rowWidth) {
            x = spacing;
            y += rowHeight + spacing;
            rowHeight = 0;
        }
        widget->move(x, y);
        x += size.width() + spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    setFixedSize(rowWidth + 2 * spacing,
                 std::max(y + rowHeight + spacing,
                          widgetFamilySize(WidgetFamily::systemSmall).height() + 2 * spacing));
}

void WidgetBoard::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("Add Widget…"), this, &WidgetBoard::addRequested);
    menu.exec(event->globalPos());
}

void WidgetBoard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0.16f, 0.17f, 0.19f));
}

} // namespace nimbra
