#include "PlaceholderWeatherClient.h"

#include "FailedForecast.h"

namespace nimbra {

PlaceholderWeatherClient::PlaceholderWeatherClient(WeatherProviderKind provider, QString reason,
                                                   std::shared_ptr<const Clock> clock)
    : m_provider(provider), m_reason(std::move(reason)), m_clock(std::move(clock)) {}

QCoro::Task<ProviderForecast> PlaceholderWeatherClient::forecast(WeatherLocation location,
                                                                 CancellationToken) {
    co_return failedForecast(m_provider, location, m_clock->now(), providers::displayName(m_provider),
                             m_reason);
}

} // namespace nimbra
