#pragma once

#include "JsonCodec.h"

#include <QList>

#include <optional>

namespace nimbra {

// Visual Crossing's timeline answer as the client reads it. Metric units: °C, km/h, mm; percentages 0-100;
// times are Unix seconds.
struct VisualCrossingPoint {
    double datetimeEpoch = 0;
    double temp = 0;
    std::optional<double> feelslike;
    std::optional<double> humidity;
    std::optional<double> windspeed;
    std::optional<double> precipprob;
    std::optional<double> precip;
    std::optional<QString> conditions;
    std::optional<QString> icon;

    bool operator==(const VisualCrossingPoint&) const = default;
    static VisualCrossingPoint fromJson(const QJsonValue& value);
};

struct VisualCrossingDay {
    std::optional<QString> datetime; // the place's own date, "yyyy-MM-dd"
    double datetimeEpoch = 0;
    double tempmax = 0;
    double tempmin = 0;
    std::optional<double> precipprob;
    std::optional<QString> conditions;
    std::optional<QString> icon;
    std::optional<QList<VisualCrossingPoint>> hours;

    bool operator==(const VisualCrossingDay&) const = default;
    static VisualCrossingDay fromJson(const QJsonValue& value);
};

struct VisualCrossingAlert {
    std::optional<QString> event;
    std::optional<QString> headline;
    std::optional<QString> description;
    std::optional<QString> severity;
    std::optional<double> onsetEpoch;
    std::optional<double> endsEpoch;

    bool operator==(const VisualCrossingAlert&) const = default;
    static VisualCrossingAlert fromJson(const QJsonValue& value);
};

struct VisualCrossingResponse {
    std::optional<double> tzoffset; // hours east of UTC at the place, may be fractional (5.5)
    std::optional<VisualCrossingPoint> currentConditions;
    QList<VisualCrossingDay> days;
    std::optional<QList<VisualCrossingAlert>> alerts;

    static VisualCrossingResponse fromJson(const QJsonValue& value);
};

} // namespace nimbra
