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
    const auto session = m_context.session;
    const QString apiKey = m_apiKey;
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();
    const QNetworkRequest request = forecastRequest(m_context.baseURL, location, apiKey);

    const HTTPResponse response = co_await session->get(request, cancel);
    const auto decoded = decodeAnswer<WeatherAPIResponse>(response);
    if (!decoded)
        co_return failedForecast(WeatherProviderKind::weatherAPI, location, now, weatherapi::attribution(),
                                 withoutAPIKey(decoded.failure.description, apiKey));
    co_return weatherapi::makeForecast(*decoded.value, location, now, calendar);
}

} // namespace nimbra
