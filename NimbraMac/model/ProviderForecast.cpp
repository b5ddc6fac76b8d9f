#include "ProviderForecast.h"

#include "UUIDText.h"

namespace nimbra {

QString ProviderForecast::id() const {
    return rawValue(provider) + u'-' + uuidText(locationID);
}

ForecastFreshness ProviderForecast::freshness(const QDateTime& now) const {
    if (errorMessage)
        return ForecastFreshness::failed;
    return expiresAt < now ? ForecastFreshness::stale : ForecastFreshness::fresh;
}

QJsonObject ProviderForecast::toJson() const {
    // Keys in sorted order, each added at the end (see putOptional).
    QJsonObject o;
    o.insert(QLatin1StringView("alerts"),
             json::array(alerts, [](const WeatherAlert& a) { return a.toJson(); }));
    o.insert(QLatin1StringView("attribution"), attribution);
    if (current)
        o.insert(QLatin1StringView("current"), current->toJson());
    o.insert(QLatin1StringView("daily"),
             json::array(daily, [](const DailyForecast& d) { return d.toJson(); }));
    json::putOptional(o, QStringLiteral("errorMessage"), errorMessage);
    o.insert(QLatin1StringView("expiresAt"), json::dateText(expiresAt));
    o.insert(QLatin1StringView("hourly"),
             json::array(hourly, [](const WeatherSample& s) { return s.toJson(); }));
    o.insert(QLatin1StringView("issuedAt"), json::dateText(issuedAt));
    o.insert(QLatin1StringView("locationID"), uuidText(locationID));
    o.insert(QLatin1StringView("provider"), rawValueView(provider));
    return o;
}

void ProviderForecast::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.array(QLatin1StringView("alerts"), alerts,
              [](JsonWriter& w, const WeatherAlert& a) { a.writeJson(w); });
    out.field(QLatin1StringView("attribution"), QStringView(attribution));
    if (current) {
        out.key(QLatin1StringView("current"));
        current->writeJson(out);
    }
    out.array(QLatin1StringView("daily"), daily,
              [](JsonWriter& w, const DailyForecast& d) { d.writeJson(w); });
    out.optionalField(QLatin1StringView("errorMessage"), errorMessage);
    out.field(QLatin1StringView("expiresAt"), expiresAt);
    out.array(QLatin1StringView("hourly"), hourly,
              [](JsonWriter& w, const WeatherSample& s) { s.writeJson(w); });
    out.field(QLatin1StringView("issuedAt"), issuedAt);
    out.field(QLatin1StringView("locationID"), locationID);
    out.field(QLatin1StringView("provider"), rawValueView(provider));
    out.endObject();
}

ProviderForecast ProviderForecast::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"ProviderForecast");
    const auto current = json::optional(o, u"current");
    return {
        readEnum<WeatherProviderKind>(o, u"provider"),
        json::readUUID(o, u"locationID"),
        json::readDate(o, u"issuedAt"),
        json::readDate(o, u"expiresAt"),
        json::readString(o, u"attribution"),
        current ? std::optional(WeatherSample::fromJson(*current)) : std::nullopt,
        json::readArray<WeatherSample>(o, u"hourly", WeatherSample::fromJson),
        json::readArray<DailyForecast>(o, u"daily", DailyForecast::fromJson),
        json::readArray<WeatherAlert>(o, u"alerts", WeatherAlert::fromJson),
        json::readOptionalString(o, u"errorMessage"),
    };
}

} // namespace nimbra
