#include "FailedForecast.h"

#include "WeatherProviderHTTPError.h"

namespace nimbra {

ProviderForecast failedForecast(WeatherProviderKind provider, const WeatherLocation& location,
                                const QDateTime& now, QString attribution, QString errorMessage) {
    ProviderForecast forecast;
    forecast.provider = provider;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now;
    forecast.attribution = std::move(attribution);
    forecast.errorMessage = boundedProviderText(std::move(errorMessage));
    return forecast;
}

} // namespace nimbra
