#include "OpenWeatherMapping.h"
#include "StorableForecast.h"

#include "ProviderUnits.h"

#include <QCoreApplication>
#include <algorithm>
#include <map>

namespace nimbra::openweather {
namespace {

std::optional<int> firstConditionID(const QList<OpenWeatherCondition>& weather) {
    return weather.isEmpty() ? std::nullopt : std::optional(weather.first().id);
}

std::optional<double> precipitationIntensity(const OpenWeatherPoint& point) {
    if (point.rain && point.rain->lastHour)
        return units::finite(point.rain->lastHour);
    if (point.snow && point.snow->lastHour)
        return units::finite(point.snow->lastHour);
    return std::nullopt;
}

template <typename Entry> OpenWeatherPoint pointFrom(const Entry& entry, std::optional<double> pop) {
    return {
        entry.dt,
        entry.main.temp,
        entry.main.feelsLike,
        entry.main.humidity,
        entry.wind ? entry.wind->speed : std::nullopt,
        entry.weather,
        pop,
        entry.rain,
        entry.snow,
    };
}

template <typename T> std::optional<T> extreme(std::optional<T> a, std::optional<T> b, bool largest) {
    if (!a || !b)
        return a ? a : b;
    return largest ? std::max(*a, *b) : std::min(*a, *b);
}

OpenWeatherDay daySummary(const QDateTime& dayStart, const QList<OpenWeatherFreeForecastPoint>& entries) {
    OpenWeatherDay day;
    day.dt = double(dayStart.toSecsSinceEpoch());
    double sum = 0;
    for (const auto& entry : entries) {
        sum += entry.main.temp;
        day.tempMin = extreme(day.tempMin, entry.main.tempMin, false);
        day.tempMax = extreme(day.tempMax, entry.main.tempMax, true);
        day.pop = extreme(day.pop, entry.pop, true);
    }
    const double mean = sum / double(entries.size());
    day.temperatureC = mean;
    day.temperatureRange = OpenWeatherDayTemperature{day.tempMin.value_or(mean), day.tempMax.value_or(mean)};
    // The day's condition is that of its earliest entry.
    day.weather = entries.first().weather;
    return day;
}

} // namespace

QString attribution() {
    return QCoreApplication::translate("OpenWeatherMapping", "Weather data by OpenWeather");
}

WeatherCondition condition(std::optional<int> id) {
    if (!id)
        return WeatherCondition::unknown;
    const int code = *id;
    if (code >= 200 && code <= 299)
        return WeatherCondition::thunderstorm;
    if (code >= 300 && code <= 399)
        return WeatherCondition::drizzle;
    if (code == 500 || code == 501)
        return WeatherCondition::rain;
    if (code >= 502 && code <= 599)
        return WeatherCondition::heavyRain;
    if (code >= 600 && code <= 699)
        return WeatherCondition::snow;
    if (code >= 700 && code <= 799)
        return WeatherCondition::fog;
    switch (code) {
    case 800:
        return WeatherCondition::clear;
    case 801:
        return WeatherCondition::mostlyClear;
    case 802:
        return WeatherCondition::partlyCloudy;
    case 803:
    case 804:
        return WeatherCondition::cloudy;
    default:
        return WeatherCondition::unknown;
    }
}

OpenWeatherPoint point(const OpenWeatherFreeCurrentResponse& current) {
    return pointFrom(current, std::nullopt);
}

OpenWeatherPoint point(const OpenWeatherFreeForecastPoint& entry) {
    return pointFrom(entry, entry.pop);
}

QList<OpenWeatherDay> dailySummaries(const QList<OpenWeatherFreeForecastPoint>& entries,
                                     const LocalCalendar& calendar) {
    std::map<qint64, QList<OpenWeatherFreeForecastPoint>> days;
    for (const auto& entry : entries) {
        if (const auto instant = units::instantFromUnixSeconds(entry.dt))
            days[calendar.startOfDay(*instant).toMSecsSinceEpoch()].append(entry);
    }
    QList<OpenWeatherDay> summaries;
    for (const auto& [dayStart, dayEntries] : days)
        summaries.append(daySummary(QDateTime::fromMSecsSinceEpoch(dayStart, Qt::UTC), dayEntries));
    return summaries;
}

OpenWeatherResponse combined(const OpenWeatherFreeCurrentResponse& current,
                             const OpenWeatherFreeForecastResponse& forecast, const LocalCalendar& calendar) {
    QList<OpenWeatherPoint> hourly;
    for (const auto& entry : forecast.list)
        hourly.append(point(entry));
    return {point(current), hourly, dailySummaries(forecast.list, calendar)};
}

std::optional<WeatherSample> sample(const OpenWeatherPoint& point) {
    const auto date = units::instantFromUnixSeconds(point.dt);
    const auto temperature = units::finite(point.temp);
    if (!date || !temperature)
        return std::nullopt;
    return WeatherSample{
        *date,
        *temperature,
        units::finite(point.feelsLike),
        units::fractionFromPercent(point.humidity),
        units::kphFromMetresPerSecond(point.windSpeed),
        condition(firstConditionID(point.weather)),
        units::finite(point.pop),
        precipitationIntensity(point),
    };
}

std::optional<DailyForecast> dailyForecast(const OpenWeatherDay& day) {
    const auto date = units::instantFromUnixSeconds(day.dt);
    std::optional<double> high = day.tempMax ? day.tempMax : day.temperatureC;
    std::optional<double> low = day.tempMin ? day.tempMin : day.temperatureC;
    if (day.temperatureRange) {
        high = day.temperatureRange->max;
        low = day.temperatureRange->min;
    }
    high = units::finite(high);
    low = units::finite(low);
    if (!date || !high || !low)
        return std::nullopt;
    const auto instant = [](std::optional<double> seconds) {
        return seconds ? units::instantFromUnixSeconds(*seconds) : std::nullopt;
    };
    return DailyForecast{
        *date,
        *high,
        *low,
        condition(firstConditionID(day.weather)),
        units::finite(day.pop),
        instant(day.sunrise),
        instant(day.sunset),
    };
}

ProviderForecast makeForecast(const OpenWeatherResponse& response, const WeatherLocation& location,
                              const QDateTime& now) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::openWeather;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now.addSecs(lifetimeSeconds);
    forecast.attribution = attribution();
    if (response.current)
        forecast.current = sample(*response.current);
    for (const auto& point : response.hourly.value_or(QList<OpenWeatherPoint>{})) {
        if (forecast.hourly.size() == hourlyLimit)
            break;
        if (const auto s = sample(point))
            forecast.hourly.append(*s);
    }
    for (const auto& day : response.daily.value_or(QList<OpenWeatherDay>{})) {
        if (forecast.daily.size() == dailyLimit)
            break;
        if (const auto d = dailyForecast(day))
            forecast.daily.append(*d);
    }
    return withStorableInstants(std::move(forecast), now);
}

} // namespace nimbra::openweather
