#pragma once

#include "RawValueEnum.h"

namespace nimbra {

// Declaration order is severity order, so the built-in comparisons of the enumeration rank them.
enum class WeatherAlertSeverity { minor, moderate, severe, extreme };

template <> struct EnumNames<WeatherAlertSeverity> {
    static constexpr const char* typeName = "WeatherAlertSeverity";
    static constexpr std::array<const char*, 4> rawValues = {"minor", "moderate", "severe", "extreme"};
};

} // namespace nimbra
