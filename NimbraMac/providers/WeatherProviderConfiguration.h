#pragma once

#include <QString>

#include <optional>

namespace nimbra {

// What the client factory needs to build live clients: the keys that are set, and how Nimbra names itself to
// providers that ask (MET Norway's User-Agent).
struct WeatherProviderConfiguration {
    std::optional<QString> openWeatherAPIKey;
    std::optional<QString> visualCrossingAPIKey;
    std::optional<QString> weatherAPIKey;
    std::optional<QString> tomorrowIOAPIKey;
    QString appUserAgent;

    bool operator==(const WeatherProviderConfiguration&) const = default;
};

} // namespace nimbra
