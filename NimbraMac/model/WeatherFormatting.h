#pragma once

#include "ConsensusForecast.h"
#include "LocalCalendar.h"
#include "TemperatureUnit.h"
#include "WeatherSettings.h"
#include "WindSpeedUnit.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace nimbra::WeatherFormatting {

// The short texts every screen shows for the model's metric values, so the menu bar, the popover and the
// widgets agree. Numbers are rounded to whole numbers with halves away from zero; a value that is not finite
// (or too large for a 64-bit integer) is written as the placeholder "--" instead.

// The whole number nearest to `value`, halves away from zero; none for a non-finite or out-of-range value.
std::optional<qint64> roundedWholeNumber(double value);
// The rounded value in plain digits (no grouping, no "-0"), or "--".
QString wholeNumberText(double value);

enum class RelativeUnit { second, minute, hour, day, week, month, year };
// How long ago, `amount` whole units before now, in the locale's short form ("5 min. ago"); none when the
// locale's formatter cannot be made.
std::optional<QString> pastText(qint64 amount, RelativeUnit unit, const QLocale& locale);
// "Updated " and how long before `now` the date was, in the calendar's locale. A date after `now` reads as
// `now` itself.
QString freshness(const QDateTime& date, const QDateTime& now,
                  const LocalCalendar& calendar = LocalCalendar::system());
// The stored metric value in the unit the user reads, before rounding.
double displayTemperature(double celsius, TemperatureUnit unit);
double displayWindSpeed(double kph, WindSpeedUnit unit);

// Whole degrees and "°" (no unit letter).
QString temperature(double celsius, TemperatureUnit unit);
// As temperature() plus "C" or "F".
QString temperatureWithUnit(double celsius, TemperatureUnit unit);
// Whole speed, a blank and "km/h" or "mph".
QString wind(double kph, WindSpeedUnit unit);
// Whole percent and "%", or "--%" for an absent value.
QString precipitationProbability(std::optional<double> probability);
// The start of the local hour holding the date, such as "3:00 PM" in an English locale.
QString hourLabel(const QDateTime& date, const LocalCalendar& calendar = LocalCalendar::system());
// The locale's short time of day, in the calendar's time zone.
QString compactTime(const QDateTime& date, const LocalCalendar& calendar = LocalCalendar::system());
// The locale's short time pattern without seconds, for every short time shown.
QString shortTimePattern(const QLocale& locale);
// The status item's title: "Weather --°" without current conditions, else the temperature, optionally the
// condition and the confidence ("72° Partly Cloudy 83%").
QString compactMenuTitle(const ConsensusForecast* forecast, const WeatherSettings& settings);
QString compactMenuTitle(const std::optional<ConsensusForecast>& forecast, const WeatherSettings& settings);
// Whole percent and "% confidence".
QString confidence(double value);
// One line about the consensus' quality, such as "Live • 3 sources • 83% sure".
QString dataQualitySentence(const ConsensusForecast& forecast);

} // namespace nimbra::WeatherFormatting
