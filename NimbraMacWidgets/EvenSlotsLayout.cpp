#include "EvenSlotsLayout.h"

#include <QWidget>

namespace nimbra {

QList<QRect> evenSlotRects(int slots, const QRect& area, int spacing) {
    QList<QRect> rects;
    if (slots < 1)
        return rects;
    const int free = qMax(0, area.width() - spacing * (slots - 1));
    const int width = free / slots;
    const int extra = free % slots;
    int x = area.left();
    for (int i = 0; i < slots; ++i) {
        const int w = width + (i < extra ? 1 : 0);
        rects.append(QRect(x, area.top(), w, area.height()));
        x += w + spacing;
    }
    return rects;
}

EvenSlotsLayout::EvenSlotsLayout(int slots, int spacing, QWidget* parent)
    : QLayout(parent), m_slots(qMax(0, slots)) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

EvenSlotsLayout::~EvenSlotsLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void EvenSlotsLayout::addItem(QLayoutItem* item) {
    m_items.append(item);
    invalidate();
}

QLayoutItem* EvenSlotsLayout::itemAt(int index) const {
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem* EvenSlotsLayout::takeAt(int index) {
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

int EvenSlotsLayout::count() const {
    return int(m_items.size());
}

int EvenSlotsLayout::placeCount() const {
    return qMax(m_slots, count());
}

QSize EvenSlotsLayout::rowSize(QSize (QLayoutItem::*measure)() const) const {
    // Every place is as wide as the widest cell needs, so no cell is squeezed below its own need.
    QSize cell(0, 0);
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        cell = cell.expandedTo((item->*measure)());
    }
    const int places = placeCount();
    const QMargins margins = contentsMargins();
    const int width = places > 0 ? cell.width() * places + spacing() * (places - 1) : 0;
    return {width + margins.left() + margins.right(), cell.height() + margins.top() + margins.bottom()};
}

QSize EvenSlotsLayout::sizeHint() const {
    return rowSize(&QLayoutItem::sizeHint);
}

QSize EvenSlotsLayout::minimumSize() const {
    return rowSize(&QLayoutItem::minimumSize);
}

Qt::Orientations EvenSlotsLayout::expandingDirections() const {
    return Qt::Horizontal;
}

void EvenSlotsLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QList<QRect> places = evenSlotRects(placeCount(), contentsRect(), spacing());
    for (qsizetype i = 0; i < m_items.size(); ++i)
        m_items[i]->setGeometry(places[i]);
}

} // namespace nimbra
