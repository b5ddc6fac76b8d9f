#pragma once

#include "LocalCalendar.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"

#include <QNetworkRequest>

namespace nimbra {

// WeatherAPI.com's forecast service with the user's key: current conditions, ten days with their hours,
// alerts. The provider is retired, so the factory never builds this client; it is kept whole for when it
// returns.
class WeatherAPIWeatherClient final : public WeatherProviderClient {
public:
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://api.weatherapi.com")); }

    WeatherAPIWeatherClient(ProviderHTTPContext context, QString apiKey,
                            LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::weatherAPI; }
    const QString& apiKey() const { return m_apiKey; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    static QNetworkRequest forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                           const QString& apiKey);

private:
    ProviderHTTPContext m_context;
    QString m_apiKey;
    LocalCalendar m_calendar;
};

} // namespace nimbra
