#pragma once

#include "ProviderForecast.h"
#include "TomorrowIOResponse.h"
#include "WeatherLocation.h"

// Pure steps from Tomorrow.io's decoded answer to a ProviderForecast.
namespace nimbra::tomorrowio {

inline constexpr int hourlyLimit = 24;
inline constexpr int dailyLimit = 10;
inline constexpr qint64 lifetimeSeconds = 1800;
QString attribution();

WeatherCondition condition(std::optional<int> weatherCode);
// An ISO 8601 instant with or without fractional seconds; nothing otherwise.
std::optional<QDateTime> intervalTime(const QString& text);

// Nothing when the interval's time does not parse or it has no temperature: neither is made up.
std::optional<WeatherSample> sample(const TomorrowIOInterval& interval);
std::optional<DailyForecast> dailyForecast(const TomorrowIOInterval& interval);
ProviderForecast makeForecast(const TomorrowIOResponse& response, const WeatherLocation& location,
                              const QDateTime& now);

} // namespace nimbra::tomorrowio
