#pragma once

#include "LocalCalendar.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"
#include "WeatherProviderHTTPError.h"

#include <QNetworkRequest>

#include <optional>

namespace nimbra {

// OpenWeather with the user's key: One Call 4.0 (current conditions, 24 hours, 10 days in three concurrent
// requests), and the free 2.5 API (current conditions and 3-hour steps) when the key has no One Call access.
class OpenWeatherWeatherClient final : public WeatherProviderClient {
public:
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://api.openweathermap.org")); }

    OpenWeatherWeatherClient(ProviderHTTPContext context, QString apiKey,
                             LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::openWeather; }
    const QString& apiKey() const { return m_apiKey; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    // One Call 4.0: `path` is "current", "timeline/1h" or "timeline/1day"; `count` is sent as "cnt".
    static QNetworkRequest oneCallRequest(const QUrl& baseURL, const QString& path,
                                          const WeatherLocation& location, const QString& apiKey,
                                          std::optional<int> count);
    // The free API: `path` is "/data/2.5/weather" or "/data/2.5/forecast".
    static QNetworkRequest freeRequest(const QUrl& baseURL, const QString& path,
                                       const WeatherLocation& location, const QString& apiKey);
    // A key without One Call access is refused with 401 and a message that names the product.
    static bool fallsBackToFreeAPI(const std::optional<WeatherProviderHTTPError>& error);

private:
    ProviderHTTPContext m_context;
    QString m_apiKey;
    LocalCalendar m_calendar;
};

} // namespace nimbra
