#pragma once

#include "RawValueEnum.h"

#include <QList>

namespace nimbra {

enum class WeatherCondition {
    clear,
    mostlyClear,
    partlyCloudy,
    cloudy,
    fog,
    drizzle,
    rain,
    heavyRain,
    thunderstorm,
    snow,
    sleet,
    windy,
    unknown,
};

template <> struct EnumNames<WeatherCondition> {
    static constexpr const char* typeName = "WeatherCondition";
    static constexpr std::array<const char*, 13> rawValues = {
        "clear",     "mostlyClear",  "partlyCloudy", "cloudy", "fog",   "drizzle", "rain",
        "heavyRain", "thunderstorm", "snow",         "sleet",  "windy", "unknown"};
};

namespace conditions {
QList<WeatherCondition> allCases();
QString title(WeatherCondition condition);
QString symbolName(WeatherCondition condition);
} // namespace conditions

} // namespace nimbra
