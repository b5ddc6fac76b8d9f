#pragma once

#include <QProxyStyle>

namespace nimbra {

// The scroll bar of a popover: a thin rounded handle in an opaque grey between the window's and its text's
// colour, without arrows or groove, over the application's own style for everything else. Its parts' geometry
// is its own, so clicks and drags land where the handle is drawn.
//
// Besides the look: a style's full scroll bar (gradients and translucent lines the whole height of the
// bar) was about a third of painting the opened dashboard, because Qt splits each such fill over its paint
// threads and waits for them. An opaque colour is written directly.
class SlimScrollStyle : public QProxyStyle {
    Q_OBJECT
public:
    static constexpr int extent = 10;
    static constexpr int margin = 2;
    static constexpr int minimumHandle = 24;

    SlimScrollStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};

} // namespace nimbra
