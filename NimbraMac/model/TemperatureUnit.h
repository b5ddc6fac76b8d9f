#pragma once

#include "RawValueEnum.h"

#include <QCoreApplication>
#include <QList>

namespace nimbra {

enum class TemperatureUnit { fahrenheit, celsius };

template <> struct EnumNames<TemperatureUnit> {
    static constexpr const char* typeName = "TemperatureUnit";
    static constexpr std::array<const char*, 2> rawValues = {"fahrenheit", "celsius"};
};

namespace temperatureUnits {
inline QList<TemperatureUnit> allCases() {
    return {TemperatureUnit::fahrenheit, TemperatureUnit::celsius};
}
inline QString title(TemperatureUnit u) {
    return u == TemperatureUnit::fahrenheit ? QCoreApplication::translate("TemperatureUnit", "Fahrenheit")
                                            : QCoreApplication::translate("TemperatureUnit", "Celsius");
}
inline QString abbreviation(TemperatureUnit u) {
    return u == TemperatureUnit::fahrenheit ? QStringLiteral("F") : QStringLiteral("C");
}
} // namespace temperatureUnits

} // namespace nimbra
