#pragma once

#include "WidgetContextMetric.h"

#include "LocalCalendar.h"
#include "WeatherWidgetProvider.h"

#include <QList>
#include <QString>

namespace nimbra {

// What every layout shows of one entry, with the placeholders for what it lacks.
struct WidgetEntryTexts {
    QString locationTitle;
    QString conditionTitle;
    WeatherCondition iconCondition = WeatherCondition::unknown;
    QString temperature;
    // Without the "Feels " prefix, which the layouts add.
    QString feelsLike;
    QString highLow;
    int alertCount = 0;
    // Rain, wind, humidity and the next sun event, always four.
    QList<WidgetContextMetric> metrics;

    bool operator==(const WidgetEntryTexts&) const = default;
};

WidgetEntryTexts widgetEntryTexts(const WeatherWidgetEntry& entry, const QDateTime& now,
                                  const LocalCalendar& calendar = LocalCalendar::system());

QString widgetLocationTitle(const WeatherWidgetEntry& entry);
int widgetAlertCount(const WeatherWidgetEntry& entry);

// The entry's hours from the first one at or after the start of the entry's hour, and its days from the
// entry's local day: an entry hours ahead of the forecast's making shows what is still to come, not the hours
// that will have passed by then.
QList<WeatherSample> entryHourly(const WeatherWidgetEntry& entry,
                                 const LocalCalendar& calendar = LocalCalendar::system());
QList<DailyForecast> entryDaily(const WeatherWidgetEntry& entry,
                                const LocalCalendar& calendar = LocalCalendar::system());

} // namespace nimbra
