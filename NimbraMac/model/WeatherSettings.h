#pragma once

#include "TemperatureUnit.h"
#include "WeatherProviderKind.h"
#include "WindSpeedUnit.h"

#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace nimbra {

// The user's preferences. Decoding is tolerant: every missing key takes its default.
struct WeatherSettings {
    TemperatureUnit temperatureUnit = TemperatureUnit::fahrenheit;
    WindSpeedUnit windSpeedUnit = WindSpeedUnit::milesPerHour;
    std::optional<QUuid> menuBarLocationID;
    bool showConditionInMenuBar = true;
    bool showConfidenceInMenuBar = false;
    double menuBarFontSize = 12.0;
    double menuBarIconSize = 16.0;
    int refreshIntervalMinutes = 30;
    ProviderSet enabledProviders = providers::liveSet();
    bool showAlerts = true;
    bool showTwelveHourTrendGraph = true;
    bool showHourlyForecastCards = true;
    bool useICloudSync = true;

    bool operator==(const WeatherSettings&) const = default;

    QJsonObject toJson() const;
    static WeatherSettings fromJson(const QJsonValue& value);
};

size_t qHash(const WeatherSettings& settings, size_t seed = 0) noexcept;

// The refresh interval as the timers use it: at least 15 minutes, at most a day, whatever is stored.
int effectiveRefreshIntervalMinutes(int storedMinutes);
inline qint64 effectiveRefreshIntervalSeconds(int storedMinutes) {
    return qint64(effectiveRefreshIntervalMinutes(storedMinutes)) * 60;
}

} // namespace nimbra
