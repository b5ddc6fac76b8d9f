#pragma once

#include "ConsensusForecast.h"

#include <QDateTime>

namespace nimbra::apptest {

// A forecast with only what the status item reads: the current reading, the confidence and the summary.
inline ConsensusForecast forecastWith(double celsius, WeatherCondition condition, const QString& summary) {
    ConsensusForecast f;
    f.generatedAt = QDateTime(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);
    WeatherSample now;
    now.date = f.generatedAt;
    now.temperatureC = celsius;
    now.condition = condition;
    f.current = now;
    f.confidence = 0.834;
    f.providerCount = 3;
    f.nextPrecipitationSummary = summary;
    return f;
}

} // namespace nimbra::apptest
