#include "WeatherSettings.h"

#include "UUIDText.h"

#include <algorithm>

namespace nimbra {
namespace {

template <typename T, typename Read> T readOr(const QJsonObject& o, QStringView key, T fallback, Read read) {
    const auto value = json::optional(o, key);
    return value ? read(*value, key) : fallback;
}

bool readBoolOr(const QJsonObject& o, QStringView key, bool fallback) {
    return readOr(o, key, fallback, json::asBool);
}

// Names this build does not know (from a newer version, or edited by hand) are dropped like retired ones, so
// one foreign value never costs the user every other setting.
ProviderSet readProviders(const QJsonObject& o) {
    const auto value = json::optional(o, u"enabledProviders");
    if (!value)
        return providers::liveSet();
    ProviderSet kinds;
    for (const QJsonValue& element : json::asArray(*value, u"enabledProviders")) {
        if (const auto kind = fromRawValue<WeatherProviderKind>(json::asString(element, u"enabledProviders")))
            kinds.insert(*kind);
    }
    return kinds.intersect(providers::liveSet());
}

} // namespace

QJsonObject WeatherSettings::toJson() const {
    QJsonArray kinds;
    for (const WeatherProviderKind kind : providers::sortedByRawValue(enabledProviders))
        kinds.append(rawValue(kind));
    QJsonObject o{
        {"temperatureUnit", rawValue(temperatureUnit)},
        {"windSpeedUnit", rawValue(windSpeedUnit)},
        {"showConditionInMenuBar", showConditionInMenuBar},
        {"showConfidenceInMenuBar", showConfidenceInMenuBar},
        {"menuBarFontSize", json::number(menuBarFontSize, u"menuBarFontSize")},
        {"menuBarIconSize", json::number(menuBarIconSize, u"menuBarIconSize")},
        {"refreshIntervalMinutes", refreshIntervalMinutes},
        {"enabledProviders", kinds},
        {"showAlerts", showAlerts},
        {"showTwelveHourTrendGraph", showTwelveHourTrendGraph},
        {"showHourlyForecastCards", showHourlyForecastCards},
        {"useICloudSync", useICloudSync},
    };
    if (menuBarLocationID)
        o.insert(QStringLiteral("menuBarLocationID"), uuidText(*menuBarLocationID));
    return o;
}

WeatherSettings WeatherSettings::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"WeatherSettings");
    const WeatherSettings d;
    WeatherSettings s;
    s.temperatureUnit = readOr(o, u"temperatureUnit", d.temperatureUnit, enumFromJson<TemperatureUnit>);
    s.windSpeedUnit = readOr(o, u"windSpeedUnit", d.windSpeedUnit, enumFromJson<WindSpeedUnit>);
    if (const auto id = json::optional(o, u"menuBarLocationID"))
        s.menuBarLocationID = json::asUUID(*id, u"menuBarLocationID");
    s.showConditionInMenuBar = readBoolOr(o, u"showConditionInMenuBar", d.showConditionInMenuBar);
    s.showConfidenceInMenuBar = readBoolOr(o, u"showConfidenceInMenuBar", d.showConfidenceInMenuBar);
    s.menuBarFontSize = readOr(o, u"menuBarFontSize", d.menuBarFontSize, json::asDouble);
    s.menuBarIconSize = readOr(o, u"menuBarIconSize", d.menuBarIconSize, json::asDouble);
    s.refreshIntervalMinutes = readOr(o, u"refreshIntervalMinutes", d.refreshIntervalMinutes, json::asInt);
    s.enabledProviders = readProviders(o);
    s.showAlerts = readBoolOr(o, u"showAlerts", d.showAlerts);
    s.showTwelveHourTrendGraph = readBoolOr(o, u"showTwelveHourTrendGraph", d.showTwelveHourTrendGraph);
    s.showHourlyForecastCards = readBoolOr(o, u"showHourlyForecastCards", d.showHourlyForecastCards);
    s.useICloudSync = readBoolOr(o, u"useICloudSync", d.useICloudSync);
    return s;
}

size_t qHash(const WeatherSettings& s, size_t seed) noexcept {
    // Adding 0.0 turns a negative zero into zero, so equal sizes hash alike.
    seed = qHashMulti(seed, rawValue(s.temperatureUnit), rawValue(s.windSpeedUnit),
                      s.menuBarLocationID.has_value(), s.menuBarLocationID.value_or(QUuid()),
                      s.showConditionInMenuBar, s.showConfidenceInMenuBar, s.menuBarFontSize + 0.0,
                      s.menuBarIconSize + 0.0, s.refreshIntervalMinutes);
    seed = qHashMulti(seed, qHashRangeCommutative(s.enabledProviders.begin(), s.enabledProviders.end()));
    return qHashMulti(seed, s.showAlerts, s.showTwelveHourTrendGraph, s.showHourlyForecastCards,
                      s.useICloudSync);
}

int effectiveRefreshIntervalMinutes(int storedMinutes) {
    return std::clamp(storedMinutes, 15, 1440);
}

} // namespace nimbra
