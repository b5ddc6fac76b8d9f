#pragma once

#include "LocalCalendar.h"
#include "ViewTokens.h"
#include "WeatherWidgetProvider.h"

#include <QString>

namespace nimbra {

// One labelled reading of the widgets. Its identity is its title, so a strip lists distinct titles only.
struct WidgetContextMetric {
    QString title;
    QString value;
    QString symbol;
    ColorToken tint;

    const QString& id() const { return title; }
    bool operator==(const WidgetContextMetric&) const = default;
};

// The next sunrise or sunset of the entry's days at or after `now` (the moment the widget is drawn, not the
// entry's date); "Sun" / "--" when there is none.
WidgetContextMetric sunEventMetric(const WeatherWidgetEntry& entry, const QDateTime& now,
                                   const LocalCalendar& calendar = LocalCalendar::system());

} // namespace nimbra
