#pragma once

#include "LocalCalendar.h"
#include "METNorwayForecastResponse.h"
#include "ProviderHTTPContext.h"
#include "WeatherProviderClient.h"

#include <QCoreApplication>
#include <QNetworkRequest>

namespace nimbra {

// MET Norway's location forecast (compact). No key, but the service refuses requests that do not identify the
// application in their User-Agent, so every request carries ours.
class METNorwayWeatherClient final : public WeatherProviderClient {
public:
    static QString attribution() {
        return QCoreApplication::translate("METNorwayWeatherClient", "Weather data by MET Norway");
    }
    static QUrl defaultBaseURL() { return QUrl(QStringLiteral("https://api.met.no")); }

    METNorwayWeatherClient(ProviderHTTPContext context, QString userAgent,
                           LocalCalendar calendar = LocalCalendar::system());

    WeatherProviderKind provider() const override { return WeatherProviderKind::metNorway; }
    const QString& userAgent() const { return m_userAgent; }
    QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) override;

    // The GET of one location's forecast; an empty base address means MET Norway's own.
    static QNetworkRequest forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                           const QString& userAgent);

    // A successful answer's body as a forecast; a body that cannot be read gives the failed forecast.
    static ProviderForecast forecastFromBody(const QByteArray& body, const WeatherLocation& location,
                                             const QDateTime& now,
                                             const LocalCalendar& calendar = LocalCalendar::system());
    static ProviderForecast makeForecast(const METNorwayForecastResponse& response,
                                         const WeatherLocation& location, const QDateTime& now,
                                         const LocalCalendar& calendar = LocalCalendar::system());
    // One sample per time point; nothing for a point whose time does not parse.
    static std::optional<WeatherSample> sample(const METNorwayTimePoint& point);
    static WeatherCondition condition(const std::optional<QString>& symbolCode,
                                      std::optional<double> cloudAreaFraction);
    // At most ten days of the device's calendar, from the hourly samples.
    static QList<DailyForecast> dailyForecasts(const QList<WeatherSample>& samples,
                                               const LocalCalendar& calendar);

private:
    ProviderHTTPContext m_context;
    QString m_userAgent;
    LocalCalendar m_calendar;
};

} // namespace nimbra
