#pragma once

#include "LocalCalendar.h"
#include "ProviderForecast.h"
#include "VisualCrossingResponse.h"
#include "WeatherLocation.h"

// Pure steps from Visual Crossing's decoded answer to a ProviderForecast.
namespace nimbra::visualcrossing {

inline constexpr int hourlyLimit = 24;
inline constexpr int dailyLimit = 10;
inline constexpr qint64 lifetimeSeconds = 1800;
QString attribution();

// Nothing when the point's time or temperature is unusable.
std::optional<WeatherSample> sample(const VisualCrossingPoint& point);
// The day starts at the user's midnight of the place's date. `placeOffsetHours` (the answer's tzoffset)
// dates a day that carries only its instant.
std::optional<DailyForecast> dailyForecast(const VisualCrossingDay& day, const LocalCalendar& calendar,
                                           std::optional<double> placeOffsetHours = std::nullopt);
// Times the alert does not give run from `now` for an hour.
WeatherAlert alert(const VisualCrossingAlert& alert, const QDateTime& now);
// Hours are kept from the start of the current hour in the user's calendar.
ProviderForecast makeForecast(const VisualCrossingResponse& response, const WeatherLocation& location,
                              const QDateTime& now, const LocalCalendar& calendar);

} // namespace nimbra::visualcrossing
