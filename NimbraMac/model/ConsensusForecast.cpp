#include "ConsensusForecast.h"

namespace nimbra {

QJsonObject ConsensusForecast::toJson() const {
    // Keys in sorted order, each added at the end (see putOptional).
    QJsonObject o;
    o.insert(QLatin1StringView("alerts"),
             json::array(alerts, [](const WeatherAlert& a) { return a.toJson(); }));
    o.insert(QLatin1StringView("attributionLine"), attributionLine);
    o.insert(QLatin1StringView("confidence"), json::number(confidence, u"confidence"));
    if (current)
        o.insert(QLatin1StringView("current"), current->toJson());
    o.insert(QLatin1StringView("daily"),
             json::array(daily, [](const DailyForecast& d) { return d.toJson(); }));
    o.insert(QLatin1StringView("generatedAt"), json::dateText(generatedAt));
    o.insert(QLatin1StringView("hourly"),
             json::array(hourly, [](const WeatherSample& s) { return s.toJson(); }));
    o.insert(QLatin1StringView("location"), location.toJson());
    o.insert(QLatin1StringView("nextPrecipitationSummary"), nextPrecipitationSummary);
    o.insert(QLatin1StringView("providerCount"), providerCount);
    if (spread)
        o.insert(QLatin1StringView("spread"), spread->toJson());
    o.insert(QLatin1StringView("state"), rawValueView(state));
    return o;
}

void ConsensusForecast::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.array(QLatin1StringView("alerts"), alerts,
              [](JsonWriter& w, const WeatherAlert& a) { a.writeJson(w); });
    out.field(QLatin1StringView("attributionLine"), QStringView(attributionLine));
    out.field(QLatin1StringView("confidence"), confidence);
    if (current) {
        out.key(QLatin1StringView("current"));
        current->writeJson(out);
    }
    out.array(QLatin1StringView("daily"), daily,
              [](JsonWriter& w, const DailyForecast& d) { d.writeJson(w); });
    out.field(QLatin1StringView("generatedAt"), generatedAt);
    out.array(QLatin1StringView("hourly"), hourly,
              [](JsonWriter& w, const WeatherSample& s) { s.writeJson(w); });
    out.key(QLatin1StringView("location"));
    location.writeJson(out);
    out.field(QLatin1StringView("nextPrecipitationSummary"), QStringView(nextPrecipitationSummary));
    out.key(QLatin1StringView("providerCount"));
    out.integer(providerCount);
    if (spread) {
        // Small and once per forecast: its tree costs nothing worth a second writer.
        out.key(QLatin1StringView("spread"));
        out.object(spread->toJson());
    }
    out.field(QLatin1StringView("state"), rawValueView(state));
    out.endObject();
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
