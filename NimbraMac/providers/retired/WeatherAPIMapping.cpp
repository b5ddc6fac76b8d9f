#include "WeatherAPIMapping.h"
#include "StorableForecast.h"

#include "Iso8601.h"
#include "ProviderTextMapping.h"
#include "ProviderUnits.h"

#include <QCoreApplication>

namespace nimbra::weatherapi {
namespace {

std::optional<QString> nonEmpty(const std::optional<QString>& text) {
    return text && !text->trimmed().isEmpty() ? text : std::nullopt;
}

// A wall-clock time of the calendar's zone; nothing inside a daylight-saving gap, where it names no instant.
std::optional<QDateTime> wallClockInstant(const QDate& date, const QTime& time,
                                          const LocalCalendar& calendar) {
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime local(date, time, calendar.timeZone());
    if (!local.isValid() || local.time() != time)
        return std::nullopt;
    return local.toUTC();
}

} // namespace

QString attribution() {
    return QCoreApplication::translate("WeatherAPIMapping", "Weather data by WeatherAPI.com");
}

WeatherCondition condition(const WeatherAPICondition& condition) {
    return conditionFromTexts(condition.text, condition.code ? std::optional(QString::number(*condition.code))
                                                             : std::nullopt);
}

std::optional<QDateTime> alertDate(const std::optional<QString>& text, const LocalCalendar& calendar) {
    if (!text)
        return std::nullopt;
    if (const auto instant = iso8601::parseInternet(*text))
        return instant;
    // "yyyy-MM-dd HH:mm", read as date and time apart so that no zone but the calendar's takes part.
    if (text->size() != 16 || text->at(10) != u' ')
        return std::nullopt;
    const QLocale posix = QLocale::c();
    return wallClockInstant(posix.toDate(text->left(10), QStringLiteral("yyyy-MM-dd")),
                            posix.toTime(text->mid(11), QStringLiteral("HH:mm")), calendar);
}

std::optional<QDateTime> dayStart(const WeatherAPIForecastDay& day, const LocalCalendar& calendar) {
    QDate date;
    if (day.date)
        date = QLocale::c().toDate(*day.date, QStringLiteral("yyyy-MM-dd"));
    // date_epoch is midnight UTC of the same calendar date: read in UTC it still names the right day.
    if (!date.isValid()) {
        if (const auto midnight = units::instantFromUnixSeconds(day.dateEpoch))
            date = midnight->date();
    }
    if (!date.isValid())
        return std::nullopt;
    const QDateTime start = date.startOfDay(calendar.timeZone());
    return start.isValid() ? std::optional(start.toUTC()) : std::nullopt;
}

std::optional<WeatherSample> sample(const WeatherAPICurrent& current) {
    const auto date = units::instantFromUnixSeconds(current.lastUpdatedEpoch);
    const auto temperature = units::finite(current.tempC);
    if (!date || !temperature)
        return std::nullopt;
    const auto precipitation = units::finite(current.precipMm);
    // The current block has no chance of rain: rain falling now counts as likely.
    const auto probability = precipitation && *precipitation > 0 ? std::optional(0.7) : std::nullopt;
    return WeatherSample{
        *date,
        *temperature,
        units::finite(current.feelslikeC),
        units::fractionFromPercent(current.humidity),
        units::finite(current.windKph),
        condition(current.condition),
        probability,
        precipitation,
    };
}

std::optional<WeatherSample> sample(const WeatherAPIHour& hour) {
    const auto date = units::instantFromUnixSeconds(hour.timeEpoch);
    const auto temperature = units::finite(hour.tempC);
    if (!date || !temperature)
        return std::nullopt;
    return WeatherSample{
        *date,
        *temperature,
        units::finite(hour.feelslikeC),
        units::fractionFromPercent(hour.humidity),
        units::finite(hour.windKph),
        condition(hour.condition),
        units::fractionFromPercent(hour.chanceOfRain),
        units::finite(hour.precipMm),
    };
}

std::optional<DailyForecast> dailyForecast(const WeatherAPIForecastDay& day, const LocalCalendar& calendar) {
    const auto date = dayStart(day, calendar);
    const auto high = units::finite(day.day.maxtempC);
    const auto low = units::finite(day.day.mintempC);
    if (!date || !high || !low)
        return std::nullopt;
    return DailyForecast{
        *date,
        *high,
        *low,
        condition(day.day.condition),
        units::fractionFromPercent(day.day.dailyChanceOfRain),
        std::nullopt,
        std::nullopt,
    };
}

WeatherAlert alert(const WeatherAPIAlert& alert, const QDateTime& now, const LocalCalendar& calendar) {
    return {
        QUuid::createUuid(),
        WeatherProviderKind::weatherAPI,
        nonEmpty(alert.event)
            .value_or(nonEmpty(alert.headline)
                          .value_or(QCoreApplication::translate("WeatherAPIMapping", "Weather alert"))),
        nonEmpty(alert.desc).value_or(nonEmpty(alert.instruction).value_or(QString())),
        severityFromText(alert.severity),
        alertDate(alert.effective, calendar).value_or(now),
        alertDate(alert.expires, calendar).value_or(now.addSecs(3600)),
        std::nullopt,
    };
}

ProviderForecast makeForecast(const WeatherAPIResponse& response, const WeatherLocation& location,
                              const QDateTime& now, const LocalCalendar& calendar) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::weatherAPI;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now.addSecs(lifetimeSeconds);
    forecast.attribution = attribution();
    if (response.current)
        forecast.current = sample(*response.current);
    const QDateTime hourStart = calendar.startOfHour(now);
    for (const auto& day : response.forecastday) {
        for (const auto& hour : day.hour) {
            if (forecast.hourly.size() == hourlyLimit)
                break;
            const auto s = sample(hour);
            if (s && s->date >= hourStart)
                forecast.hourly.append(*s);
        }
        if (forecast.daily.size() < dailyLimit) {
            if (const auto d = dailyForecast(day, calendar))
                forecast.daily.append(*d);
        }
    }
    for (const auto& a : response.alerts.value_or(QList<WeatherAPIAlert>{}))
        forecast.alerts.append(alert(a, now, calendar));
    return withStorableInstants(std::move(forecast), now);
}

} // namespace nimbra::weatherapi
