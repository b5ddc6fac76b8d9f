#pragma once

#include "ProviderForecast.h"

namespace nimbra {

// Every client's last step: the forecast without any instant the snapshot cannot write (invalid, or outside
// the years 0001-9999 once in UTC), whichever reading made it. One such time would otherwise fail every save
// until the forecast is replaced. Samples, days and alerts with such a time are dropped, a sunrise or sunset
// is left out, and an issue or expiry time becomes `now`.
ProviderForecast withStorableInstants(ProviderForecast forecast, const QDateTime& now);

} // namespace nimbra
