#include "WidgetContextMetric.h"

#include "HeroViewModel.h"
#include "WeatherFormatting.h"

#include <QCoreApplication>

namespace nimbra {

WidgetContextMetric sunEventMetric(const WeatherWidgetEntry& entry, const QDateTime& now,
                                   const LocalCalendar& calendar) {
    const ColorToken yellow = ColorToken::of(Tint::yellow);
    const auto event = entry.forecast ? nextSunEvent(entry.forecast->daily, now) : std::nullopt;
    if (!event)
        return {QCoreApplication::translate("WidgetContextMetric", "Sun"), QStringLiteral("--"),
                QStringLiteral("sunrise.fill"), yellow};
    const bool sunrise = event->title == QCoreApplication::translate("HeroViewModel", "Sunrise");
    return {event->title, WeatherFormatting::compactTime(event->date, calendar),
            sunrise ? QStringLiteral("sunrise.fill") : QStringLiteral("sunset.fill"), yellow};
}

} // namespace nimbra
