#pragma once

#include "JsonCodec.h"

#include <optional>

// Readers that provider documents need beyond the model's strict ones.
namespace nimbra::json {

// Missing or null gives nothing; a value that is not a whole number still fails the document.
inline std::optional<int> readOptionalInt(const QJsonObject& o, QStringView key) {
    const auto v = optional(o, key);
    return v ? std::optional(asInt(*v, key)) : std::nullopt;
}

// Missing or null gives nothing; a present value must decode as T.
template <typename T> std::optional<T> readOptionalRecord(const QJsonObject& o, QStringView key) {
    const auto v = optional(o, key);
    return v ? std::optional(T::fromJson(*v)) : std::nullopt;
}

template <typename T, typename Decode>
std::optional<QList<T>> readOptionalArray(const QJsonObject& o, QStringView key, Decode decode) {
    if (!optional(o, key))
        return std::nullopt;
    return readArray<T>(o, key, decode);
}

// Anything but a number gives nothing, and never fails the document.
inline std::optional<double> readTolerantDouble(const QJsonObject& o, QStringView key) {
    const QJsonValue v = o.value(key);
    return v.isDouble() ? std::optional(v.toDouble()) : std::nullopt;
}

} // namespace nimbra::json
