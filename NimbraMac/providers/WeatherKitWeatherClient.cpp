#include "WeatherKitWeatherClient.h"
#include "StorableForecast.h"

#include "FailedForecast.h"
#include "ProviderUnits.h"

#include <cmath>

namespace nimbra {
namespace {

constexpr qsizetype maximumHours = 24;
constexpr qsizetype maximumDays = 10;

std::optional<QDateTime> instant(const QDateTime& date) {
    return units::storableInstant(date);
}

// A sample needs a time and a temperature; any other value that is not a number is left out.
std::optional<WeatherSample> sample(const QDateTime& date, double temperatureC, double apparentTemperatureC,
                                    double humidity, double windSpeedKph, WeatherKitCondition condition) {
    const auto when = instant(date);
    if (!when || !std::isfinite(temperatureC))
        return std::nullopt;
    return WeatherSample{*when,
                         temperatureC,
                         units::finite(apparentTemperatureC),
                         units::finite(humidity),
                         units::finite(windSpeedKph),
                         WeatherKitWeatherClient::condition(condition),
                         std::nullopt,
                         std::nullopt};
}

std::optional<WeatherSample> currentSample(const WeatherKitCurrentWeather& c) {
    return sample(c.date, c.temperatureC, c.apparentTemperatureC, c.humidity, c.windSpeedKph, c.condition);
}

std::optional<WeatherSample> hourSample(const WeatherKitHourWeather& h) {
    auto s = sample(h.date, h.temperatureC, h.apparentTemperatureC, h.humidity, h.windSpeedKph, h.condition);
    if (s) {
        s->precipitationProbability = units::finite(h.precipitationChance);
        s->precipitationIntensityMmPerHour = units::finite(h.precipitationAmountMm);
    }
    return s;
}

std::optional<DailyForecast> dayEntry(const WeatherKitDayWeather& d) {
    const auto date = instant(d.date);
    if (!date || !std::isfinite(d.highTemperatureC) || !std::isfinite(d.lowTemperatureC))
        return std::nullopt;
    return DailyForecast{*date,
                         d.highTemperatureC,
                         d.lowTemperatureC,
                         WeatherKitWeatherClient::condition(d.condition),
                         units::finite(d.precipitationChance),
                         std::nullopt,
                         std::nullopt};
}

WeatherAlert alert(const WeatherKitAlert& a, const QDateTime& now) {
    // The service gives alerts no identity of their own, so each mapping mints a new one.
    return {QUuid::createUuid(),
            WeatherProviderKind::weatherKit,
            a.region.value_or(a.source),
            a.summary,
            WeatherKitWeatherClient::severity(a.severity),
            instant(a.metadata.date).value_or(now),
            instant(a.metadata.expirationDate).value_or(now),
            a.detailsURL};
}

} // namespace

WeatherKitWeatherClient::WeatherKitWeatherClient(ProviderHTTPContext context,
                                                 std::shared_ptr<WeatherService> service,
                                                 LocalCalendar calendar)
    : m_clock(std::move(context.clock)), m_service(std::move(service)), m_calendar(std::move(calendar)) {}

WeatherCondition WeatherKitWeatherClient::condition(WeatherKitCondition condition) {
    using C = WeatherKitCondition;
    switch (condition) {
    case C::blizzard:
    case C::blowingSnow:
    case C::flurries:
    case C::heavySnow:
    case C::snow:
    case C::sunFlurries:
        return WeatherCondition::snow;
    case C::blowingDust:
    case C::foggy:
    case C::haze:
    case C::smoky:
        return WeatherCondition::fog;
    case C::breezy:
    case C::windy:
        return WeatherCondition::windy;
    case C::clear:
    case C::frigid:
    case C::hot:
        return WeatherCondition::clear;
    case C::cloudy:
        return WeatherCondition::cloudy;
    case C::drizzle:
    case C::freezingDrizzle:
    case C::sunShowers:
        return WeatherCondition::drizzle;
    case C::freezingRain:
    case C::rain:
        return WeatherCondition::rain;
    case C::hail:
    case C::sleet:
    case C::wintryMix:
        return WeatherCondition::sleet;
    case C::heavyRain:
        return WeatherCondition::heavyRain;
    case C::hurricane:
    case C::isolatedThunderstorms:
    case C::scatteredThunderstorms:
    case C::strongStorms:
    case C::thunderstorms:
    case C::tropicalStorm:
        return WeatherCondition::thunderstorm;
    case C::mostlyClear:
        return WeatherCondition::mostlyClear;
    case C::mostlyCloudy:
    case C::partlyCloudy:
        return WeatherCondition::partlyCloudy;
    case C::other:
        break;
    }
    return WeatherCondition::unknown;
}

WeatherAlertSeverity WeatherKitWeatherClient::severity(WeatherKitAlertSeverity severity) {
    switch (severity) {
    case WeatherKitAlertSeverity::minor:
        return WeatherAlertSeverity::minor;
    case WeatherKitAlertSeverity::severe:
        return WeatherAlertSeverity::severe;
    case WeatherKitAlertSeverity::extreme:
        return WeatherAlertSeverity::extreme;
    case WeatherKitAlertSeverity::moderate:
    case WeatherKitAlertSeverity::unknown:
    case WeatherKitAlertSeverity::other:
        break;
    }
    return WeatherAlertSeverity::moderate;
}

ProviderForecast WeatherKitWeatherClient::makeForecast(const WeatherKitWeather& weather,
                                                       const WeatherLocation& location, const QDateTime& now,
                                                       const LocalCalendar& calendar) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::weatherKit;
    forecast.locationID = location.id;
    // The service says how long its answer holds, even when that is already over.
    forecast.issuedAt = instant(weather.currentWeather.metadata.date).value_or(now);
    forecast.expiresAt = instant(weather.currentWeather.metadata.expirationDate).value_or(now);
    forecast.attribution = attribution();
    forecast.current = currentSample(weather.currentWeather);

    const QDateTime hourStart = calendar.startOfHour(now);
    for (const WeatherKitHourWeather& hour : weather.hourlyForecast) {
        if (forecast.hourly.size() == maximumHours)
            break;
        if (const auto s = hourSample(hour); s && s->date >= hourStart)
            forecast.hourly.append(*s);
    }
    for (const WeatherKitDayWeather& day :
         weather.dailyForecast.first(std::min(maximumDays, weather.dailyForecast.size()))) {
        if (const auto entry = dayEntry(day))
            forecast.daily.append(*entry);
    }
    for (const WeatherKitAlert& a : weather.weatherAlerts.value_or(QList<WeatherKitAlert>()))
        forecast.alerts.append(alert(a, now));
    return withStorableInstants(std::move(forecast), now);
}

QCoro::Task<ProviderForecast> WeatherKitWeatherClient::forecast(WeatherLocation location,
                                                                CancellationToken cancel) {
    // Copies: the client may be gone by the time the answer arrives.
    const auto service = m_service;
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_clock->now();

    const WeatherServiceAnswer answer =
        co_await service->weather(location.latitude, location.longitude, cancel);
    if (!answer.weather)
        co_return failedForecast(WeatherProviderKind::weatherKit, location, now, attribution(),
                                 answer.errorDescription);
    co_return makeForecast(*answer.weather, location, now, calendar);
}

} // namespace nimbra
