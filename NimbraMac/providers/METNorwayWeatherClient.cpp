#include "METNorwayWeatherClient.h"
#include "StorableForecast.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "Iso8601.h"
#include "MostFrequentCondition.h"
#include "ProviderUnits.h"
#include "WeatherProviderHTTPError.h"

#include <QMap>
#include <QUrlQuery>

#include <cmath>

namespace nimbra {
namespace {

std::optional<double> probabilityFromAmount(std::optional<double> amount) {
    if (!amount || !(*amount > 0))
        return std::nullopt;
    return units::finite(std::min(std::max(*amount * 0.25, 0.25), 0.85));
}

std::optional<double> amountOf(const METNorwayTimePoint& point) {
    if (point.next1Hours && point.next1Hours->precipitationAmount)
        return point.next1Hours->precipitationAmount;
    if (point.next6Hours)
        return point.next6Hours->precipitationAmount;
    return std::nullopt;
}

std::optional<QString> symbolCodeOf(const METNorwayTimePoint& point) {
    for (const auto* period : {&point.next1Hours, &point.next6Hours, &point.next12Hours}) {
        if (*period)
            return (*period)->symbolCode;
    }
    return std::nullopt;
}

std::optional<DailyForecast> dailyForecast(const QDateTime& dayStart, const QList<WeatherSample>& samples) {
    if (samples.isEmpty())
        return std::nullopt;
    DailyForecast day;
    day.date = dayStart;
    day.highC = samples.first().temperatureC;
    day.lowC = samples.first().temperatureC;
    QList<WeatherCondition> conditions;
    double total = 0;
    for (const WeatherSample& s : samples) {
        day.highC = std::max(day.highC, s.temperatureC);
        day.lowC = std::min(day.lowC, s.temperatureC);
        conditions.append(s.condition);
        total += s.precipitationIntensityMmPerHour.value_or(0);
    }
    day.condition = mostFrequentCondition(conditions);
    day.precipitationProbability = probabilityFromAmount(total);
    return day;
}

} // namespace

METNorwayWeatherClient::METNorwayWeatherClient(ProviderHTTPContext context, QString userAgent,
                                               LocalCalendar calendar)
    : m_context(std::move(context)), m_userAgent(std::move(userAgent)), m_calendar(std::move(calendar)) {}

QNetworkRequest METNorwayWeatherClient::forecastRequest(const QUrl& baseURL, const WeatherLocation& location,
                                                        const QString& userAgent) {
    QUrl url =
        endpointURL(baseURL, defaultBaseURL(), QStringLiteral("/weatherapi/locationforecast/2.0/compact"));
    // Four decimals with a point whatever the user's locale: the service refuses more precise coordinates.
    QUrlQuery query;
    query.setQueryItems({
        {QStringLiteral("lat"), QString::number(location.latitude, 'f', 4)},
        {QStringLiteral("lon"), QString::number(location.longitude, 'f', 4)},
    });
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", userAgent.toUtf8());
    request.setRawHeader("Accept", "application/json");
    return request;
}

WeatherCondition METNorwayWeatherClient::condition(const std::optional<QString>& symbolCode,
                                                   std::optional<double> cloudAreaFraction) {
    const QString code = symbolCode.value_or(QString()).toLower();
    if (code.contains(u"thunder"))
        return WeatherCondition::thunderstorm;
    if (code.contains(u"sleet"))
        return WeatherCondition::sleet;
    if (code.contains(u"snow"))
        return WeatherCondition::snow;
    if (code.contains(u"heavyrain"))
        return WeatherCondition::heavyRain;
    if (code.contains(u"rain"))
        return code.contains(u"light") ? WeatherCondition::drizzle : WeatherCondition::rain;
    if (code.contains(u"fog"))
        return WeatherCondition::fog;
    if (code.contains(u"clearsky"))
        return WeatherCondition::clear;
    if (code.contains(u"fair"))
        return WeatherCondition::mostlyClear;
    if (code.contains(u"partlycloudy"))
        return WeatherCondition::partlyCloudy;
    if (code.contains(u"cloudy"))
        return WeatherCondition::cloudy;
    if (!cloudAreaFraction || std::isnan(*cloudAreaFraction))
        return WeatherCondition::unknown;
    const double f = *cloudAreaFraction;
    if (f < 15)
        return WeatherCondition::clear;
    if (f < 45)
        return WeatherCondition::mostlyClear;
    if (f < 75)
        return WeatherCondition::partlyCloudy;
    return WeatherCondition::cloudy;
}

std::optional<WeatherSample> METNorwayWeatherClient::sample(const METNorwayTimePoint& point) {
    const auto date = iso8601::parseInternet(point.time);
    if (!date || !std::isfinite(point.instant.airTemperature))
        return std::nullopt;
    // Amounts are used as given: the hourly blend reads only the points an hour apart.
    const auto amount = units::finite(amountOf(point));
    return WeatherSample{
        *date,
        point.instant.airTemperature,
        std::nullopt,
        units::fractionFromPercent(point.instant.relativeHumidity),
        units::kphFromMetresPerSecond(point.instant.windSpeed),
        condition(symbolCodeOf(point), point.instant.cloudAreaFraction),
        probabilityFromAmount(amount),
        amount,
    };
}

QList<DailyForecast> METNorwayWeatherClient::dailyForecasts(const QList<WeatherSample>& samples,
                                                            const LocalCalendar& calendar) {
    // Keyed by the instant of the day's start, so the map's order is the days' order.
    QMap<QDateTime, QList<WeatherSample>> byDay;
    for (const WeatherSample& s : samples)
        byDay[calendar.startOfDay(s.date)].append(s);
    QList<DailyForecast> out;
    for (auto it = byDay.cbegin(); it != byDay.cend() && out.size() < 10; ++it) {
        if (const auto day = dailyForecast(it.key(), it.value()))
            out.append(*day);
    }
    return out;
}

ProviderForecast METNorwayWeatherClient::makeForecast(const METNorwayForecastResponse& response,
                                                      const WeatherLocation& location, const QDateTime& now,
                                                      const LocalCalendar& calendar) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::metNorway;
    forecast.locationID = location.id;
    forecast.issuedAt = iso8601::parseInternet(response.updatedAt).value_or(now);
    forecast.expiresAt = now.addSecs(30 * 60);
    forecast.attribution = attribution();

