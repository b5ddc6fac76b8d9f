#pragma once

#include "JsonCodec.h"

#include <QList>

#include <optional>

namespace nimbra {

// Tomorrow.io's forecast answer as the client reads it. Metric units are requested: °C, m/s, mm/h; humidity
// and probabilities in percent. Every value may be missing or null.
struct TomorrowIOValues {
    std::optional<double> temperature;
    std::optional<double> temperatureAvg;
    std::optional<double> temperatureMax;
    std::optional<double> temperatureMin;
    std::optional<double> temperatureApparent;
    std::optional<double> humidity;
    std::optional<double> windSpeed;
    std::optional<double> precipitationProbability;
    std::optional<double> precipitationProbabilityAvg;
    std::optional<double> precipitationProbabilityMax;
    std::optional<double> precipitationIntensity;
    std::optional<int> weatherCode;
    std::optional<int> weatherCodeMax;
    // The forecast endpoint reports intensity per kind of precipitation rather than one total.
    std::optional<double> rainIntensity;
    std::optional<double> snowIntensity;
    std::optional<double> sleetIntensity;
    std::optional<double> freezingRainIntensity;

    bool operator==(const TomorrowIOValues&) const = default;
    static TomorrowIOValues fromJson(const QJsonValue& value);
};

struct TomorrowIOInterval {
    QString time;
    TomorrowIOValues values;

    bool operator==(const TomorrowIOInterval&) const = default;
    static TomorrowIOInterval fromJson(const QJsonValue& value);
};

struct TomorrowIOTimelines {
    std::optional<QList<TomorrowIOInterval>> hourly;
    std::optional<QList<TomorrowIOInterval>> daily;

    static TomorrowIOTimelines fromJson(const QJsonValue& value);
};

struct TomorrowIOResponse {
    TomorrowIOTimelines timelines;

    static TomorrowIOResponse fromJson(const QJsonValue& value);
};

} // namespace nimbra
