#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

namespace nimbra {

// The places of a row of `slots` equal cells in `area`, left to right, `spacing` apart. The pixels the
// division leaves over go one each to the first places, so a place depends only on the row's count, width and
// spacing.
QList<QRect> evenSlotRects(int slots, const QRect& area, int spacing);

// Lays its items out left to right, the n-th item in the n-th of `slots` equal places, each as tall as the
// row. Places without an item stay empty: a row that holds fewer items keeps the cells of a full one instead
// of stretching them over the width.
class EvenSlotsLayout : public QLayout {
public:
    EvenSlotsLayout(int slots, int spacing, QWidget* parent = nullptr);
    ~EvenSlotsLayout() override;

    int slots() const { return m_slots; }

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;
    void setGeometry(const QRect& rect) override;

private:
    // More items than places get places of their own.
    int placeCount() const;
    QSize rowSize(QSize (QLayoutItem::*measure)() const) const;

    QList<QLayoutItem*> m_items;
    int m_slots;
};

} // namespace nimbra
