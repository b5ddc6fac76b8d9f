#pragma once

#include "ProviderForecast.h"
#include "WeatherLocation.h"

#include <QDateTime>
#include <QString>

namespace nimbra {

// The one shape of a forecast that failed: no current conditions, empty lists, and issued and expired at the
// same instant `now` (read once by the caller), so it never counts as fresh. A long message is cut to
// providerTextLimit characters.
ProviderForecast failedForecast(WeatherProviderKind provider, const WeatherLocation& location,
                                const QDateTime& now, QString attribution, QString errorMessage);

} // namespace nimbra
