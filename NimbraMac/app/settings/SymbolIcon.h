#pragma once

#include <QIcon>
#include <QPalette>
#include <QString>

#include <functional>

class QAbstractButton;
class QWidget;

namespace nimbra {

// One of the views' symbols as a button icon in the palette's button text colour (dimmed when disabled).
QIcon symbolIcon(const QString& name, const QPalette& palette, int edge = 14);

// Calls `paint` with `widget`'s palette now and again whenever that palette changes: a symbol painted once
// keeps the colours of the palette it was painted with, which for a widget built before it sits in its window
// are the desktop's, not the window's.
void paintWithPalette(QWidget* widget, std::function<void(const QPalette&)> paint);

// The button's icon is the symbol, painted from the palette the button is shown with.
void setSymbolIcon(QAbstractButton* button, const QString& name, int edge = 14);

} // namespace nimbra
