#pragma once

#include "Clock.h"
#include "WeatherProviderClient.h"

#include <QString>

namespace nimbra {

// Stands in for an enabled provider that cannot be served (no key, retired, no live client): its forecast is
// a failure that carries the reason, so the user still sees one entry per enabled provider.
class PlaceholderWeatherClient final : public WeatherProviderClient {
public:
    PlaceholderWeatherClient(WeatherProviderKind provider, QString reason,
                             std::shared_ptr<const Clock> clock = Clock::system());

    WeatherProviderKind provider() const override { return m_provider; }
    const QString& reason() const { return m_reason; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

private:
    WeatherProviderKind m_provider;
    QString m_reason;
    std::shared_ptr<const Clock> m_clock;
};

} // namespace nimbra
