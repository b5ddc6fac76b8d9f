#include "ProviderTextMapping.h"

#include <QStringList>

#include <array>
#include <utility>

namespace nimbra {

namespace {

// First hit wins, so the order matters: "wind" before "partly", "snow" before "rain".
constexpr std::array<std::pair<const char*, WeatherCondition>, 23> kConditionWords{{
    {"thunder", WeatherCondition::thunderstorm},
    {"storm", WeatherCondition::thunderstorm},
    {"sleet", WeatherCondition::sleet},
    {"hail", WeatherCondition::sleet},
    {"wintry", WeatherCondition::sleet},
    {"snow", WeatherCondition::snow},
    {"flurr", WeatherCondition::snow},
    {"heavy-rain", WeatherCondition::heavyRain},
    {"heavy rain", WeatherCondition::heavyRain},
    {"rain", WeatherCondition::rain},
    {"shower", WeatherCondition::rain},
    {"drizzle", WeatherCondition::drizzle},
    {"fog", WeatherCondition::fog},
    {"mist", WeatherCondition::fog},
    {"haze", WeatherCondition::fog},
    {"wind", WeatherCondition::windy},
    {"partly", WeatherCondition::partlyCloudy},
    {"mostly-cloudy", WeatherCondition::partlyCloudy},
    {"mostly cloudy", WeatherCondition::partlyCloudy},
    {"cloud", WeatherCondition::cloudy},
    {"overcast", WeatherCondition::cloudy},
    {"clear", WeatherCondition::clear},
    {"sun", WeatherCondition::clear},
}};

} // namespace

WeatherCondition conditionFromText(const QString& text) {
    const QString lower = text.toLower();
    for (const auto& [word, condition] : kConditionWords) {
        if (lower.contains(QLatin1String(word)))
            return condition;
    }
    return WeatherCondition::unknown;
}

WeatherCondition conditionFromTexts(const std::optional<QString>& first,
                                    const std::optional<QString>& second) {
    QStringList present;
    for (const auto* text : {&first, &second}) {
        if (*text)
            present.append(**text);
    }
    return conditionFromText(present.join(QLatin1Char(' ')));
}

WeatherAlertSeverity severityFromText(const std::optional<QString>& text) {
    const QString lower = text.value_or(QString()).toLower();
    if (lower.contains(QLatin1String("extreme")))
        return WeatherAlertSeverity::extreme;
    if (lower.contains(QLatin1String("severe")))
        return WeatherAlertSeverity::severe;
    if (lower.contains(QLatin1String("minor")))
        return WeatherAlertSeverity::minor;
    return WeatherAlertSeverity::moderate;
}

} // namespace nimbra
