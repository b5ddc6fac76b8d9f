#pragma once

#include "LocalCalendar.h"
#include "ProviderForecast.h"
#include "WeatherAPIResponse.h"
#include "WeatherLocation.h"

// Pure steps from WeatherAPI.com's decoded answer to a ProviderForecast.
namespace nimbra::weatherapi {

inline constexpr int hourlyLimit = 24;
inline constexpr int dailyLimit = 10;
inline constexpr qint64 lifetimeSeconds = 1800;
QString attribution();

// The text and the code joined, read as a description: the text decides, the digits match nothing.
WeatherCondition condition(const WeatherAPICondition& condition);
// An ISO 8601 instant, else "yyyy-MM-dd HH:mm" in the calendar's zone; nothing otherwise.
std::optional<QDateTime> alertDate(const std::optional<QString>& text, const LocalCalendar& calendar);
// The start of the day in the calendar's zone that bears the answer's date.
std::optional<QDateTime> dayStart(const WeatherAPIForecastDay& day, const LocalCalendar& calendar);

std::optional<WeatherSample> sample(const WeatherAPICurrent& current);
std::optional<WeatherSample> sample(const WeatherAPIHour& hour);
std::optional<DailyForecast> dailyForecast(const WeatherAPIForecastDay& day, const LocalCalendar& calendar);
WeatherAlert alert(const WeatherAPIAlert& alert, const QDateTime& now, const LocalCalendar& calendar);
ProviderForecast makeForecast(const WeatherAPIResponse& response, const WeatherLocation& location,
                              const QDateTime& now, const LocalCalendar& calendar);

} // namespace nimbra::weatherapi
