#pragma once

#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"

#include <QNetworkRequest>

namespace nimbra {

// Tomorrow.io with the user's key: one request for the hourly and daily timelines; current conditions are the
// first hour. No alerts, no sunrise or sunset.
class TomorrowIOWeatherClient final : public WeatherProviderClient {
public:
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://api.tomorrow.io")); }

    TomorrowIOWeatherClient(ProviderHTTPContext context, QString apiKey);

    WeatherProviderKind provider() const override { return WeatherProviderKind::tomorrowIO; }
    const QString& apiKey() const { return m_apiKey; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    static QNetworkRequest forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                           const QString& apiKey);

private:
    ProviderHTTPContext m_context;
    QString m_apiKey;
};

} // namespace nimbra
