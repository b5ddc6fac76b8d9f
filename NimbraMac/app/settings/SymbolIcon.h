#pragma once

#include <QIcon>
#include <QPalette>
#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

namespace nimbra {

// One of the views' symbols as a button icon in the palette's button text colour (dimmed when disabled).
// Icons are drawn once per symbol, size and colours and then shared: a list of hundreds of rows shows one
// picture, and a window built again draws none.
QIcon symbolIcon(const QString& name, const QPalette& palette, int edge = 14);
// The symbol in one colour for every state of the button.
QIcon tintedSymbolIcon(const QString& name, const QColor& tint, int edge = 14);

// Calls `paint` with `widget`'s palette now and again whenever that palette changes: a symbol painted once
// keeps the colours of the palette it was painted with, which for a widget built before it sits in its window
// are the desktop's, not the window's.
void paintWithPalette(QWidget* widget, std::function<void(const QPalette&)> paint);

// The button's icon is the symbol, painted from the palette the button is shown with.
void setSymbolIcon(QAbstractButton* button, const QString& name, int edge = 14);

} // namespace nimbra
