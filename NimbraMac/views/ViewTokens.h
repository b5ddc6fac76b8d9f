#pragma once

#include <QtGlobal>

namespace nimbra {

// Colours the views ask for, by role. The painting layer maps them to the palette (ViewTheme.h); view models
// never see a QColor, so their tests compare tokens.
enum class Tint {
    primary, // hierarchical foreground styles: the text colour at decreasing strength
    secondary,
    tertiary,
    quaternary,
    orange,
    pink,
    teal,
    blue,
    cyan,
    yellow,
    red,
    green,
    gray,
    white,
    black,
    custom, // the sRGB components of the token
};

struct ColorToken {
    Tint tint = Tint::primary;
    double opacity = 1.0;
    double red = 0, green = 0, blue = 0; // read only for Tint::custom, each 0...1

    static constexpr ColorToken of(Tint t, double opacity = 1.0) { return {t, opacity, 0, 0, 0}; }
    static constexpr ColorToken srgb(double r, double g, double b, double opacity = 1.0) {
        return {Tint::custom, opacity, r, g, b};
    }
    constexpr ColorToken withOpacity(double o) const {
        ColorToken c = *this;
        c.opacity = o;
        return c;
    }
    bool operator==(const ColorToken&) const = default;
};

enum class FontWeight { regular, medium, semibold, bold };
enum class FontDesign { standard, rounded };

// The platform text styles the views name, with the sizes of the desktop platform they were designed on.
enum class TextStyle { title3, headline, callout, caption, caption2 };

// A font request in logical pixels.
struct FontToken {
    double pixelSize = 13;
    FontWeight weight = FontWeight::regular;
    FontDesign design = FontDesign::standard;
    bool monospacedDigits = false;
    double tracking = 0; // extra pixels between letters

    static FontToken style(TextStyle style, FontWeight weight = FontWeight::regular);
    static FontToken system(double pixelSize, FontWeight weight, FontDesign design = FontDesign::standard) {
        return {pixelSize, weight, design, false, 0};
    }
    FontToken digits() const {
        FontToken f = *this;
        f.monospacedDigits = true;
        return f;
    }
    FontToken tracked(double pixels) const {
        FontToken f = *this;
        f.tracking = pixels;
        return f;
    }
    bool operator==(const FontToken&) const = default;
};

inline double textStyleSize(TextStyle style) {
    switch (style) {
    case TextStyle::title3:
        return 15;
    case TextStyle::headline:
        return 13;
    case TextStyle::callout:
        return 12;
    case TextStyle::caption:
    case TextStyle::caption2:
        return 10;
    }
    return 13;
}

inline FontToken FontToken::style(TextStyle style, FontWeight weight) {
    // The headline style is bold unless a weight is asked for.
    if (style == TextStyle::headline && weight == FontWeight::regular)
        weight = FontWeight::bold;
    return {textStyleSize(style), weight, FontDesign::standard, false, 0};
}

// One run of text as a view model hands it to the painter.
struct TextToken {
    FontToken font;
    ColorToken color;
    bool operator==(const TextToken&) const = default;
};

} // namespace nimbra
