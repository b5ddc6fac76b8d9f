#pragma once

#include "RawValueEnum.h"

namespace nimbra {

enum class ForecastFreshness { fresh, stale, failed };

template <> struct EnumNames<ForecastFreshness> {
    static constexpr const char* typeName = "ForecastFreshness";
    static constexpr std::array<const char*, 3> rawValues = {"fresh", "stale", "failed"};
};

} // namespace nimbra
