#pragma once

#include "ViewTokens.h"

#include <QWidget>

#include <optional>

namespace nimbra {

// A rounded card: the thin material (or a tinted fill) behind its children.
class CardWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 8;

    explicit CardWidget(QWidget* parent = nullptr);
    // Replaces the material with a fill of the given colour.
    void setFill(const ColorToken& fill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ColorToken> m_fill;
};

// A small filled circle, optionally with a soft glow of its own colour around it (which needs room: the
// widget is the dot plus glowRadius on every side).
class DotView : public QWidget {
    Q_OBJECT
public:
    DotView(double diameter, const ColorToken& color, QWidget* parent = nullptr);
    void setGlow(const ColorToken& color, double radius);
    double glowRadius() const { return m_glowRadius; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_diameter;
    ColorToken m_color;
    std::optional<ColorToken> m_glow;
    double m_glowRadius = 0;
};

// The thin line between rows, as wide as its parent lets it be. A filled rectangle, not a drawn line:
// Qt's raster engine blends a line pixel by pixel and, past about a hundred pixels, hands the pieces to
// its thread pool, which cost more than the line itself.
class DividerLine : public QWidget {
    Q_OBJECT
public:
    explicit DividerLine(QWidget* parent = nullptr) : DividerLine(color(), parent) {}
    explicit DividerLine(const ColorToken& tint, QWidget* parent = nullptr);
    static ColorToken color() { return ColorToken::of(Tint::primary, 0.12); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorToken m_tint;
};

} // namespace nimbra
