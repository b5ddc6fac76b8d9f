#pragma once

#include "JsonCodec.h"

#include <QHashFunctions>
#include <QLatin1String>
#include <QString>

#include <array>
#include <optional>

namespace nimbra {

// Each persisted enumeration specialises this with its type name and its raw values in declaration order.
template <typename E> struct EnumNames;

template <typename E>
concept RawValueEnum = requires {
    EnumNames<E>::typeName;
    EnumNames<E>::rawValues;
};

template <RawValueEnum E> QLatin1StringView rawValueView(E value) {
    return QLatin1StringView(EnumNames<E>::rawValues[static_cast<std::size_t>(value)]);
}

template <RawValueEnum E> QString rawValue(E value) {
    return rawValueView(value);
}

// Exact, case-sensitive match against the raw values.
template <RawValueEnum E> std::optional<E> fromRawValue(QStringView text) {
    const auto& names = EnumNames<E>::rawValues;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == QLatin1String(names[i]))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

template <RawValueEnum E> E enumFromText(const QString& text, QStringView what) {
    if (const auto e = fromRawValue<E>(text))
        return *e;
    throw DecodingError(QStringLiteral("Cannot initialize %1 from invalid String value %2 (\"%3\")")
                            .arg(QLatin1String(EnumNames<E>::typeName), text, what));
}

template <RawValueEnum E> E enumFromJson(const QJsonValue& value, QStringView what) {
    return enumFromText<E>(json::asString(value, what), what);
}

template <RawValueEnum E> E readEnum(const QJsonObject& o, QStringView key) {
    return enumFromText<E>(json::readString(o, key), key);
}

template <RawValueEnum E> size_t qHash(E value, size_t seed = 0) noexcept {
    return ::qHash(QLatin1String(EnumNames<E>::rawValues[static_cast<std::size_t>(value)]), seed);
}

} // namespace nimbra
