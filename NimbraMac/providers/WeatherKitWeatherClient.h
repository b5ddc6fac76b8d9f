#pragma once

#include "LocalCalendar.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"
#include "WeatherService.h"

#include <QCoreApplication>

namespace nimbra {

// Apple Weather through the platform's weather service rather than HTTP: one call, then a mapping. Issue and
// expiry come from the service's own metadata, and it is the one keyless provider that passes on alerts.
class WeatherKitWeatherClient final : public WeatherProviderClient {
public:
    static QString attribution() {
        return QCoreApplication::translate("WeatherKitWeatherClient", "Weather data by Apple Weather");
    }

    // Of the context only the clock is used.
    explicit WeatherKitWeatherClient(ProviderHTTPContext context,
                                     std::shared_ptr<WeatherService> service = WeatherService::shared(),
                                     LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::weatherKit; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    static ProviderForecast makeForecast(const WeatherKitWeather& weather, const WeatherLocation& location,
                                         const QDateTime& now,
                                         const LocalCalendar& calendar = LocalCalendar::system());
    static WeatherCondition condition(WeatherKitCondition condition);
    static WeatherAlertSeverity severity(WeatherKitAlertSeverity severity);

private:
    std::shared_ptr<const Clock> m_clock;
    std::shared_ptr<WeatherService> m_service;
    LocalCalendar m_calendar;
};

} // namespace nimbra
