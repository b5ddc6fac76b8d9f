#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace nimbra {

// MET Norway's compact location forecast, as far as the client reads it. Temperatures are °C, wind speeds
// m/s, fractions percent and amounts millimetres over the period; times are ISO 8601 instants.

struct METNorwayDetails {
    double airTemperature = 0;
    std::optional<double> cloudAreaFraction;
    std::optional<double> relativeHumidity;
    std::optional<double> windSpeed;

    bool operator==(const METNorwayDetails&) const = default;
    static METNorwayDetails fromJson(const QJsonValue& value);
};

struct METNorwayPeriod {
    QString symbolCode;
    // The twelve-hour period comes without amounts (and often without its "details" object at all).
    std::optional<double> precipitationAmount;

    bool operator==(const METNorwayPeriod&) const = default;
    static METNorwayPeriod fromJson(const QJsonValue& value);
};

struct METNorwayTimePoint {
    QString time;
    METNorwayDetails instant;
    // The later points of a series carry only the longer periods, the last one none at all.
    std::optional<METNorwayPeriod> next1Hours;
    std::optional<METNorwayPeriod> next6Hours;
    std::optional<METNorwayPeriod> next12Hours;

    bool operator==(const METNorwayTimePoint&) const = default;
    static METNorwayTimePoint fromJson(const QJsonValue& value);
};

struct METNorwayForecastResponse {
    QString updatedAt;
    QList<METNorwayTimePoint> timeseries;

    bool operator==(const METNorwayForecastResponse&) const = default;
    static METNorwayForecastResponse fromJson(const QJsonValue& value);
};

} // namespace nimbra
