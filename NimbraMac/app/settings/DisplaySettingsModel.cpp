#include "DisplaySettingsModel.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <cmath>
#include <limits>

namespace nimbra::displaysettings {

namespace {

// Half away from zero, held inside what an integer holds (a snapshot may carry any number).
qint64 roundedPoints(double points) {
    constexpr double limit = 1e15;
    return qint64(std::round(qBound(-limit, points, limit)));
}

} // namespace

QString sizeValueText(double points) {
    if (!std::isfinite(points))
        return QCoreApplication::translate("nimbra::DisplaySettingsTab", "-- pt");
    return QCoreApplication::translate("nimbra::DisplaySettingsTab", "%1 pt").arg(roundedPoints(points));
}

int sliderPosition(double points, SliderRange range) {
    if (!std::isfinite(points))
        return range.minimum;
    return int(qBound(qint64(range.minimum), roundedPoints(points), qint64(range.maximum)));
}

namespace refreshinterval {

QString label(int minutes) {
    return QCoreApplication::translate("nimbra::DisplaySettingsTab", "Refresh every %1 minutes").arg(minutes);
}

// In 64 bits: a stored value near the integer limits must not overflow.
int incremented(int minutes) {
    return int(qMin(qint64(minutes) + step, qint64(maximum)));
}

int decremented(int minutes) {
    return int(qMax(qint64(minutes) - step, qint64(minimum)));
}

bool canIncrement(int minutes) {
    return minutes < maximum;
}

bool canDecrement(int minutes) {
    return minutes > minimum;
}

} // namespace refreshinterval
} // namespace nimbra::displaysettings
