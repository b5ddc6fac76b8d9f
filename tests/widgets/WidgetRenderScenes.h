#pragma once

// The entries the widgets are rendered from (a real snapshot, the placeholder, no forecast and extreme
// texts), and the kinds and families each widget comes in.

#include "WidgetTestData.h"

#include "WeatherWidgetViews.h"

#include <QList>

#include <functional>
#include <memory>

namespace nimbra::widgettest {

struct RenderScene {
    QString name;
    WeatherWidgetEntry entry;
};

struct WidgetKindSizes {
    QString kind;
    QList<WidgetFamily> families;
};

inline const QList<WidgetKindSizes>& renderedKinds() {
    static const QList<WidgetKindSizes> kinds{
        {QStringLiteral("current"),
         {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}},
        {QStringLiteral("hourly"), {WidgetFamily::systemMedium, WidgetFamily::systemLarge}},
        {QStringLiteral("tenday"), {WidgetFamily::systemMedium, WidgetFamily::systemLarge}},
    };
    return kinds;
}

inline std::unique_ptr<WidgetSurface> makeWidgetView(const QString& kind, const WeatherWidgetEntry& entry,
                                                     WidgetFamily family, const QDateTime& now = fixedNow(),
                                                     const LocalCalendar& calendar = utcCalendar()) {
    if (kind == QStringLiteral("hourly"))
        return std::make_unique<HourlyWeatherWidgetView>(entry, family, calendar);
    if (kind == QStringLiteral("tenday"))
        return std::make_unique<TenDayWeatherWidgetView>(entry, family, now, calendar);
    return std::make_unique<CurrentWeatherWidgetView>(entry, family, now, calendar);
}

// A forecast at the edges of what the texts hold: a long place name, three alerts, the widest readings.
inline WeatherWidgetEntry extremeEntry(double temperatureC, double lowC, TemperatureUnit unit,
                                       WindSpeedUnit windUnit) {
    ConsensusForecast f =
        fixtureForecast(place(7, QStringLiteral("Llanfairpwllgwyngyll Upper Harbour Road")));
    const auto stretch = [&](WeatherSample& s) {
        s.temperatureC = temperatureC;
        s.apparentTemperatureC = lowC;
        s.condition = WeatherCondition::thunderstorm;
        s.precipitationProbability = 1.0;
        s.humidity = 1.0;
        s.windKph = 188;
    };
    stretch(*f.current);
    for (WeatherSample& s : f.hourly)
        stretch(s);
    for (DailyForecast& d : f.daily) {
        d.highC = temperatureC;
        d.lowC = lowC;
        d.condition = WeatherCondition::thunderstorm;
        d.precipitationProbability = 1.0;
    }
    while (f.alerts.size() < 3)
        f.alerts.append(f.alerts.isEmpty() ? WeatherAlert{} : f.alerts.first());
    WeatherSettings settings;
    settings.temperatureUnit = unit;
    settings.windSpeedUnit = windUnit;
    return {fixedNow(), f, settings};
}

inline QList<RenderScene> renderScenes(const SnapshotFile& file) {
    CachedWeatherPayload payload;
    const WeatherLocation leeds = place(1, QStringLiteral("Leeds"), true);
    payload.locations = {leeds};
    payload.forecasts.insert(leeds.id, fixtureForecast(leeds));
    file.write(payload);
    const auto timeline = WeatherWidgetProvider::timeline(file.loader(), fixedNow());
    // A snapshot saved a year ago: its hours and days have all passed.
    payload.forecasts.insert(leeds.id, fixtureForecast(leeds, fixedNow().addYears(-1)));
    file.write(payload);
    const auto yearOld = WeatherWidgetProvider::timeline(file.loader(), fixedNow());

    WeatherSettings celsius;
    celsius.temperatureUnit = TemperatureUnit::celsius;
    return {
        {QStringLiteral("snapshot"), timeline.entries.value(0)},
        {QStringLiteral("snapshot-6h"), timeline.entries.value(6)},
        {QStringLiteral("placeholder"), WeatherWidgetProvider::placeholderEntry(fixedNow(), utcCalendar())},
        {QStringLiteral("no-forecast"), {fixedNow(), std::nullopt, celsius}},
        {QStringLiteral("year-old"), yearOld.entries.value(0)},
        // 37.8 °C reads 100° in Fahrenheit.
        {QStringLiteral("hot-100"),
         extremeEntry(37.8, 30, TemperatureUnit::fahrenheit, WindSpeedUnit::milesPerHour)},
        {QStringLiteral("cold-minus18"),
         extremeEntry(-18, -28, TemperatureUnit::celsius, WindSpeedUnit::kilometersPerHour)},
    };
}

} // namespace nimbra::widgettest
