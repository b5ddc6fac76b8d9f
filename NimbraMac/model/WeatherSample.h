#pragma once

#include "JsonWriter.h"
#include "WeatherCondition.h"

#include <QDateTime>
#include <QJsonObject>

#include <optional>

namespace nimbra {

// The weather at one instant: current conditions or one hour.
struct WeatherSample {
    QDateTime date;
    double temperatureC = 0;
    std::optional<double> apparentTemperatureC;
    std::optional<double> humidity;
    std::optional<double> windKph;
    WeatherCondition condition = WeatherCondition::unknown;
    std::optional<double> precipitationProbability;
    std::optional<double> precipitationIntensityMmPerHour;

    bool operator==(const WeatherSample&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static WeatherSample fromJson(const QJsonValue& value);
};

} // namespace nimbra
