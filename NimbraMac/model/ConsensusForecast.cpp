#include "ConsensusForecast.h"

namespace nimbra {

QJsonObject ConsensusForecast::toJson() const {
    QJsonObject o{
        {"location", location.toJson()},
        {"generatedAt", json::dateText(generatedAt)},
        {"hourly", json::array(hourly, [](const WeatherSample& s) { return s.toJson(); })},
        {"daily", json::array(daily, [](const DailyForecast& d) { return d.toJson(); })},
        {"alerts", json::array(alerts, [](const WeatherAlert& a) { return a.toJson(); })},
        {"providerCount", providerCount},
        {"confidence", json::number(confidence, u"confidence")},
        {"nextPrecipitationSummary", nextPrecipitationSummary},
        {"attributionLine", attributionLine},
        {"state", rawValue(state)},
    };
    if (current)
        o.insert(QStringLiteral("current"), current->toJson());
    if (spread)
        o.insert(QStringLiteral("spread"), spread->toJson());
    return o;
}

ConsensusForecast ConsensusForecast::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"ConsensusForecast");
    const auto current = json::optional(o, u"current");
    const auto spread = json::optional(o, u"spread");
    return {
        WeatherLocation::fromJson(json::required(o, u"location")),
        json::readDate(o, u"generatedAt"),
        current ? std::optional(WeatherSample::fromJson(*current)) : std::nullopt,
        json::readArray<WeatherSample>(o, u"hourly", WeatherSample::fromJson),
        json::readArray<DailyForecast>(o, u"daily", DailyForecast::fromJson),
        json::readArray<WeatherAlert>(o, u"alerts", WeatherAlert::fromJson),
        json::readInt(o, u"providerCount"),
        json::readDouble(o, u"confidence"),
        spread ? std::optional(ForecastSpread::fromJson(*spread)) : std::nullopt,
        json::readString(o, u"nextPrecipitationSummary"),
        json::readString(o, u"attributionLine"),
        readEnum<ConsensusState>(o, u"state"),
    };
}

} // namespace nimbra
