#pragma once

#include <QJsonObject>

#include <optional>

namespace nimbra {

// Highest minus lowest provider value of the current conditions.
struct ForecastSpread {
    double temperatureC = 0;
    std::optional<double> windKph;
    std::optional<double> precipitationProbability;

    bool operator==(const ForecastSpread&) const = default;

    QJsonObject toJson() const;
    static ForecastSpread fromJson(const QJsonValue& value);
};

} // namespace nimbra
