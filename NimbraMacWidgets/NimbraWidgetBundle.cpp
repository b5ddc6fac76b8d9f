#include "NimbraWidgetBundle.h"

#include "WeatherWidgetViews.h"

namespace nimbra {
namespace {

template <typename View> WidgetRootView rootView() {
    return [](const WeatherWidgetEntry& entry, WidgetFamily family, QWidget* parent) -> QWidget* {
        return new View(entry, family, parent);
    };
}

} // namespace

const QList<WidgetDescriptor>& NimbraWidgetBundle::widgets() {
    using enum WidgetFamily;
    static const QList<WidgetDescriptor> descriptors{
        {QStringLiteral("NimbraCurrentWidget"),
         QStringLiteral("Current Weather"),
         QStringLiteral("A polished current forecast with consensus details."),
         {systemSmall, systemMedium, systemLarge},
         rootView<CurrentWeatherWidgetView>()},
        {QStringLiteral("NimbraHourlyWidget"),
         QStringLiteral("Hourly Outlook"),
         QStringLiteral("A compact view of the next several hours."),
         {systemMedium, systemLarge},
         rootView<HourlyWeatherWidgetView>()},
        {QStringLiteral("NimbraTenDayWidget"),
         QStringLiteral("Ten Day Forecast"),
         QStringLiteral("Daily conditions, low and high temperatures, and rain chance."),
         {systemMedium, systemLarge},
         rootView<TenDayWeatherWidgetView>()},
    };
    return descriptors;
}

const WidgetDescriptor* NimbraWidgetBundle::widget(const QString& kind) {
    for (const WidgetDescriptor& descriptor : widgets()) {
        if (descriptor.kind == kind)
            return &descriptor;
    }
    return nullptr;
}

QStringList NimbraWidgetBundle::kinds() {
    QStringList kinds;
    for (const WidgetDescriptor& descriptor : widgets())
        kinds.append(descriptor.kind);
    return kinds;
}

} // namespace nimbra
