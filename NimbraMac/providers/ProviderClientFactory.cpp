#include "ProviderClientFactory.h"

#include "FixtureWeatherClient.h"
#include "METNorwayWeatherClient.h"
#include "OpenMeteoWeatherClient.h"
#include "OpenWeatherWeatherClient.h"
#include "PlaceholderWeatherClient.h"
#include "TomorrowIOWeatherClient.h"
#include "WeatherKitWeatherClient.h"

#include <QCoreApplication>

namespace nimbra {
namespace {

ProviderHTTPContext contextFor(const ProviderEnvironment& environment, WeatherProviderKind kind) {
    return {environment.session, environment.clock, environment.baseURLs.value(kind)};
}

} // namespace

QList<WeatherProviderClientPtr> ProviderClientFactory::clients(const ProviderSet& enabledProviders) const {
    QList<WeatherProviderClientPtr> out;
    for (const WeatherProviderKind kind : providers::sortedByRawValue(enabledProviders))
        out.append(client(kind));
    return out;
}

bool ProviderClientFactory::takesKey(WeatherProviderKind kind) {
    return kind == WeatherProviderKind::openWeather || kind == WeatherProviderKind::tomorrowIO;
}

WeatherProviderClientPtr ProviderClientFactory::client(WeatherProviderKind kind) const {
    using K = WeatherProviderKind;
    const auto& clock = environment.clock;
    if (useFixtures)
        return std::make_shared<FixtureWeatherClient>(kind, clock);
    const auto placeholder = [&](const char* reason) {
        return std::make_shared<PlaceholderWeatherClient>(
            kind, QCoreApplication::translate("ProviderClientFactory", reason), clock);
    };
    const ProviderHTTPContext context = contextFor(environment, kind);
    switch (kind) {
    case K::openMeteo:
        return std::make_shared<OpenMeteoWeatherClient>(context);
    case K::weatherKit:
        return std::make_shared<WeatherKitWeatherClient>(context, environment.weatherService);
    case K::openWeather:
        if (configuration.openWeatherAPIKey)
            return std::make_shared<OpenWeatherWeatherClient>(context, *configuration.openWeatherAPIKey);
        return placeholder(QT_TRANSLATE_NOOP("ProviderClientFactory", "OpenWeather API key is missing."));
    case K::visualCrossing:
        return placeholder(
            QT_TRANSLATE_NOOP("ProviderClientFactory", "Visual Crossing has been retired in Nimbra."));
    case K::nws:
        return placeholder(QT_TRANSLATE_NOOP("ProviderClientFactory", "NWS live client is not wired yet."));
    case K::metNorway:
        return std::make_shared<METNorwayWeatherClient>(context, configuration.appUserAgent);
    case K::weatherAPI:
        return placeholder(
            QT_TRANSLATE_NOOP("ProviderClientFactory", "WeatherAPI.com has been retired in Nimbra."));
    case K::tomorrowIO:
        if (configuration.tomorrowIOAPIKey)
            return std::make_shared<TomorrowIOWeatherClient>(context, *configuration.tomorrowIOAPIKey);
        return placeholder(QT_TRANSLATE_NOOP("ProviderClientFactory", "Tomorrow.io API key is missing."));
    case K::pirateWeather:
        return placeholder(
            QT_TRANSLATE_NOOP("ProviderClientFactory", "Pirate Weather has been retired in Nimbra."));
    }
    return placeholder(QT_TRANSLATE_NOOP("ProviderClientFactory", "Unknown provider."));
}

} // namespace nimbra
