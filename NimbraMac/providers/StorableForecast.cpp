#include "StorableForecast.h"

#include "ProviderUnits.h"

namespace nimbra {
namespace {

bool storable(const QDateTime& instant) {
    return units::storableInstant(instant).has_value();
}

std::optional<QDateTime> storableOrNone(const std::optional<QDateTime>& instant) {
    return instant ? units::storableInstant(*instant) : std::nullopt;
}

} // namespace

ProviderForecast withStorableInstants(ProviderForecast forecast, const QDateTime& now) {
    if (!storable(forecast.issuedAt))
        forecast.issuedAt = now;
    if (!storable(forecast.expiresAt))
        forecast.expiresAt = now;
    if (forecast.current && !storable(forecast.current->date))
        forecast.current.reset();
    forecast.hourly.removeIf([](const WeatherSample& s) { return !storable(s.date); });
    forecast.daily.removeIf([](const DailyForecast& d) { return !storable(d.date); });
    for (DailyForecast& day : forecast.daily) {
        day.sunrise = storableOrNone(day.sunrise);
        day.sunset = storableOrNone(day.sunset);
    }
    forecast.alerts.removeIf(
        [](const WeatherAlert& a) { return !storable(a.effectiveAt) || !storable(a.expiresAt); });
    return forecast;
}

} // namespace nimbra
