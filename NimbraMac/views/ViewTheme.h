#pragma once

#include "ViewTokens.h"

#include <QColor>
#include <QFont>
#include <QPalette>

namespace nimbra {

// Maps the view models' tokens to Qt colours and fonts. The foreground styles follow the widget's palette, so
// the views read well on light and dark desktops; the named colours are fixed.
namespace theme {

// Family names of the faces the views draw with (Debian package fonts-inter).
QString textFamily();
QString roundedFamily();

QFont font(const FontToken& token);
QColor color(const ColorToken& token, const QPalette& palette);
inline QColor color(Tint tint, const QPalette& palette, double opacity = 1.0) {
    return color(ColorToken::of(tint, opacity), palette);
}

// The translucent fill that stands in for the thin material behind cards.
QColor thinMaterial(const QPalette& palette);
bool isDark(const QPalette& palette);

} // namespace theme

} // namespace nimbra
