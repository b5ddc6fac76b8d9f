#pragma once

#include "LocalCalendar.h"
#include "OpenWeatherResponse.h"
#include "ProviderForecast.h"
#include "WeatherLocation.h"

// Pure steps from OpenWeather's decoded answers to a ProviderForecast.
namespace nimbra::openweather {

inline constexpr int hourlyLimit = 24;
inline constexpr int dailyLimit = 10;
inline constexpr qint64 lifetimeSeconds = 1800;
QString attribution();

WeatherCondition condition(std::optional<int> id);

OpenWeatherPoint point(const OpenWeatherFreeCurrentResponse& current);
OpenWeatherPoint point(const OpenWeatherFreeForecastPoint& entry);
// One summary per calendar day of the 3-hour entries, earliest first. Days follow the device's calendar, not
// the location's, like every other day in the blend.
QList<OpenWeatherDay> dailySummaries(const QList<OpenWeatherFreeForecastPoint>& entries,
                                     const LocalCalendar& calendar);
// The free API's two answers in the shape One Call 4.0 gives.
OpenWeatherResponse combined(const OpenWeatherFreeCurrentResponse& current,
                             const OpenWeatherFreeForecastResponse& forecast, const LocalCalendar& calendar);

// Nothing when the point has no usable time or temperature.
std::optional<WeatherSample> sample(const OpenWeatherPoint& point);
// Nothing when the day has no usable time or lacks a high or a low: an invented 0 °C would enter the blend.
std::optional<DailyForecast> dailyForecast(const OpenWeatherDay& day);
ProviderForecast makeForecast(const OpenWeatherResponse& response, const WeatherLocation& location,
                              const QDateTime& now);

} // namespace nimbra::openweather
