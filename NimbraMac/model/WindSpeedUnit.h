#pragma once

#include "RawValueEnum.h"

#include <QCoreApplication>
#include <QList>

namespace nimbra {

enum class WindSpeedUnit { milesPerHour, kilometersPerHour };

template <> struct EnumNames<WindSpeedUnit> {
    static constexpr const char* typeName = "WindSpeedUnit";
    static constexpr std::array<const char*, 2> rawValues = {"milesPerHour", "kilometersPerHour"};
};

namespace windSpeedUnits {
inline QList<WindSpeedUnit> allCases() {
    return {WindSpeedUnit::milesPerHour, WindSpeedUnit::kilometersPerHour};
}
inline QString title(WindSpeedUnit u) {
    return u == WindSpeedUnit::milesPerHour
               ? QCoreApplication::translate("WindSpeedUnit", "Miles per hour")
               : QCoreApplication::translate("WindSpeedUnit", "Kilometers per hour");
}
inline QString abbreviation(WindSpeedUnit u) {
    return u == WindSpeedUnit::milesPerHour ? QStringLiteral("mph") : QStringLiteral("km/h");
}
} // namespace windSpeedUnits

} // namespace nimbra
