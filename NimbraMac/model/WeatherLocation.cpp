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
