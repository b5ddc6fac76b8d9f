#include "WeatherCondition.h"

namespace nimbra::conditions {

QList<WeatherCondition> allCases() {
    QList<WeatherCondition> out;
    for (std::size_t i = 0; i < EnumNames<WeatherCondition>::rawValues.size(); ++i)
        out.append(static_cast<WeatherCondition>(i));
    return out;
}

QString title(WeatherCondition condition) {
    static constexpr std::array<const char*, 13> titles = {
        "Clear",      "Mostly Clear", "Partly Cloudy", "Cloudy", "Fog",   "Drizzle", "Rain",
        "Heavy Rain", "Thunderstorm", "Snow",          "Sleet",  "Windy", "Unknown"};
    return QLatin1String(titles[static_cast<std::size_t>(condition)]);
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
