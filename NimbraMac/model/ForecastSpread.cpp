#include "ForecastSpread.h"

#include "JsonCodec.h"

namespace nimbra {

QJsonObject ForecastSpread::toJson() const {
    QJsonObject o{{"temperatureC", json::number(temperatureC, u"temperatureC")}};
    json::putOptional(o, QStringLiteral("windKph"), windKph);
    json::putOptional(o, QStringLiteral("precipitationProbability"), precipitationProbability);
    return o;
}

ForecastSpread ForecastSpread::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"ForecastSpread");
    return {
        json::readDouble(o, u"temperatureC"),
        json::readOptionalDouble(o, u"windKph"),
        json::readOptionalDouble(o, u"precipitationProbability"),
    };
}

} // namespace nimbra
