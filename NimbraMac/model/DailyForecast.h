#pragma once

#include "JsonWriter.h"
#include "WeatherCondition.h"

#include <QDateTime>
#include <QJsonObject>

#include <optional>

namespace nimbra {

// One calendar day. Its identity is its date.
struct DailyForecast {
    QDateTime date;
    double highC = 0;
    double lowC = 0;
    WeatherCondition condition = WeatherCondition::unknown;
    std::optional<double> precipitationProbability;
    std::optional<QDateTime> sunrise;
    std::optional<QDateTime> sunset;

    const QDateTime& id() const { return date; }
    bool operator==(const DailyForecast&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static DailyForecast fromJson(const QJsonValue& value);
};

} // namespace nimbra
