#include "WeatherAPIWeatherClient.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "OpenMeteoWeatherClient.h"
#include "WeatherAPIMapping.h"

#include <QUrlQuery>

namespace nimbra {

WeatherAPIWeatherClient::WeatherAPIWeatherClient(ProviderHTTPContext context, QString apiKey,
                                                 LocalCalendar calendar)
    : m_context(std::move(context)), m_apiKey(std::move(apiKey)), m_calendar(std::move(calendar)) {}

QNetworkRequest WeatherAPIWeatherClient::forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                                         const QString& apiKey) {
    QUrl url = endpointURL(baseURL, defaultBaseURL(), QStringLiteral("/v1/forecast.json"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("key"), apiKeyQueryValue(apiKey));
    query.addQueryItem(QStringLiteral("q"), OpenMeteoWeatherClient::coordinateText(location.latitude) + u',' +
                                                OpenMeteoWeatherClient::coordinateText(location.longitude));
    query.addQueryItem(QStringLiteral("days"), QStringLiteral("10"));
    query.addQueryItem(QStringLiteral("aqi"), QStringLiteral("no"));
    query.addQueryItem(QStringLiteral("alerts"), QStringLiteral("yes"));
    url.setQuery(query);
    return QNetworkRequest(url);
}

QCoro::Task<ProviderForecast> WeatherAPIWeatherClient::forecast(WeatherLocation location,
                                                                CancellationToken cancel) {
    // Copies: the client may be gone by the time the answer arrives.
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();

    const auto decoded = co_await fetchKeyedDocument<WeatherAPIResponse>(
        m_context.session, forecastRequest(m_context.baseURL, location, m_apiKey), m_apiKey, cancel);
    if (!decoded)
        co_return failedForecast(WeatherProviderKind::weatherAPI, location, now, weatherapi::attribution(),
                                 decoded.failure.description);
    co_return weatherapi::makeForecast(*decoded.value, location, now, calendar);
}

} // namespace nimbra
