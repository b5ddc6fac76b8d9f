#include "WeatherProviderCredentials.h"

#include <QHashFunctions>

namespace nimbra {

namespace {

// The key field of a keyed kind, const or not as the credentials are; null for the other kinds.
template <typename Credentials> auto* field(Credentials& credentials, WeatherProviderKind kind) {
    using Field = decltype(&credentials.openWeatherAPIKey);
    switch (kind) {
    case WeatherProviderKind::openWeather:
        return &credentials.openWeatherAPIKey;
    case WeatherProviderKind::visualCrossing:
        return &credentials.visualCrossingAPIKey;
    case WeatherProviderKind::weatherAPI:
        return &credentials.weatherAPIKey;
    case WeatherProviderKind::tomorrowIO:
        return &credentials.tomorrowIOAPIKey;
    default:
        return static_cast<Field>(nullptr);
    }
}

std::optional<QString> presentKey(const QString& key) {
    return key.isEmpty() ? std::nullopt : std::optional(key);
}

} // namespace

QString WeatherProviderCredentials::apiKey(WeatherProviderKind kind) const {
    const QString* key = field(*this, kind);
    return key ? *key : QString();
}

void WeatherProviderCredentials::setAPIKey(const QString& key, WeatherProviderKind kind) {
    // QString::trimmed removes Unicode white space and line breaks at both ends.
    if (auto* target = field(*this, kind))
        *target = key.trimmed();
}

WeatherProviderConfiguration WeatherProviderCredentials::configuration() const {
    return {presentKey(openWeatherAPIKey), presentKey(visualCrossingAPIKey), presentKey(weatherAPIKey),
            presentKey(tomorrowIOAPIKey), appUserAgent()};
}

size_t qHash(const WeatherProviderCredentials& credentials, size_t seed) noexcept {
    return qHashMulti(seed, credentials.openWeatherAPIKey, credentials.visualCrossingAPIKey,
                      credentials.weatherAPIKey, credentials.tomorrowIOAPIKey);
}

} // namespace nimbra
