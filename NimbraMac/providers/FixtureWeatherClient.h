#pragma once

#include "Clock.h"
#include "LocalCalendar.h"
#include "WeatherProviderClient.h"

namespace nimbra {

// Answers with the built-in sample forecast of its kind, so the whole app can run without a network.
class FixtureWeatherClient final : public WeatherProviderClient {
public:
    explicit FixtureWeatherClient(WeatherProviderKind provider,
                                  std::shared_ptr<const Clock> clock = Clock::system(),
                                  LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return m_provider; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

private:
    WeatherProviderKind m_provider;
    std::shared_ptr<const Clock> m_clock;
    LocalCalendar m_calendar;
};

} // namespace nimbra
