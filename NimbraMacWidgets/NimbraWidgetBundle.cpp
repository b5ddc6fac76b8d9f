#include "NimbraWidgetBundle.h"

#include "WeatherWidgetViews.h"

#include <QCoreApplication>

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
    // Built on first use, which comes after the host has loaded its translation.
    static const QList<WidgetDescriptor> descriptors{
        {QStringLiteral("NimbraCurrentWidget"),
         QCoreApplication::translate("NimbraWidgetBundle", "Current Weather"),
         QCoreApplication::translate("NimbraWidgetBundle",
                                     "A polished current forecast with consensus details."),
         {systemSmall, systemMedium, systemLarge},
         rootView<CurrentWeatherWidgetView>()},
        {QStringLiteral("NimbraHourlyWidget"),
         QCoreApplication::translate("NimbraWidgetBundle", "Hourly Outlook"),
         QCoreApplication::translate("NimbraWidgetBundle", "A compact view of the next several hours."),
         {systemMedium, systemLarge},
         rootView<HourlyWeatherWidgetView>()},
        {QStringLiteral("NimbraTenDayWidget"),
         QCoreApplication::translate("NimbraWidgetBundle", "Ten Day Forecast"),
         QCoreApplication::translate("NimbraWidgetBundle",
                                     "Daily conditions, low and high temperatures, and rain chance."),
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
