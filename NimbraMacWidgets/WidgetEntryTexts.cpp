#include "WidgetEntryTexts.h"

#include "WeatherFormatting.h"

#include <QCoreApplication>
#include <algorithm>

namespace nimbra {

namespace {

const QString kNoTemperature = QStringLiteral("--°");

QString highLowLine(const QString& high, const QString& low) {
    return QStringLiteral("↑") + high + QStringLiteral(" ↓") + low;
}

QList<WidgetContextMetric> contextMetrics(const WeatherWidgetEntry& entry, const QDateTime& now,
                                          const LocalCalendar& calendar) {
    const std::optional<WeatherSample> current = entry.forecast ? entry.forecast->current : std::nullopt;
    const std::optional<double> rain = current ? current->precipitationProbability : std::nullopt;
    const QString wind = current && current->windKph
                             ? WeatherFormatting::wind(*current->windKph, entry.settings.windSpeedUnit)
                             : QStringLiteral("--");
    const QString humidity = current && current->humidity
                                 ? WeatherFormatting::wholeNumberText(*current->humidity * 100) + u'%'
                                 : QStringLiteral("--%");
    return {
        {QCoreApplication::translate("WidgetEntryTexts", "Rain"),
         WeatherFormatting::precipitationProbability(rain), QStringLiteral("drop.fill"),
         ColorToken::of(Tint::blue)},
        {QCoreApplication::translate("WidgetEntryTexts", "Wind"), wind, QStringLiteral("wind"),
         ColorToken::of(Tint::teal)},
        {QCoreApplication::translate("WidgetEntryTexts", "Humidity"), humidity,
         QStringLiteral("humidity.fill"), ColorToken::of(Tint::cyan)},
        sunEventMetric(entry, now, calendar),
    };
}

} // namespace

QString widgetLocationTitle(const WeatherWidgetEntry& entry) {
    if (!entry.forecast || entry.forecast->location.name.isEmpty())
        return QCoreApplication::translate("WidgetEntryTexts", "Weather");
    return entry.forecast->location.name;
}

int widgetAlertCount(const WeatherWidgetEntry& entry) {
    return entry.forecast ? int(entry.forecast->alerts.size()) : 0;
}

WidgetEntryTexts widgetEntryTexts(const WeatherWidgetEntry& entry, const QDateTime& now,
                                  const LocalCalendar& calendar) {
    const TemperatureUnit unit = entry.settings.temperatureUnit;
    const std::optional<WeatherSample> current = entry.forecast ? entry.forecast->current : std::nullopt;

    WidgetEntryTexts texts;
    texts.locationTitle = widgetLocationTitle(entry);
    texts.conditionTitle = current ? conditions::title(current->condition)
                                   : QCoreApplication::translate("WidgetEntryTexts", "No forecast");
    texts.iconCondition = current ? current->condition : WeatherCondition::unknown;
    texts.temperature =
        current ? WeatherFormatting::temperature(current->temperatureC, unit) : kNoTemperature;
    texts.feelsLike = current ? WeatherFormatting::temperature(
                                    current->apparentTemperatureC.value_or(current->temperatureC), unit)
                              : kNoTemperature;
    // The entry's own day, so an entry past midnight does not show the day before's high and low.
    const QList<DailyForecast> days = entryDaily(entry, calendar);
    if (!days.isEmpty()) {
        const DailyForecast& today = days.first();
        texts.highLow = highLowLine(WeatherFormatting::temperature(today.highC, unit),
                                    WeatherFormatting::temperature(today.lowC, unit));
    } else {
        texts.highLow = current ? highLowLine(texts.temperature, texts.temperature)
                                : highLowLine(kNoTemperature, kNoTemperature);
    }
    texts.alertCount = widgetAlertCount(entry);
    texts.metrics = contextMetrics(entry, now, calendar);
    return texts;
}

QList<WeatherSample> entryHourly(const WeatherWidgetEntry& entry, const LocalCalendar& calendar) {
    if (!entry.forecast)
        return {};
    const QList<WeatherSample>& hourly = entry.forecast->hourly;
    const QDateTime hour = calendar.startOfHour(entry.date);
    if (!hour.isValid())
        return hourly;
    const auto first = std::find_if(hourly.cbegin(), hourly.cend(), [&](const WeatherSample& sample) {
        return sample.date.isValid() && sample.date >= hour;
    });
    return QList<WeatherSample>(first, hourly.cend());
}

QList<DailyForecast> entryDaily(const WeatherWidgetEntry& entry, const LocalCalendar& calendar) {
    if (!entry.forecast)
        return {};
    const QList<DailyForecast>& daily = entry.forecast->daily;
    const QDateTime day = calendar.startOfDay(entry.date);
    if (!day.isValid())
        return daily;
    // A day lies before the entry's day when its own date falls on an earlier local day.
    const auto first = std::find_if(daily.cbegin(), daily.cend(), [&](const DailyForecast& forecast) {
        return forecast.date.isValid() && calendar.startOfDay(forecast.date) >= day;
    });
    return QList<DailyForecast>(first, daily.cend());
}

} // namespace nimbra
