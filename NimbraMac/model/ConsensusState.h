#pragma once

#include "RawValueEnum.h"

namespace nimbra {

enum class ConsensusState { ready, partial, stale, unavailable };

template <> struct EnumNames<ConsensusState> {
    static constexpr const char* typeName = "ConsensusState";
    static constexpr std::array<const char*, 4> rawValues = {"ready", "partial", "stale", "unavailable"};
};

} // namespace nimbra
