#include "TomorrowIOMapping.h"
#include "StorableForecast.h"

#include "Iso8601.h"
#include "ProviderUnits.h"

#include <QCoreApplication>

namespace nimbra::tomorrowio {
namespace {

template <typename T> std::optional<T> firstPresent(std::initializer_list<std::optional<T>> candidates) {
    for (const auto& candidate : candidates) {
        if (candidate)
            return candidate;
    }
    return std::nullopt;
}

// The stated total when there is one, else the sum of the kinds the service reports separately.
std::optional<double> precipitationIntensity(const TomorrowIOValues& v) {
    if (v.precipitationIntensity)
        return units::finite(v.precipitationIntensity);
    std::optional<double> total;
    for (const auto& part : {v.rainIntensity, v.snowIntensity, v.sleetIntensity, v.freezingRainIntensity}) {
        if (part)
            total = total.value_or(0.0) + *part;
    }
    return units::finite(total);
}

} // namespace

QString attribution() {
    return QCoreApplication::translate("TomorrowIOMapping", "Weather data by Tomorrow.io");
}

WeatherCondition condition(std::optional<int> weatherCode) {
    switch (weatherCode.value_or(-1)) {
    case 1000:
        return WeatherCondition::clear;
    case 1100:
        return WeatherCondition::mostlyClear;
    case 1101:
    case 1102:
        return WeatherCondition::partlyCloudy;
    case 1001:
        return WeatherCondition::cloudy;
    case 2000:
    case 2100:
        return WeatherCondition::fog;
    case 4000:
    case 6000:
        return WeatherCondition::drizzle;
    case 4001:
    case 4200:
    case 6001:
    case 6200:
        return WeatherCondition::rain;
    case 4201:
    case 6201:
        return WeatherCondition::heavyRain;
    case 5000:
    case 5001:
    case 5100:
    case 5101:
        return WeatherCondition::snow;
    case 7000:
    case 7101:
    case 7102:
        return WeatherCondition::sleet;
    case 8000:
        return WeatherCondition::thunderstorm;
    default:
        return WeatherCondition::unknown;
    }
}

std::optional<QDateTime> intervalTime(const QString& text) {
    return iso8601::parseInternet(text);
}

std::optional<WeatherSample> sample(const TomorrowIOInterval& interval) {
    const TomorrowIOValues& v = interval.values;
    const auto date = intervalTime(interval.time);
    const auto temperature =
        units::finite(firstPresent({v.temperature, v.temperatureAvg, v.temperatureMax, v.temperatureMin}));
    if (!date || !temperature)
        return std::nullopt;
    return WeatherSample{
        *date,
        *temperature,
        units::finite(v.temperatureApparent),
        units::fractionFromPercent(v.humidity),
        units::kphFromMetresPerSecond(v.windSpeed),
        condition(v.weatherCode),
        units::fractionFromPercent(v.precipitationProbability),
        precipitationIntensity(v),
    };
}

std::optional<DailyForecast> dailyForecast(const TomorrowIOInterval& interval) {
    const TomorrowIOValues& v = interval.values;
    const auto date = intervalTime(interval.time);
    const auto typical = firstPresent({v.temperature, v.temperatureAvg});
    const auto high = units::finite(firstPresent({v.temperatureMax, typical}));
    const auto low = units::finite(firstPresent({v.temperatureMin, typical}));
    if (!date || !high || !low)
        return std::nullopt;
    return DailyForecast{
        *date,
        *high,
        *low,
        condition(firstPresent({v.weatherCodeMax, v.weatherCode})),
        units::fractionFromPercent(firstPresent(
            {v.precipitationProbabilityMax, v.precipitationProbabilityAvg, v.precipitationProbability})),
        std::nullopt,
        std::nullopt,
    };
}

ProviderForecast makeForecast(const TomorrowIOResponse& response, const WeatherLocation& location,
                              const QDateTime& now) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::tomorrowIO;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now.addSecs(lifetimeSeconds);
    forecast.attribution = attribution();
    for (const auto& interval : response.timelines.hourly.value_or(QList<TomorrowIOInterval>{})) {
        if (forecast.hourly.size() == hourlyLimit)
            break;
        if (const auto s = sample(interval))
            forecast.hourly.append(*s);
    }
    if (!forecast.hourly.isEmpty())
        forecast.current = forecast.hourly.first();
    for (const auto& interval : response.timelines.daily.value_or(QList<TomorrowIOInterval>{})) {
        if (forecast.daily.size() == dailyLimit)
            break;
        if (const auto d = dailyForecast(interval))
            forecast.daily.append(*d);
    }
    return withStorableInstants(std::move(forecast), now);
}

} // namespace nimbra::tomorrowio
