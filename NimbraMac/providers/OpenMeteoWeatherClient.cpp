#include "OpenMeteoWeatherClient.h"

#include "FailedForecast.h"
#include "FetchOutcome.h"
#include "ProviderUnits.h"
#include "WeatherProviderHTTPError.h"

#include <QUrlQuery>

#include <charconv>

namespace nimbra {
namespace {

// Open-Meteo writes every time in the location's zone without an offset; the answer names that zone's offset.
// Only an answer without one falls back to the device's zone.
class WallClockReader {
public:
    WallClockReader(std::optional<int> utcOffsetSeconds, const LocalCalendar& calendar)
        : m_offset(utcOffsetSeconds), m_calendar(calendar) {}

    std::optional<QDateTime> instant(const std::optional<OpenMeteoLocalTime>& local) const {
        if (!local)
            return std::nullopt;
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
    std::optional<int> m_offset;
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
    const WallClockReader clock(response.utcOffsetSeconds, calendar);
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
    return forecast;
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
