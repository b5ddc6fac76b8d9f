#include "WidgetRegistry.h"

namespace nimbra {

const QList<WidgetDescriptor>& widgetDescriptors() {
    using enum WidgetFamily;
    static const QList<WidgetDescriptor> descriptors{
        {QStringLiteral("NimbraCurrentWidget"),
         QStringLiteral("Current Weather"),
         QStringLiteral("A polished current forecast with consensus details."),
         {systemSmall, systemMedium, systemLarge},
         {}},
        {QStringLiteral("NimbraHourlyWidget"),
         QStringLiteral("Hourly Outlook"),
         QStringLiteral("A compact view of the next several hours."),
         {systemMedium, systemLarge},
         {}},
        {QStringLiteral("NimbraTenDayWidget"),
         QStringLiteral("Ten Day Forecast"),
         QStringLiteral("Daily conditions, low and high temperatures, and rain chance."),
         {systemMedium, systemLarge},
         {}},
    };
    return descriptors;
}

const WidgetDescriptor* widgetDescriptor(const QString& kind) {
    for (const WidgetDescriptor& descriptor : widgetDescriptors()) {
        if (descriptor.kind == kind)
            return &descriptor;
    }
    return nullptr;
}

QStringList widgetKinds() {
    QStringList kinds;
    for (const WidgetDescriptor& descriptor : widgetDescriptors())
        kinds.append(descriptor.kind);
    return kinds;
}

} // namespace nimbra
