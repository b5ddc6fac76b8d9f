#pragma once

#include "WeatherProviderConfiguration.h"
#include "WeatherProviderKind.h"

#include <QString>

namespace nimbra {

// The API keys the user typed, while the app runs. An empty text means no key.
struct WeatherProviderCredentials {
    QString openWeatherAPIKey;
    QString visualCrossingAPIKey;
    QString weatherAPIKey;
    QString tomorrowIOAPIKey;

    // Sent to providers that want to know who asks.
    static QString appUserAgent() { return QStringLiteral("Nimbra/0.1 nimbra-support@tarnwick.com"); }

    // The key of a keyed kind; the empty text for every other kind.
    QString apiKey(WeatherProviderKind kind) const;
    // Stores the text without surrounding white space; kinds without a key are left alone.
    void setAPIKey(const QString& key, WeatherProviderKind kind);
    // Empty keys become absent.
    WeatherProviderConfiguration configuration() const;

    bool operator==(const WeatherProviderCredentials&) const = default;
};

size_t qHash(const WeatherProviderCredentials& credentials, size_t seed = 0) noexcept;

} // namespace nimbra
