#include "OpenMeteoWeatherClient.h"
#include "StorableForecast.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "ProviderUnits.h"
#include "WeatherProviderHTTPError.h"

#include <QTimeZone>
#include <QUrlQuery>

#include <charconv>
#include <limits>

namespace nimbra {
namespace {

// Open-Meteo writes every time in the location's zone without an offset. The answer names the zone and its
// current offset: the zone, where this system knows it, also places the hours after a daylight-saving change
// right; the offset alone is the fall-back, and only an answer with neither is read in the device's zone.
class WallClockReader {
public:
    WallClockReader(const OpenMeteoForecastResponse& response, const LocalCalendar& calendar)
        : m_offset(response.utcOffsetSeconds), m_calendar(calendar) {
        if (response.timezone) {
            QTimeZone zone(response.timezone->toUtf8());
            if (zone.isValid())
                m_zone = std::move(zone);
        }
    }

    std::optional<QDateTime> instant(const std::optional<OpenMeteoLocalTime>& local) const {
        if (!local)
            return std::nullopt;
        if (m_zone) {
            const auto utc = utcSecondsInZone(local->seconds);
            return utc ? std::optional(QDateTime::fromSecsSinceEpoch(*utc, Qt::UTC)) : std::nullopt;
        }
        if (m_offset)
            return QDateTime::fromMSecsSinceEpoch((local->seconds - *m_offset) * 1000, Qt::UTC);
        const QDateTime wallClock = QDateTime::fromMSecsSinceEpoch(local->seconds * 1000, Qt::UTC);
        const QDateTime inZone(wallClock.date(), wallClock.time(), m_calendar.timeZone());
        // A wall-clock time inside a daylight-saving gap names no instant.
        if (!inZone.isValid() || inZone.time() != wallClock.time())
            return std::nullopt;
        return inZone.toUTC();
    }

    // Days stand for the device's calendar day of that date, as every provider's days do.
    std::optional<QDateTime> dayStart(const std::optional<QDate>& day) const {
        if (!day)
            return std::nullopt;
        const QDateTime start = day->startOfDay(m_calendar.timeZone());
        return start.isValid() ? std::optional(start.toUTC()) : std::nullopt;
    }

private:
    // A stretch of time between two transitions of the zone, with its offset.
    struct Segment {
        qint64 from;
        qint64 to;
        int offset;
    };

    // Asking the zone for every sample is slow; the answer spans at most one or two transitions, so the
    // segment found last is tried first.
    std::optional<qint64> utcSecondsInZone(qint64 local) const {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (m_segment) {
                const qint64 utc = local - m_segment->offset;
                if (utc >= m_segment->from && utc < m_segment->to)
                    return utc;
            }
            const int guess = m_segment ? m_segment->offset : m_offset.value_or(0);
            const Segment next = segmentAt(local - guess);
            if (m_segment && next.from == m_segment->from)
                break;
            m_segment = next;
        }
        return std::nullopt; // a wall-clock time inside a daylight-saving gap names no instant
    }

    Segment segmentAt(qint64 utc) const {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(utc, Qt::UTC);
        const auto previous = m_zone->previousTransition(at.addSecs(1));
        const auto next = m_zone->nextTransition(at);
        return {previous.atUtc.isValid() ? previous.atUtc.toSecsSinceEpoch()
                                         : std::numeric_limits<qint64>::min(),
                next.atUtc.isValid() ? next.atUtc.toSecsSinceEpoch() : std::numeric_limits<qint64>::max(),
                m_zone->offsetFromUtc(at)};
    }

    std::optional<int> m_offset;
    std::optional<QTimeZone> m_zone;
    mutable std::optional<Segment> m_segment;
    const LocalCalendar& m_calendar;
};

// Element i of an optional parallel list, when the list is there, long enough and the element not null.
template <typename T> std::optional<T> at(const std::optional<OpenMeteoSeries<T>>& list, qsizetype i) {
    return list && i < list->size() ? list->at(i) : std::nullopt;
}

using units::finite;
using units::fractionFromPercent;

std::optional<WeatherSample> currentSample(const OpenMeteoCurrent& c, const WallClockReader& clock) {
    const auto date = clock.instant(c.time);
    const auto temperature = finite(c.temperature);
    if (!date || !temperature || !c.weatherCode)
        return std::nullopt;
    const auto precipitation = finite(c.precipitation);
    return WeatherSample{
        *date,
        *temperature,
        finite(c.apparentTemperature),
        fractionFromPercent(c.relativeHumidity),
        finite(c.windSpeed),
        OpenMeteoWeatherClient::condition(*c.weatherCode),
        precipitation && *precipitation > 0 ? std::optional(0.7) : std::nullopt,
        precipitation,
    };
}

QList<WeatherSample> hourlySamples(const OpenMeteoHourly& h, const WallClockReader& clock,
                                   const QDateTime& hourStart) {
    const qsizetype n = std::min({h.time.size(), h.temperature.size(), h.weatherCode.size()});
    QList<WeatherSample> out;
    out.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const auto date = clock.instant(h.time[i]);
        const auto temperature = finite(h.temperature[i]);
        const auto code = h.weatherCode[i];
        if (!date || !temperature || !code || *date < hourStart)
            continue;
        out.append({
            *date,
            *temperature,
            finite(at(h.apparentTemperature, i)),
            fractionFromPercent(at(h.relativeHumidity, i)),
            finite(at(h.windSpeed, i)),
            OpenMeteoWeatherClient::condition(*code),
            fractionFromPercent(at(h.precipitationProbability, i)),
            finite(at(h.precipitation, i)),
        });
    }
    return out;
}

