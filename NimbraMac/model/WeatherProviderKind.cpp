#include "WeatherProviderKind.h"

#include <algorithm>

namespace nimbra::providers {

QList<WeatherProviderKind> allCases() {
    using K = WeatherProviderKind;
    return {K::openMeteo, K::weatherKit, K::openWeather, K::metNorway, K::tomorrowIO};
}

QList<WeatherProviderKind> everyKind() {
    QList<WeatherProviderKind> out;
    for (std::size_t i = 0; i < EnumNames<WeatherProviderKind>::rawValues.size(); ++i)
        out.append(static_cast<WeatherProviderKind>(i));
    return out;
}

ProviderSet liveSet() {
    const auto live = allCases();
    return ProviderSet(live.begin(), live.end());
}

QString id(WeatherProviderKind kind) {
    return rawValue(kind);
}

QString displayName(WeatherProviderKind kind) {
    static constexpr std::array<const char*, 9> names = {
        "Open-Meteo", "Apple Weather",  "OpenWeather", "Visual Crossing", "NWS",
        "MET Norway", "WeatherAPI.com", "Tomorrow.io", "Pirate Weather"};
    return QString::fromUtf8(names[static_cast<std::size_t>(kind)]);
}

double defaultWeight(WeatherProviderKind kind) {
    static constexpr std::array<double, 9> weights = {0.9, 1.0, 0.82, 0.74, 0.92, 0.78, 0.76, 0.8, 0.68};
    return weights[static_cast<std::size_t>(kind)];
}

bool rawValueLess(WeatherProviderKind a, WeatherProviderKind b) {
    return std::strcmp(EnumNames<WeatherProviderKind>::rawValues[static_cast<std::size_t>(a)],
                       EnumNames<WeatherProviderKind>::rawValues[static_cast<std::size_t>(b)]) < 0;
}

QList<WeatherProviderKind> sortedByRawValue(const ProviderSet& kinds) {
    QList<WeatherProviderKind> out(kinds.begin(), kinds.end());
    std::sort(out.begin(), out.end(), rawValueLess);
    return out;
}

} // namespace nimbra::providers
