#include "WidgetLayouts.h"

#include <QCoreApplication>

namespace nimbra {

CurrentWidgetParameters currentWidgetParameters(WidgetFamily family) {
    switch (family) {
    case WidgetFamily::systemSmall:
        return {CurrentWidgetLayout::small, {18, 18}, 6, 0, 0};
    case WidgetFamily::systemLarge:
        return {CurrentWidgetLayout::large, {20, 22}, 9, 5, 2};
    case WidgetFamily::systemMedium:
        break;
    }
    return {CurrentWidgetLayout::medium, {20, 17}, 13, 0, 0};
}

HourlyWidgetParameters hourlyWidgetParameters(WidgetFamily family) {
    const QString subtitle = QCoreApplication::translate("WidgetLayouts", "Next hours");
    if (family == WidgetFamily::systemLarge)
        return {{14, 20}, 18, subtitle, {{0, 6, true}, {6, 6, true}}};
    return {{14, 14}, 9, subtitle, {{0, 5, false}}};
}

TenDayWidgetParameters tenDayWidgetParameters(WidgetFamily family) {
    if (family == WidgetFamily::systemMedium)
        return {{16, 12}, 5, false, true, QString()};
    return {{22, 18}, 10, true, false, QCoreApplication::translate("WidgetLayouts", "Ten day forecast")};
}

} // namespace nimbra
