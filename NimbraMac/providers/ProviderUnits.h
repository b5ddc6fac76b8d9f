#pragma once

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

// Unix seconds to a UTC instant; nothing when the number names no representable time.
inline std::optional<QDateTime> instantFromUnixSeconds(double seconds) {
    // About ±300,000 years: far beyond any forecast, well inside QDateTime and qint64 milliseconds.
    constexpr double limit = 1e13;
    if (!std::isfinite(seconds) || std::abs(seconds) > limit)
        return std::nullopt;
    const QDateTime instant = QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000.0), Qt::UTC);
    return instant.isValid() ? std::optional(instant) : std::nullopt;
}

} // namespace nimbra::units
