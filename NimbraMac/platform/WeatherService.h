#pragma once

#include "Cancellation.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace nimbra {

// The platform weather service in the shape of Apple WeatherKit: one call answers the current conditions, the
// hours, the days and the official alerts of a place. Measurements arrive already in °C, km/h and mm;
// humidity and chances are fractions 0-1.

// WeatherKit's conditions; `other` stands for any the service adds later.
enum class WeatherKitCondition {
    blizzard,
    blowingDust,
    blowingSnow,
    breezy,
    clear,
    cloudy,
    drizzle,
    flurries,
    foggy,
    freezingDrizzle,
    freezingRain,
    frigid,
    hail,
    haze,
    heavyRain,
    heavySnow,
    hot,
    hurricane,
    isolatedThunderstorms,
    mostlyClear,
    mostlyCloudy,
    partlyCloudy,
    rain,
    scatteredThunderstorms,
    sleet,
    smoky,
    snow,
    strongStorms,
    sunFlurries,
    sunShowers,
    thunderstorms,
    tropicalStorm,
    windy,
    wintryMix,
    other,
};

enum class WeatherKitAlertSeverity { minor, moderate, severe, extreme, unknown, other };

// When a datum was produced and until when it holds.
struct WeatherKitMetadata {
    QDateTime date;
    QDateTime expirationDate;

    bool operator==(const WeatherKitMetadata&) const = default;
};

struct WeatherKitCurrentWeather {
    QDateTime date;
    double temperatureC = 0;
    double apparentTemperatureC = 0;
    double humidity = 0;
    double windSpeedKph = 0;
    WeatherKitCondition condition = WeatherKitCondition::other;
    WeatherKitMetadata metadata;

    bool operator==(const WeatherKitCurrentWeather&) const = default;
};

struct WeatherKitHourWeather {
    QDateTime date;
    double temperatureC = 0;
    double apparentTemperatureC = 0;
    double humidity = 0;
    double windSpeedKph = 0;
    WeatherKitCondition condition = WeatherKitCondition::other;
    double precipitationChance = 0;
    double precipitationAmountMm = 0;

    bool operator==(const WeatherKitHourWeather&) const = default;
};

struct WeatherKitDayWeather {
    QDateTime date;
    double highTemperatureC = 0;
    double lowTemperatureC = 0;
    WeatherKitCondition condition = WeatherKitCondition::other;
    double precipitationChance = 0;

    bool operator==(const WeatherKitDayWeather&) const = default;
};

struct WeatherKitAlert {
    WeatherKitMetadata metadata;
    std::optional<QString> region;
    QString source;
    QString summary;
    WeatherKitAlertSeverity severity = WeatherKitAlertSeverity::unknown;
    QUrl detailsURL;

    bool operator==(const WeatherKitAlert&) const = default;
};

struct WeatherKitWeather {
    WeatherKitCurrentWeather currentWeather;
    QList<WeatherKitHourWeather> hourlyForecast;
    QList<WeatherKitDayWeather> dailyForecast;
    std::optional<QList<WeatherKitAlert>> weatherAlerts;

    bool operator==(const WeatherKitWeather&) const = default;
};

// The weather of a place, or the description of why there is none.
struct WeatherServiceAnswer {
    std::optional<WeatherKitWeather> weather;
    QString errorDescription;

    static WeatherServiceAnswer success(WeatherKitWeather weather) { return {std::move(weather), {}}; }
    static WeatherServiceAnswer failure(QString description) {
        return {std::nullopt, std::move(description)};
    }
};

class WeatherService {
public:
    virtual ~WeatherService() = default;
    // Parameters by value: the call outlives its caller's references. A cancelled call answers a failure.
    virtual QCoro::Task<WeatherServiceAnswer> weather(double latitude, double longitude,
                                                      CancellationToken cancel) = 0;

    // This system's service.
    static std::shared_ptr<WeatherService> shared();
};

} // namespace nimbra
