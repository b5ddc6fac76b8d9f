#include "DailyForecast.h"

namespace nimbra {

QJsonObject DailyForecast::toJson() const {
    QJsonObject o{
        {"date", json::dateText(date)},
        {"highC", json::number(highC, u"highC")},
        {"lowC", json::number(lowC, u"lowC")},
        {"condition", rawValue(condition)},
    };
    json::putOptional(o, QStringLiteral("precipitationProbability"), precipitationProbability);
    json::putOptional(o, QStringLiteral("sunrise"), sunrise);
    json::putOptional(o, QStringLiteral("sunset"), sunset);
    return o;
}

DailyForecast DailyForecast::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"DailyForecast");
    return {
        json::readDate(o, u"date"),
        json::readDouble(o, u"highC"),
        json::readDouble(o, u"lowC"),
        readEnum<WeatherCondition>(o, u"condition"),
        json::readOptionalDouble(o, u"precipitationProbability"),
        json::readOptionalDate(o, u"sunrise"),
        json::readOptionalDate(o, u"sunset"),
    };
}

} // namespace nimbra