QList<DailyForecast> dailyForecasts(const OpenMeteoDaily& d, const WallClockReader& clock) {
    const qsizetype n = std::min({d.time.size(), d.weatherCode.size(), d.high.size(), d.low.size()});
    QList<DailyForecast> out;
    out.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const auto date = clock.dayStart(d.time[i]);
        const auto high = finite(d.high[i]);
        const auto low = finite(d.low[i]);
        const auto code = d.weatherCode[i];
        if (!date || !high || !low || !code)
            continue;
        out.append({
            *date,
            *high,
            *low,
            OpenMeteoWeatherClient::condition(*code),
            fractionFromPercent(at(d.precipitationProbabilityMax, i)),
            clock.instant(at(d.sunrise, i)),
            clock.instant(at(d.sunset, i)),
        });
    }
    return out;
}

constexpr const char* currentFields = "temperature_2m,relative_humidity_2m,apparent_temperature,"
                                      "precipitation,weather_code,cloud_cover,wind_speed_10m";
constexpr const char* hourlyFields = "temperature_2m,relative_humidity_2m,apparent_temperature,precipitation_"
                                     "probability,precipitation,weather_code,wind_speed_10m";
constexpr const char* dailyFields =
    "weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max,sunrise,sunset";

} // namespace

OpenMeteoWeatherClient::OpenMeteoWeatherClient(ProviderHTTPContext context, LocalCalendar calendar)
    : m_context(std::move(context)), m_calendar(std::move(calendar)) {}

QString OpenMeteoWeatherClient::coordinateText(double value) {
    // Room for every double in fixed notation: 309 integer digits at most, or 5e-324's 326 characters.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (!text.contains(u'.'))
        text += QStringLiteral(".0");
    return text;
}

QNetworkRequest OpenMeteoWeatherClient::forecastRequest(const QUrl& baseURL,
                                                        const WeatherLocation& location) {
    QUrl url = endpointURL(baseURL, defaultBaseURL(), QStringLiteral("/v1/forecast"));
    QUrlQuery query;
    query.setQueryItems({
        {QStringLiteral("latitude"), coordinateText(location.latitude)},
        {QStringLiteral("longitude"), coordinateText(location.longitude)},
        {QStringLiteral("current"), QLatin1String(currentFields)},
        {QStringLiteral("hourly"), QLatin1String(hourlyFields)},
        {QStringLiteral("daily"), QLatin1String(dailyFields)},
        {QStringLiteral("timezone"), QStringLiteral("auto")},
        {QStringLiteral("forecast_hours"), QStringLiteral("24")},
        {QStringLiteral("forecast_days"), QStringLiteral("10")},
        {QStringLiteral("temperature_unit"), QStringLiteral("celsius")},
        {QStringLiteral("wind_speed_unit"), QStringLiteral("kmh")},
        {QStringLiteral("precipitation_unit"), QStringLiteral("mm")},
    });
    url.setQuery(query);
    return QNetworkRequest(url);
}

WeatherCondition OpenMeteoWeatherClient::condition(int weatherCode) {
    switch (weatherCode) {
    case 0:
        return WeatherCondition::clear;
    case 1:
        return WeatherCondition::mostlyClear;
    case 2:
        return WeatherCondition::partlyCloudy;
    case 3:
        return WeatherCondition::cloudy;
    case 45:
    case 48:
        return WeatherCondition::fog;
    case 51:
    case 53:
    case 55:
    case 56:
    case 57:
        return WeatherCondition::drizzle;
    case 61:
    case 63:
    case 66:
    case 67:
    case 80:
    case 81:
        return WeatherCondition::rain;
    case 65:
    case 82:
        return WeatherCondition::heavyRain;
    case 71:
    case 73:
    case 75:
    case 77:
    case 85:
    case 86:
        return WeatherCondition::snow;
    case 95:
    case 96:
    case 99:
        return WeatherCondition::thunderstorm;
    default:
        return WeatherCondition::unknown;
    }
}

ProviderForecast OpenMeteoWeatherClient::makeForecast(const OpenMeteoForecastResponse& response,
                                                      const WeatherLocation& location, const QDateTime& now,
                                                      const LocalCalendar& calendar) {
    const WallClockReader clock(response, calendar);
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::openMeteo;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now.addSecs(30 * 60);
    forecast.attribution = attribution();
    if (response.current)
        forecast.current = currentSample(*response.current, clock);
    if (response.hourly)
        forecast.hourly = hourlySamples(*response.hourly, clock, calendar.startOfHour(now));
    if (response.daily)
        forecast.daily = dailyForecasts(*response.daily, clock);
    return withStorableInstants(std::move(forecast), now);
}

ProviderForecast OpenMeteoWeatherClient::forecastFromBody(const QByteArray& body,
                                                          const WeatherLocation& location,
                                                          const QDateTime& now,
                                                          const LocalCalendar& calendar) {
    const auto response = decodeDocument<OpenMeteoForecastResponse>(body);
    if (!response)
        return failedForecast(WeatherProviderKind::openMeteo, location, now, attribution(),
                              unreadableAnswer(response.error));
    return makeForecast(*response, location, now, calendar);
}

QCoro::Task<ProviderForecast> OpenMeteoWeatherClient::forecast(WeatherLocation location,
                                                               CancellationToken cancel) {
    // Copies: the client may be gone by the time the answer arrives.
    const auto session = m_context.session;
    const LocalCalendar calendar = m_calendar;
    const QDateTime now = m_context.clock->now();
    const QNetworkRequest request = forecastRequest(m_context.baseURL, location);

    const HTTPResponse response = co_await session->get(request, cancel);
    if (const auto failure = responseFailure(response))
        co_return failedForecast(WeatherProviderKind::openMeteo, location, now, attribution(), *failure);
    co_return forecastFromBody(response.body, location, now, calendar);
}

} // namespace nimbra
