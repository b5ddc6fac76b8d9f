#include "ProviderAccuracyScore.h"

namespace nimbra {

QJsonObject ProviderAccuracyScore::toJson() const {
    return {
        {"provider", rawValue(provider)},
        {"samples", samples},
        {"meanAbsoluteTemperatureErrorC",
         json::number(meanAbsoluteTemperatureErrorC, u"meanAbsoluteTemperatureErrorC")},
    };
}

ProviderAccuracyScore ProviderAccuracyScore::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"ProviderAccuracyScore");
    return {
        readEnum<WeatherProviderKind>(o, u"provider"),
        json::readInt(o, u"samples"),
        json::readDouble(o, u"meanAbsoluteTemperatureErrorC"),
    };
}

} // namespace nimbra
