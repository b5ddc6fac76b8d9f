#pragma once

#include "LocalCalendar.h"
#include "OpenMeteoForecastResponse.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"

#include <QCoreApplication>
#include <QNetworkRequest>

namespace nimbra {

// Open-Meteo's forecast endpoint: no key, so it works without any configuration. Current conditions, the
// hours from the start of the current hour and ten days.
class OpenMeteoWeatherClient final : public WeatherProviderClient {
public:
    static QString attribution() {
        return QCoreApplication::translate("OpenMeteoWeatherClient", "Weather data by Open-Meteo");
    }
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://api.open-meteo.com")); }

    explicit OpenMeteoWeatherClient(ProviderHTTPContext context,
                                    LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::openMeteo; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    // The GET of one location's forecast; an empty base address means Open-Meteo's own.
    static QNetworkRequest forecastRequest(const QUrl& baseURL, const WeatherLocation& location);
    // The shortest text that reads back to the same number, always with a digit after the point and never in
    // exponent form or a user's locale: 52.52, 13.0, 0.0, -0.1276.
    static QString coordinateText(double value);

    // A successful answer's body as a forecast; a body that cannot be read gives the failed forecast.
    static ProviderForecast forecastFromBody(const QByteArray& body, const WeatherLocation& location,
                                             const QDateTime& now,
                                             const LocalCalendar& calendar = LocalCalendar::system());
    static ProviderForecast makeForecast(const OpenMeteoForecastResponse& response,
                                         const WeatherLocation& location, const QDateTime& now,
                                         const LocalCalendar& calendar = LocalCalendar::system());
    // WMO weather interpretation codes.
    static WeatherCondition condition(int weatherCode);

private:
    ProviderHTTPContext m_context;
    LocalCalendar m_calendar;
};

} // namespace nimbra
