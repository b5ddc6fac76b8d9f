#include "WeatherCondition.h"

#include <QCoreApplication>

namespace nimbra::conditions {

QList<WeatherCondition> allCases() {
    QList<WeatherCondition> out;
    for (std::size_t i = 0; i < EnumNames<WeatherCondition>::rawValues.size(); ++i)
        out.append(static_cast<WeatherCondition>(i));
    return out;
}

QString title(WeatherCondition condition) {
    static constexpr std::array<const char*, 13> titles = {
        QT_TRANSLATE_NOOP("WeatherCondition", "Clear"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Mostly Clear"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Partly Cloudy"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Cloudy"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Fog"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Drizzle"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Rain"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Heavy Rain"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Thunderstorm"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Snow"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Sleet"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Windy"),
        QT_TRANSLATE_NOOP("WeatherCondition", "Unknown")};
    return QCoreApplication::translate("WeatherCondition", titles[static_cast<std::size_t>(condition)]);
}

QString symbolName(WeatherCondition condition) {
    static constexpr std::array<const char*, 13> symbols = {
        "sun.max.fill",         "sun.min.fill",       "cloud.sun.fill",   "cloud.fill",
        "cloud.fog.fill",       "cloud.drizzle.fill", "cloud.rain.fill",  "cloud.heavyrain.fill",
        "cloud.bolt.rain.fill", "cloud.snow.fill",    "cloud.sleet.fill", "wind",
        "questionmark.circle"};
    return QLatin1String(symbols[static_cast<std::size_t>(condition)]);
}

} // namespace nimbra::conditions
