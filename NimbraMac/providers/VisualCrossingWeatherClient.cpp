#include "VisualCrossingWeatherClient.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "OpenMeteoWeatherClient.h"
#include "VisualCrossingMapping.h"

#include <QUrlQuery>

namespace nimbra {

VisualCrossingWeatherClient::VisualCrossingWeatherClient(ProviderHTTPContext context, QString apiKey,
                                                         LocalCalendar calendar)
    : m_context(std::move(context)), m_apiKey(std::move(apiKey)), m_calendar(std::move(calendar)) {}

QNetworkRequest VisualCrossingWeatherClient::forecastRequest(const QUrl& baseURL,
                                                             const WeatherLocation& location,
                                                             const QString& apiKey) {
    const QString coordinates = OpenMeteoWeatherClient::coordinateText(location.latitude) + u',' +
                                OpenMeteoWeatherClient::coordinateText(location.longitude);
    QUrl url =
        endpointURL(baseURL, defaultBaseURL(),
                    QStringLiteral("/VisualCrossingWebServices/rest/services/timeline/") + coordinates);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("unitGroup"), QStringLiteral("metric"));
    query.addQueryItem(QStringLiteral("include"), QStringLiteral("current,hours,days,alerts"));
    query.addQueryItem(QStringLiteral("contentType"), QStringLiteral("json"));
    query.addQueryItem(QStringLiteral("key"), apiKeyQueryValue(apiKey));
    url.setQuery(query);
    return QNetworkRequest(url);
}

QCoro::Task<ProviderForecast> VisualCrossingWeatherClient::forecast(WeatherLocation location,
                                                                    CancellationToken cancel) {
    // Copies: the client may be gone by the time the answer arrives.
    const auto session = m_context.session;
    const QString apiKey = m_apiKey;
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();
    const QNetworkRequest request = forecastRequest(m_context.baseURL, location, apiKey);

    const HTTPResponse response = co_await session->get(request, cancel);
    const auto decoded = decodeAnswer<VisualCrossingResponse>(response);
    if (!decoded)
        co_return failedForecast(WeatherProviderKind::visualCrossing, location, now,
                                 visualcrossing::attribution(),
                                 withoutAPIKey(decoded.failure.description, apiKey));
    co_return visualcrossing::makeForecast(*decoded.value, location, now, calendar);
}

} // namespace nimbra
