#pragma once

#include "ConsensusState.h"
#include "DailyForecast.h"
#include "ForecastSpread.h"
#include "JsonWriter.h"
#include "WeatherAlert.h"
#include "WeatherLocation.h"
#include "WeatherSample.h"

#include <QList>

#include <optional>

namespace nimbra {

// The blended forecast of one location. Its identity is the location's id.
struct ConsensusForecast {
    WeatherLocation location;
    QDateTime generatedAt;
    std::optional<WeatherSample> current;
    QList<WeatherSample> hourly;
    QList<DailyForecast> daily;
    QList<WeatherAlert> alerts;
    int providerCount = 0;
    double confidence = 0;
    std::optional<ForecastSpread> spread;
    QString nextPrecipitationSummary;
    QString attributionLine;
    ConsensusState state = ConsensusState::unavailable;

    const QUuid& id() const { return location.id; }
    // False for a stand-in made before any refresh brought weather for the place, and for the consensus of a
    // refresh no provider answered: its generatedAt is when it was made, not when weather last came.
    bool hasFetchedWeather() const { return current || providerCount > 0; }
    bool operator==(const ConsensusForecast&) const = default;

    QJsonObject toJson() const;
    // The same bytes as toJson() written compactly, without the QJsonObject.
    void writeJson(JsonWriter& out) const;
    static ConsensusForecast fromJson(const QJsonValue& value);
};

} // namespace nimbra
