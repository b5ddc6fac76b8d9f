#include "VisualCrossingMapping.h"
#include "StorableForecast.h"

#include "ProviderTextMapping.h"
#include "ProviderUnits.h"

#include <QCoreApplication>
#include <cmath>

namespace nimbra::visualcrossing {
namespace {

// An empty text says as little as a missing one; a blank alert title helps nobody.
std::optional<QString> nonEmpty(const std::optional<QString>& text) {
    return text && !text->trimmed().isEmpty() ? text : std::nullopt;
}

std::optional<QDateTime> instant(std::optional<double> seconds) {
    return seconds ? units::instantFromUnixSeconds(*seconds) : std::nullopt;
}

} // namespace

QString attribution() {
    return QCoreApplication::translate("VisualCrossingMapping", "Weather data by Visual Crossing");
}

std::optional<WeatherSample> sample(const VisualCrossingPoint& point) {
    const auto date = units::instantFromUnixSeconds(point.datetimeEpoch);
    const auto temperature = units::finite(point.temp);
    if (!date || !temperature)
        return std::nullopt;
    return WeatherSample{
        *date,
        *temperature,
        units::finite(point.feelslike),
        units::fractionFromPercent(point.humidity),
        units::finite(point.windspeed),
        conditionFromTexts(point.icon, point.conditions),
        units::fractionFromPercent(point.precipprob),
        units::finite(point.precip),
    };
}

namespace {

// The place's date of a day given only by its instant, the place's midnight: read at the place's offset and
// taken to the nearest midnight, since a day after a clock change starts an hour away from the answer's
// offset. Nothing without a usable offset.
QDate placeDate(double midnight, std::optional<double> offsetHours) {
    constexpr double widestOffsetHours = 24;
    if (!offsetHours || !std::isfinite(*offsetHours) || std::abs(*offsetHours) > widestOffsetHours)
        return {};
    const auto local = units::instantFromUnixSeconds(midnight + *offsetHours * 3600 + 12 * 3600);
    return local ? local->date() : QDate();
}

// datetimeEpoch is the place's midnight, which for a user west of the place is still the day before: the
// day's own date text names it, else the answer's offset does. Only an answer with neither is dated by the
// user's calendar.
std::optional<QDateTime> dayStart(const VisualCrossingDay& day, const LocalCalendar& calendar,
                                  std::optional<double> placeOffsetHours) {
    QDate date;
    if (day.datetime)
        date = QLocale::c().toDate(*day.datetime, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = placeDate(day.datetimeEpoch, placeOffsetHours);
    if (!date.isValid()) {
        if (const auto midnight = units::instantFromUnixSeconds(day.datetimeEpoch))
            date = calendar.toLocal(*midnight).date();
    }
    if (!date.isValid())
        return std::nullopt;
    return units::storableInstant(date.startOfDay(calendar.timeZone()));
}

} // namespace

std::optional<DailyForecast> dailyForecast(const VisualCrossingDay& day, const LocalCalendar& calendar,
                                           std::optional<double> placeOffsetHours) {
    const auto date = dayStart(day, calendar, placeOffsetHours);
    const auto high = units::finite(day.tempmax);
    const auto low = units::finite(day.tempmin);
    if (!date || !high || !low)
        return std::nullopt;
    return DailyForecast{
        *date,
        *high,
        *low,
        conditionFromTexts(day.icon, day.conditions),
        units::fractionFromPercent(day.precipprob),
        std::nullopt,
        std::nullopt,
    };
}

WeatherAlert alert(const VisualCrossingAlert& alert, const QDateTime& now) {
    const auto headline = nonEmpty(alert.headline);
    return {
        QUuid::createUuid(),
        WeatherProviderKind::visualCrossing,
        nonEmpty(alert.event)
            .value_or(
                headline.value_or(QCoreApplication::translate("VisualCrossingMapping", "Weather alert"))),
        nonEmpty(alert.description).value_or(headline.value_or(QString())),
        severityFromText(alert.severity),
        instant(alert.onsetEpoch).value_or(now),
        instant(alert.endsEpoch).value_or(now.addSecs(3600)),
        std::nullopt,
    };
}

ProviderForecast makeForecast(const VisualCrossingResponse& response, const WeatherLocation& location,
                              const QDateTime& now, const LocalCalendar& calendar) {
    ProviderForecast forecast;
    forecast.provider = WeatherProviderKind::visualCrossing;
    forecast.locationID = location.id;
    forecast.issuedAt = now;
    forecast.expiresAt = now.addSecs(lifetimeSeconds);
    forecast.attribution = attribution();
    if (response.currentConditions)
        forecast.current = sample(*response.currentConditions);
    const QDateTime hourStart = calendar.startOfHour(now);
    for (const auto& day : response.days) {
        for (const auto& point : day.hours.value_or(QList<VisualCrossingPoint>{})) {
            if (forecast.hourly.size() == hourlyLimit)
                break;
            const auto s = sample(point);
            if (s && s->date >= hourStart)
                forecast.hourly.append(*s);
        }
        if (forecast.daily.size() < dailyLimit) {
            if (const auto d = dailyForecast(day, calendar, response.tzoffset))
                forecast.daily.append(*d);
        }
    }
    for (const auto& a : response.alerts.value_or(QList<VisualCrossingAlert>{}))
        forecast.alerts.append(alert(a, now));
    return withStorableInstants(std::move(forecast), now);
}

} // namespace nimbra::visualcrossing
