#include "WeatherSample.h"

namespace nimbra {

QJsonObject WeatherSample::toJson() const {
    QJsonObject o{
        {"date", json::dateText(date)},
        {"temperatureC", json::number(temperatureC, u"temperatureC")},
        {"condition", rawValue(condition)},
    };
    json::putOptional(o, QStringLiteral("apparentTemperatureC"), apparentTemperatureC);
    json::putOptional(o, QStringLiteral("humidity"), humidity);
    json::putOptional(o, QStringLiteral("windKph"), windKph);
    json::putOptional(o, QStringLiteral("precipitationProbability"), precipitationProbability);
    json::putOptional(o, QStringLiteral("precipitationIntensityMmPerHour"), precipitationIntensityMmPerHour);
    return o;
}

WeatherSample WeatherSample::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"WeatherSample");
    return {
        json::readDate(o, u"date"),
        json::readDouble(o, u"temperatureC"),
        json::readOptionalDouble(o, u"apparentTemperatureC"),
        json::readOptionalDouble(o, u"humidity"),
        json::readOptionalDouble(o, u"windKph"),
        readEnum<WeatherCondition>(o, u"condition"),
        json::readOptionalDouble(o, u"precipitationProbability"),
        json::readOptionalDouble(o, u"precipitationIntensityMmPerHour"),
    };
}

} // namespace nimbra
