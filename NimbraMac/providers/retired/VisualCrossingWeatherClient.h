#pragma once

#include "LocalCalendar.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"

#include <QNetworkRequest>

namespace nimbra {

// Visual Crossing's timeline service with the user's key: current conditions, hours, days and alerts in one
// answer. The provider is retired, so the factory never builds this client; it is kept whole for when it
// returns.
class VisualCrossingWeatherClient final : public WeatherProviderClient {
public:
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://weather.visualcrossing.com")); }

    VisualCrossingWeatherClient(ProviderHTTPContext context, QString apiKey,
                                LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::visualCrossing; }
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
