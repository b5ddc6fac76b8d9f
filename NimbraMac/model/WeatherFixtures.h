#pragma once

#include "LocalCalendar.h"
#include "ProviderForecast.h"
#include "WeatherLocation.h"

#include <QList>

namespace nimbra::WeatherFixtures {

// Fixed, plausible sample data: the providers agree closely but not perfectly, the hours show a gentle
// temperature wave with rain setting in later, and the nws sample carries the one alert.

// The "Current Location" placeholder; made once per process on first use, the same value afterwards.
const WeatherLocation& home();
// Exactly one location, equal to home().
const QList<WeatherLocation>& savedLocations();

// The kinds of the sample list, in order: openMeteo, weatherKit, openWeather, metNorway, tomorrowIO.
QList<WeatherProviderKind> sampleKinds();
// Degrees added to every temperature of a kind's sample (and scaled into its humidity and rain chance).
double offset(WeatherProviderKind kind);
QString attribution(WeatherProviderKind kind);

// One forecast per sample kind, in sampleKinds() order.
QList<ProviderForecast> providerForecasts(const WeatherLocation& location, const QDateTime& now,
                                          const LocalCalendar& calendar = LocalCalendar::system());
// The sample forecast of any kind, issued at `now`; the hours start at the next full local hour.
ProviderForecast forecast(WeatherProviderKind provider, const WeatherLocation& location, const QDateTime& now,
                          const LocalCalendar& calendar = LocalCalendar::system());

} // namespace nimbra::WeatherFixtures
