#include "FixtureWeatherClient.h"

#include "WeatherFixtures.h"

namespace nimbra {

FixtureWeatherClient::FixtureWeatherClient(WeatherProviderKind provider, std::shared_ptr<const Clock> clock,
                                           LocalCalendar calendar)
    : m_provider(provider), m_clock(std::move(clock)), m_calendar(std::move(calendar)) {}

QCoro::Task<ProviderForecast> FixtureWeatherClient::forecast(WeatherLocation location, CancellationToken) {
    co_return WeatherFixtures::forecast(m_provider, location, m_clock->now(), m_calendar);
}

} // namespace nimbra
