#include "TomorrowIOWeatherClient.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "OpenMeteoWeatherClient.h"
#include "TomorrowIOMapping.h"

#include <QUrlQuery>

namespace nimbra {

TomorrowIOWeatherClient::TomorrowIOWeatherClient(ProviderHTTPContext context, QString apiKey)
    : m_context(std::move(context)), m_apiKey(std::move(apiKey)) {}

QNetworkRequest TomorrowIOWeatherClient::forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                                         const QString& apiKey) {
    QUrl url = endpointURL(baseURL, defaultBaseURL(), QStringLiteral("/v4/weather/forecast"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("location"),
                       OpenMeteoWeatherClient::coordinateText(location.latitude) + u',' +
                           OpenMeteoWeatherClient::coordinateText(location.longitude));
    query.addQueryItem(QStringLiteral("timesteps"), QStringLiteral("1h"));
    query.addQueryItem(QStringLiteral("timesteps"), QStringLiteral("1d"));
    query.addQueryItem(QStringLiteral("units"), QStringLiteral("metric"));
    query.addQueryItem(QStringLiteral("apikey"), apiKeyQueryValue(apiKey));
    url.setQuery(query);
    QNetworkRequest request(url);
    // The network layer offers the encodings it can undo itself and decompresses the answer; naming them here
    // would hand back compressed bytes.
    request.setRawHeader("Accept", "application/json");
    return request;
}

QCoro::Task<ProviderForecast> TomorrowIOWeatherClient::forecast(WeatherLocation location,
                                                                CancellationToken cancel) {
    const QDateTime now = m_context.clock->now();

    const auto decoded = co_await fetchKeyedDocument<TomorrowIOResponse>(
        m_context.session, forecastRequest(m_context.baseURL, location, m_apiKey), m_apiKey, cancel);
    if (!decoded)
        co_return failedForecast(WeatherProviderKind::tomorrowIO, location, now, tomorrowio::attribution(),
                                 decoded.failure.description);
    co_return tomorrowio::makeForecast(*decoded.value, location, now);
}

} // namespace nimbra
