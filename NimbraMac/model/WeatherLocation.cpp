#include "WeatherLocation.h"

#include "JsonCodec.h"
#include "UUIDText.h"

namespace nimbra {

QJsonObject WeatherLocation::toJson() const {
    return {
        {"id", uuidText(id)},
        {"name", name},
        {"subtitle", subtitle},
        {"latitude", json::number(latitude, u"latitude")},
        {"longitude", json::number(longitude, u"longitude")},
        {"isCurrentLocation", isCurrentLocation},
        {"allowsApproximateLocation", allowsApproximateLocation},
        {"updatedAt", json::dateText(updatedAt)},
    };
}

void WeatherLocation::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.field(QLatin1StringView("allowsApproximateLocation"), allowsApproximateLocation);
    out.field(QLatin1StringView("id"), id);
    out.field(QLatin1StringView("isCurrentLocation"), isCurrentLocation);
    out.field(QLatin1StringView("latitude"), latitude);
    out.field(QLatin1StringView("longitude"), longitude);
    out.field(QLatin1StringView("name"), QStringView(name));
    out.field(QLatin1StringView("subtitle"), QStringView(subtitle));
    out.field(QLatin1StringView("updatedAt"), updatedAt);
    out.endObject();
}

WeatherLocation WeatherLocation::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"WeatherLocation");
    return {
        json::readUUID(o, u"id"),
        json::readString(o, u"name"),
        json::readString(o, u"subtitle"),
        json::readDouble(o, u"latitude"),
        json::readDouble(o, u"longitude"),
        json::readBool(o, u"isCurrentLocation"),
        json::readBool(o, u"allowsApproximateLocation"),
        json::readDate(o, u"updatedAt"),
    };
}

} // namespace nimbra
