#pragma once

// The snapshots the benchmarks measure: by default 20 places, each with a consensus and five provider
// forecasts of 240 hours and 10 days, from a fixed start; the first place is the current location and the
// selected one.
#include "CachedWeatherPayload.h"

#include <cmath>

namespace nimbra::benchdata {

inline const QDateTime kStart(QDate(2025, 6, 2), QTime(10, 0), Qt::UTC);
inline constexpr WeatherProviderKind kKinds[] = {
    WeatherProviderKind::openMeteo, WeatherProviderKind::metNorway, WeatherProviderKind::openWeather,
    WeatherProviderKind::tomorrowIO, WeatherProviderKind::weatherKit};

inline WeatherSample sample(int hour, int salt, const QDateTime& start = kStart) {
    WeatherSample s;
    s.date = start.addSecs(qint64(hour) * 3600);
    s.temperatureC = 18.3 + 4.1 * std::sin(hour / 3.7 + salt);
    s.apparentTemperatureC = s.temperatureC - 0.7;
    s.humidity = 0.61 + 0.003 * (hour % 11);
    s.windKph = 9.4 + (hour + salt) % 13;
    s.condition = (hour + salt) % 6 == 0 ? WeatherCondition::rain : WeatherCondition::partlyCloudy;
    s.precipitationProbability = 0.05 * ((hour + salt) % 9);
    if (s.condition == WeatherCondition::rain)
        s.precipitationIntensityMmPerHour = 0.8;
    return s;
}

inline QList<WeatherSample> hours(int salt, const QDateTime& start = kStart) {
    QList<WeatherSample> out;
    for (int h = 0; h < 240; ++h)
        out.append(sample(h, salt, start));
    return out;
}

inline QList<DailyForecast> days(int salt, const QDateTime& start = kStart) {
    QList<DailyForecast> out;
    for (int d = 0; d < 10; ++d) {
        const QDateTime day = start.addDays(d);
        out.append({day, 22.5 + salt % 3, 11.25, WeatherCondition::cloudy, 0.35, day.addSecs(-4 * 3600),
                    day.addSecs(9 * 3600)});
    }
    return out;
}

// The hour `time` falls in, where the application's forecasts start.
inline QDateTime startOfHour(const QDateTime& time) {
    const QDateTime utc = time.toUTC();
    return QDateTime(utc.date(), QTime(utc.time().hour(), 0), Qt::UTC);
}

// `places` places (at least one) from `start`: a snapshot dated now looks to the application as one it just
// saved.
inline CachedWeatherPayload largeSnapshot(int places = 20, const QDateTime& start = kStart) {
    CachedWeatherPayload payload;
    for (int i = 0; i < places; ++i) {
        WeatherLocation l{QUuid::createUuid(),
                          QStringLiteral("Place %1").arg(i),
                          QStringLiteral("Region, Country"),
                          10.0 + i,
                          20.0 + i,
                          i == 0,
                          i == 0,
                          start};
        payload.locations.append(l);
        ConsensusForecast c;
        c.location = l;
        c.generatedAt = start;
        c.current = sample(0, i, start);
        c.hourly = hours(i, start);
        c.daily = days(i, start);
        c.providerCount = 5;
        c.confidence = 0.83;
        c.spread = ForecastSpread{1.4, 3.5, 0.2};
        c.nextPrecipitationSummary = QStringLiteral("Rain likely around 3 PM");
        c.attributionLine = QStringLiteral("Open-Meteo, MET Norway, OpenWeather, Tomorrow.io, Apple Weather");
        c.state = ConsensusState::ready;
        payload.forecasts.insert(l.id, c);
        QList<ProviderForecast> list;
        for (const WeatherProviderKind kind : kKinds) {
            ProviderForecast f;
            f.provider = kind;
            f.locationID = l.id;
            f.issuedAt = start;
            f.expiresAt = start.addSecs(3600);
            f.attribution = QStringLiteral("Weather data by ") + providers::displayName(kind);
            f.current = sample(0, i + int(kind), start);
            f.hourly = hours(i + int(kind), start);
            f.daily = days(i + int(kind), start);
            list.append(f);
        }
        payload.providerForecasts.insert(l.id, list);
    }
    payload.settings.menuBarLocationID = payload.locations.first().id;
    payload.selectedForecast = payload.forecasts.value(payload.locations.first().id);
    return payload;
}

} // namespace nimbra::benchdata
