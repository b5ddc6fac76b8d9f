#include "ViewTheme.h"

#include <QFontDatabase>

namespace nimbra::theme {

namespace {

// The fallback is asked for only when needed: the system's default family costs a sort of every installed
// font.
template <typename Fallback> QString installedOr(const QString& family, Fallback fallback) {
    return QFontDatabase::hasFamily(family) ? family : fallback();
}

QFont::Weight qtWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    }
    return QFont::Normal;
}

// Strength of the hierarchical foreground styles over the text colour.
double hierarchyAlpha(Tint tint) {
    switch (tint) {
    case Tint::secondary:
        return 0.55;
    case Tint::tertiary:
        return 0.30;
    case Tint::quaternary:
        return 0.12;
    default:
        return 1.0;
    }
}

} // namespace

QString textFamily() {
    static const QString family =
        installedOr(QStringLiteral("Inter"), [] { return QFont().defaultFamily(); });
    return family;
}

QString roundedFamily() {
    // No rounded face is packaged for Debian; the display cut of the same family keeps large numerals
    // compact.
    static const QString family = installedOr(QStringLiteral("Inter Display"), textFamily);
    return family;
}

QFont font(const FontToken& token) {
    QFont f(token.design == FontDesign::rounded ? roundedFamily() : textFamily());
    f.setPixelSize(qMax(1, qRound(token.pixelSize)));
    f.setWeight(qtWeight(token.weight));
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    if (token.tracking != 0)
        f.setLetterSpacing(QFont::AbsoluteSpacing, token.tracking);
    return f;
}

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

QColor color(const ColorToken& token, const QPalette& palette) {
    QColor c;
    switch (token.tint) {
    case Tint::primary:
    case Tint::secondary:
    case Tint::tertiary:
    case Tint::quaternary:
        c = palette.color(QPalette::WindowText);
        c.setAlphaF(float(c.alphaF() * hierarchyAlpha(token.tint)));
        break;
    case Tint::orange:
        c = QColor::fromRgbF(1.00f, 0.58f, 0.00f);
        break;
    case Tint::pink:
        c = QColor::fromRgbF(1.00f, 0.18f, 0.33f);
        break;
    case Tint::teal:
        c = QColor::fromRgbF(0.19f, 0.69f, 0.78f);
        break;
    case Tint::blue:
        c = QColor::fromRgbF(0.00f, 0.48f, 1.00f);
        break;
    case Tint::cyan:
        c = QColor::fromRgbF(0.20f, 0.68f, 0.90f);
        break;
    case Tint::yellow:
        c = QColor::fromRgbF(1.00f, 0.80f, 0.00f);
        break;
    case Tint::red:
        c = QColor::fromRgbF(1.00f, 0.23f, 0.19f);
        break;
    case Tint::green:
        c = QColor::fromRgbF(0.20f, 0.78f, 0.35f);
        break;
    case Tint::gray:
        c = QColor::fromRgbF(0.56f, 0.56f, 0.58f);
        break;
    case Tint::white:
        c = Qt::white;
        break;
    case Tint::black:
        c = Qt::black;
        break;
    case Tint::custom:
        c = QColor::fromRgbF(float(token.red), float(token.green), float(token.blue));
        break;
    }
    c.setAlphaF(float(qBound(0.0, c.alphaF() * token.opacity, 1.0)));
    return c;
}

QColor thinMaterial(const QPalette& palette) {
    return isDark(palette) ? QColor(255, 255, 255, 20) : QColor(255, 255, 255, 150);
}

} // namespace nimbra::theme
