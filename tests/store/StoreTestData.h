#pragma once

#include "CachedWeatherPayload.h"

#include <QDateTime>
#include <QStringList>
#include <QUuid>

#include <cmath>

// Builders of snapshot values for the store's tests and the crash-test writer.
namespace nimbra::storetest {

inline const QDateTime kNoon = QDateTime(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

inline QUuid idFor(int n) {
    return QUuid(QStringLiteral("{00000000-0000-4000-8000-%1}").arg(n, 12, 10, QLatin1Char('0')));
}

inline WeatherLocation place(int n, const QString& name, double latitude, double longitude,
                             const QString& subtitle = QStringLiteral("Somewhere"), bool current = false,
                             const QDateTime& updatedAt = kNoon) {
    return {idFor(n), name, subtitle, latitude, longitude, current, current, updatedAt};
}

inline WeatherLocation currentPlace(int n, const QString& name = QStringLiteral("Leeds"),
                                    double latitude = 53.8, double longitude = -1.55) {
    return place(n, name, latitude, longitude, QStringLiteral("England"), true);
}

inline QList<WeatherSample> samples(int count) {
    QList<WeatherSample> out;
    for (int h = 0; h < count; ++h)
        out.append({kNoon.addSecs(3600 * h), 10 + std::sin(h), 9.5, 0.5, 12, WeatherCondition::partlyCloudy,
                    0.2, std::nullopt});
    return out;
}

inline ConsensusForecast consensusFor(const WeatherLocation& location, int hours = 3) {
    ConsensusForecast f;
    f.location = location;
    f.generatedAt = kNoon;
    f.current = samples(1).first();
    f.hourly = samples(hours);
    f.daily = {{kNoon, 14.25, 3.5, WeatherCondition::rain, 0.4, kNoon.addSecs(-5 * 3600), std::nullopt}};
    f.providerCount = 2;
    f.confidence = 0.82;
    f.attributionLine = QStringLiteral("Open-Meteo, MET Norway");
    f.state = ConsensusState::ready;
    return f;
}

inline ProviderForecast providerForecast(const QUuid& locationID, WeatherProviderKind kind, int hours = 3) {
    const ConsensusForecast c = consensusFor({}, hours);
    return {
        kind,     locationID, kNoon, kNoon.addSecs(3600), QStringLiteral("Weather data by test"), c.current,
        c.hourly, c.daily,    {},    std::nullopt};
}

inline QStringList namesOf(const QList<WeatherLocation>& locations) {
    QStringList names;
    for (const WeatherLocation& l : locations)
        names.append(l.name);
    return names;
}

// `count` places (the first the current location; the second selected), each with a consensus and `kinds`
// provider forecasts.
inline CachedWeatherPayload payloadWith(int count, int kinds = 2, int hours = 3) {
    CachedWeatherPayload payload;
    for (int i = 0; i < count; ++i) {
        const WeatherLocation l =
            i == 0 ? currentPlace(1) : place(i + 1, QStringLiteral("Place %1").arg(i + 1), 10 + i, 20 + i);
        payload.locations.append(l);
        payload.forecasts.insert(l.id, consensusFor(l, hours));
        for (int k = 0; k < kinds; ++k)
            payload.providerForecasts[l.id].append(
                providerForecast(l.id, providers::allCases()[k % 5], hours));
    }
    payload.settings.menuBarLocationID = idFor(count > 1 ? 2 : 1);
    payload.accuracyScores.insert(WeatherProviderKind::openMeteo, {WeatherProviderKind::openMeteo, 5, 1.25});
    payload.selectedForecast = payload.forecasts.value(*payload.settings.menuBarLocationID);
    return payload;
}

} // namespace nimbra::storetest
