#include "SlimScrollStyle.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <algorithm>

namespace nimbra {
namespace {

// The handle along the track, in the track's own direction: where it starts and how long it is.
std::pair<int, int> handleSpan(const QStyleOptionSlider& bar, int track) {
    const qint64 range = qint64(bar.maximum) - bar.minimum;
    if (range <= 0)
        return {0, track};
    const qint64 page = std::max(bar.pageStep, 1);
    const int length = std::clamp(int(track * page / (range + page)),
                                  std::min(SlimScrollStyle::minimumHandle, track), track);
    const int start = QStyle::sliderPositionFromValue(bar.minimum, bar.maximum, bar.sliderPosition,
                                                      track - length, bar.upsideDown);
    return {start, length};
}

// Part of the way from the window's colour to its text's, as an opaque colour: it reads in light and dark
// palettes alike, where the palette's own greys may lie close to a dark window's colour.
QColor towardText(const QPalette& palette, double share) {
    const QColor from = palette.color(QPalette::Window);
    const QColor to = palette.color(QPalette::WindowText);
    const auto channel = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(float(channel(from.redF(), to.redF())),
                            float(channel(from.greenF(), to.greenF())),
                            float(channel(from.blueF(), to.blueF())));
}

} // namespace

// A base style of the application's kind of its own: the proxy owns its base, and the application's
// instance is not ours to give away.
SlimScrollStyle::SlimScrollStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

int SlimScrollStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const {
    switch (metric) {
    case PM_ScrollBarExtent:
        return extent;
    case PM_ScrollBarSliderMin:
        return minimumHandle;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QRect SlimScrollStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                      SubControl part, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar)
        return QProxyStyle::subControlRect(control, option, part, widget);
    const bool vertical = bar->orientation == Qt::Vertical;
    const QRect track = bar->rect.adjusted(margin, margin, -margin, -margin);
    const int trackLength = vertical ? track.height() : track.width();
    const auto [start, length] = handleSpan(*bar, trackLength);
    // From `from` to `to` along the track, measured from its start.
    const auto along = [&](int from, int to) {
        return vertical ? QRect(track.left(), track.top() + from, track.width(), to - from)
                        : QRect(track.left() + from, track.top(), to - from, track.height());
    };
    switch (part) {
    case SC_ScrollBarGroove:
        return track;
    case SC_ScrollBarSlider:
        return along(start, start + length);
    case SC_ScrollBarSubPage:
        return along(0, start);
    case SC_ScrollBarAddPage:
        return along(start + length, trackLength);
    default: // no arrows, no first and last buttons
        return {};
    }
}

void SlimScrollStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || !bar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
    if (handle.isEmpty() || !(bar->state & State_Enabled))
        return;
    const bool active =
        (bar->activeSubControls & SC_ScrollBarSlider) && (bar->state & (State_MouseOver | State_Sunken));
    const QColor fill = towardText(bar->palette, active ? 0.55 : 0.3);
    const qreal radius = std::min(handle.width(), handle.height()) / 2.0;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(QRectF(handle), radius, radius);
    painter->restore();
}

} // namespace nimbra