    // A point whose time does not parse has no place in time: it is neither the current one nor an hour.
    const QDateTime hourStart = calendar.startOfHour(now);
    std::optional<qint64> bestDistance;
    for (const METNorwayTimePoint& point : response.timeseries) {
        const auto s = sample(point);
        if (!s)
            continue;
        const qint64 distance = std::abs(s->date.msecsTo(now));
        if (!bestDistance || distance < *bestDistance) {
            bestDistance = distance;
            forecast.current = s;
        }
        if (s->date >= hourStart)
            forecast.hourly.append(*s);
    }
    forecast.daily = dailyForecasts(forecast.hourly, calendar);
    return withStorableInstants(std::move(forecast), now);
}

ProviderForecast METNorwayWeatherClient::forecastFromBody(const QByteArray& body,
                                                          const WeatherLocation& location,
                                                          const QDateTime& now,
                                                          const LocalCalendar& calendar) {
    const auto response = decodeDocument<METNorwayForecastResponse>(body);
    if (!response)
        return failedForecast(WeatherProviderKind::metNorway, location, now, attribution(),
                              unreadableAnswer(response.error));
    return makeForecast(*response, location, now, calendar);
}

QCoro::Task<ProviderForecast> METNorwayWeatherClient::forecast(WeatherLocation location,
                                                               CancellationToken cancel) {
    // Copies: the client may be gone by the time the answer arrives.
    const auto session = m_context.session;
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();
    const QNetworkRequest request = forecastRequest(m_context.baseURL, location, m_userAgent);

    const HTTPResponse response = co_await session->get(request, cancel, std::chrono::seconds(60));
    if (const auto failure = responseFailure(response))
        co_return failedForecast(WeatherProviderKind::metNorway, location, now, attribution(), *failure);
    co_return forecastFromBody(response.body, location, now, calendar);
}

} // namespace nimbra
