#pragma once

#include "WeatherProviderClient.h"
#include "WeatherProviderConfiguration.h"

#include "Clock.h"
#include "HTTPSession.h"
#include "WeatherService.h"

#include <QHash>
#include <QList>
#include <QUrl>

#include <memory>

namespace nimbra {

// What live clients are built over: one session and clock for all, the WeatherKit service, and per-provider
// base addresses (tests point them at a loopback server; absent means the provider's own).
struct ProviderEnvironment {
    std::shared_ptr<HTTPSession> session;
    std::shared_ptr<const Clock> clock = Clock::system();
    std::shared_ptr<WeatherService> weatherService = WeatherService::shared();
    QHash<WeatherProviderKind, QUrl> baseURLs;
};

// Turns the enabled provider kinds into the clients of one refresh: a live client where it can be built, else
// a placeholder that reports why, so every enabled provider shows one result.
struct ProviderClientFactory {
    WeatherProviderConfiguration configuration;
    bool useFixtures = false;
    ProviderEnvironment environment;

    // One client per kind, ordered by raw value.
    QList<WeatherProviderClientPtr> clients(const ProviderSet& enabledProviders) const;
    WeatherProviderClientPtr client(WeatherProviderKind kind) const;
    // The kinds whose live client is built with a key from the configuration (OpenWeather, Tomorrow.io).
    static bool takesKey(WeatherProviderKind kind);
};

} // namespace nimbra
