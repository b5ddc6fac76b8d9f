#include "OpenWeatherWeatherClient.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "OpenMeteoWeatherClient.h"
#include "OpenWeatherMapping.h"

#include <QUrlQuery>

namespace nimbra {
namespace {

// What every request of one forecast needs, copied so that it outlives the client.
struct Endpoint {
    std::shared_ptr<HTTPSession> session;
    QUrl baseURL;
    QString apiKey;
    WeatherLocation location;
};

QUrlQuery locationQuery(const WeatherLocation& location, const QString& apiKey) {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("lat"), OpenMeteoWeatherClient::coordinateText(location.latitude));
    query.addQueryItem(QStringLiteral("lon"), OpenMeteoWeatherClient::coordinateText(location.longitude));
    query.addQueryItem(QStringLiteral("appid"), apiKeyQueryValue(apiKey));
    query.addQueryItem(QStringLiteral("units"), QStringLiteral("metric"));
    return query;
}

// Cancelled with `parent`, and on its own when one request of a group fails and its siblings are not needed.
CancellationToken linkedCancellation(const CancellationToken& parent) {
    auto child = makeCancellation();
    if (parent) {
        if (parent->isCancelled())
            child->cancel();
        else
            QObject::connect(parent.get(), &Cancellation::cancelled, child.get(), &Cancellation::cancel);
    }
    return child;
}

template <typename Element>
QCoro::Task<FetchOutcome<QList<Element>>> fetchTimeline(Endpoint endpoint, QString path,
                                                        std::optional<int> count, CancellationToken cancel) {
    const QNetworkRequest request = OpenWeatherWeatherClient::oneCallRequest(
        endpoint.baseURL, path, endpoint.location, endpoint.apiKey, count);
    const HTTPResponse response = co_await endpoint.session->get(request, cancel);
    auto decoded = decodeAnswer<OpenWeatherTimelineResponse<Element>>(response);
    if (!decoded)
        co_return {std::nullopt, decoded.failure};
    co_return {std::move(decoded.value->data), {}};
}

template <typename Document>
QCoro::Task<FetchOutcome<Document>> fetchFree(Endpoint endpoint, QString path, CancellationToken cancel) {
    const QNetworkRequest request =
        OpenWeatherWeatherClient::freeRequest(endpoint.baseURL, path, endpoint.location, endpoint.apiKey);
    const HTTPResponse response = co_await endpoint.session->get(request, cancel);
    co_return decodeAnswer<Document>(response);
}

// The three One Call requests run at once. They are read in the order current, hours, days: the first failure
// in that order is the one reported, and the requests still running are stopped and waited for.
QCoro::Task<FetchOutcome<OpenWeatherResponse>> fetchOneCall(Endpoint endpoint, CancellationToken cancel) {
    const CancellationToken group = linkedCancellation(cancel);
    auto currentTask =
        fetchTimeline<OpenWeatherPoint>(endpoint, QStringLiteral("current"), std::nullopt, group);
    auto hourlyTask = fetchTimeline<OpenWeatherPoint>(endpoint, QStringLiteral("timeline/1h"),
                                                      openweather::hourlyLimit, group);
    auto dailyTask = fetchTimeline<OpenWeatherDay>(endpoint, QStringLiteral("timeline/1day"),
                                                   openweather::dailyLimit, group);

    auto current = co_await currentTask;
    if (!current) {
        group->cancel();
        co_await hourlyTask;
        co_await dailyTask;
        co_return {std::nullopt, current.failure};
    }
    auto hourly = co_await hourlyTask;
    if (!hourly) {
        group->cancel();
        co_await dailyTask;
        co_return {std::nullopt, hourly.failure};
    }
    auto daily = co_await dailyTask;
    if (!daily)
        co_return {std::nullopt, daily.failure};
    const QList<OpenWeatherPoint>& points = *current.value;
    co_return {OpenWeatherResponse{points.isEmpty() ? std::nullopt : std::optional(points.first()),
                                   std::move(hourly.value), std::move(daily.value)},
               {}};
}

QCoro::Task<FetchOutcome<OpenWeatherResponse>> fetchFreeAPI(Endpoint endpoint, LocalCalendar calendar,
                                                            CancellationToken cancel) {
    const CancellationToken group = linkedCancellation(cancel);
    auto currentTask =
        fetchFree<OpenWeatherFreeCurrentResponse>(endpoint, QStringLiteral("/data/2.5/weather"), group);
    auto forecastTask =
        fetchFree<OpenWeatherFreeForecastResponse>(endpoint, QStringLiteral("/data/2.5/forecast"), group);

    auto current = co_await currentTask;
    if (!current) {
        group->cancel();
        co_await forecastTask;
        co_return {std::nullopt, current.failure};
    }
    auto forecast = co_await forecastTask;
    if (!forecast)
        co_return {std::nullopt, forecast.failure};
    co_return {openweather::combined(*current.value, *forecast.value, calendar), {}};
}

} // namespace

OpenWeatherWeatherClient::OpenWeatherWeatherClient(ProviderHTTPContext context, QString apiKey,
                                                   LocalCalendar calendar)
    : m_context(std::move(context)), m_apiKey(std::move(apiKey)), m_calendar(std::move(calendar)) {}

QNetworkRequest OpenWeatherWeatherClient::oneCallRequest(const QUrl& baseURL, const QString& path,
                                                         const WeatherLocation& location,
                                                         const QString& apiKey, std::optional<int> count) {
    QUrl url = endpointURL(baseURL, defaultBaseURL(), QStringLiteral("/data/4.0/onecall/") + path);
    QUrlQuery query = locationQuery(location, apiKey);
    if (count)
        query.addQueryItem(QStringLiteral("cnt"), QString::number(*count));
    url.setQuery(query);
    return QNetworkRequest(url);
}

QNetworkRequest OpenWeatherWeatherClient::freeRequest(const QUrl& baseURL, const QString& path,
                                                      const WeatherLocation& location,
                                                      const QString& apiKey) {
    QUrl url = endpointURL(baseURL, defaultBaseURL(), path);
    url.setQuery(locationQuery(location, apiKey));
    return QNetworkRequest(url);
}

bool OpenWeatherWeatherClient::fallsBackToFreeAPI(const std::optional<WeatherProviderHTTPError>& error) {
    return error && error->statusCode == 401 && error->message &&
           error->message->contains(QLatin1String("One Call"), Qt::CaseInsensitive);
}

QCoro::Task<ProviderForecast> OpenWeatherWeatherClient::forecast(WeatherLocation location,
                                                                 CancellationToken cancel) {
    // Copies: the client may be gone by the time the answers arrive.
    const Endpoint endpoint{m_context.session, m_context.baseURL, m_apiKey, location};
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();

    // Nothing remembers a refused One Call between forecasts: a key may gain access at any time.
    auto outcome = co_await fetchOneCall(endpoint, cancel);
    if (!outcome && fallsBackToFreeAPI(outcome.failure.httpError))
        outcome = co_await fetchFreeAPI(endpoint, calendar, cancel);
    if (!outcome)
        co_return failedForecast(WeatherProviderKind::openWeather, location, now, openweather::attribution(),
                                 withoutAPIKey(outcome.failure.description, endpoint.apiKey));
    co_return openweather::makeForecast(*outcome.value, location, now);
}

} // namespace nimbra
