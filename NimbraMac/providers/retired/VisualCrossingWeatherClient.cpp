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
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();

    const auto decoded = co_await fetchKeyedDocument<VisualCrossingResponse>(
        m_context.session, forecastRequest(m_context.baseURL, location, m_apiKey), m_apiKey, cancel);
    if (!decoded)
        co_return failedForecast(WeatherProviderKind::visualCrossing, location, now,
                                 visualcrossing::attribution(), decoded.failure.description);
    co_return visualcrossing::makeForecast(*decoded.value, location, now, calendar);
}

} // namespace nimbra
