#pragma once

#include "ViewTokens.h"

#include <QWidget>

namespace nimbra {

// A tinted symbol of SymbolImage at a given point size, centred in a frame of its own.
class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(const QString& name, double pointSize, FontWeight weight, const ColorToken& tint,
               QWidget* parent = nullptr);

    QString name() const { return m_name; }
    void setSymbol(const QString& name, const ColorToken& tint);
    // Fixes the frame; a non-positive extent keeps the symbol's own extent in that direction.
    void setFrame(double width, double height);
    // Turns the glyph about its centre (degrees, clockwise on screen).
    void setRotation(double degrees);
    double rotation() const { return m_rotation; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    double m_pointSize;
    FontWeight m_weight;
    ColorToken m_tint;
    double m_frameWidth = 0;
    double m_frameHeight = 0;
    double m_rotation = 0;
};

} // namespace nimbra
