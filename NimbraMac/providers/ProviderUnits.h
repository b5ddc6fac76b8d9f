#pragma once

#include "Iso8601.h"

#include <QDateTime>

#include <cmath>
#include <optional>

// Conversions at the provider boundary. A value that is not finite afterwards is dropped here: one absurd
// number must not reach the snapshot, whose encoder refuses it and would then refuse every later write.
namespace nimbra::units {

inline std::optional<double> finite(std::optional<double> value) {
    return value && std::isfinite(*value) ? value : std::nullopt;
}

inline std::optional<double> fractionFromPercent(std::optional<double> percent) {
    return percent ? finite(*percent / 100.0) : std::nullopt;
}

inline std::optional<double> fractionFromPercent(std::optional<int> percent) {
    return percent ? std::optional(*percent / 100.0) : std::nullopt;
}

inline std::optional<double> kphFromMetresPerSecond(std::optional<double> speed) {
    return speed ? finite(*speed * 3.6) : std::nullopt;
}

// The span a stored date can be written in (four-digit years, 0001 to 9999). A later instant is written as an
// empty text that no snapshot reading accepts, so it would cost the user the whole saved state.
inline constexpr qint64 earliestStorableMSecs = -62'135'596'800'000; // 0001-01-01T00:00:00Z
inline constexpr qint64 latestStorableMSecs = 253'402'300'799'999;   // 9999-12-31T23:59:59.999Z

// The instant in UTC and whole seconds (all a stored date keeps), or nothing when it is invalid or outside
// the storable span.
inline std::optional<QDateTime> storableInstant(const QDateTime& instant) {
    if (!instant.isValid())
        return std::nullopt;
    const qint64 msecs = instant.toMSecsSinceEpoch();
    if (msecs < earliestStorableMSecs || msecs > latestStorableMSecs)
        return std::nullopt;
    return iso8601::wholeSeconds(instant);
}

// Unix seconds to a UTC instant; nothing when the number names no storable time (milliseconds sent where
// seconds belong land some 50,000 years ahead).
inline std::optional<QDateTime> instantFromUnixSeconds(double seconds) {
    // Bounds the product below to what qint64 holds; the storable span lies well inside.
    constexpr double limit = 1e13;
    if (!std::isfinite(seconds) || std::abs(seconds) > limit)
        return std::nullopt;
    return storableInstant(QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000.0), Qt::UTC));
}

} // namespace nimbra::units
