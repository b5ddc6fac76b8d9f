#include "WeatherSample.h"

namespace nimbra {

QJsonObject WeatherSample::toJson() const {
    // Keys in sorted order, each added at the end (see putOptional).
    QJsonObject o;
    json::putOptional(o, QLatin1StringView("apparentTemperatureC"), apparentTemperatureC);
    o.insert(QLatin1StringView("condition"), rawValueView(condition));
    o.insert(QLatin1StringView("date"), json::dateText(date));
    json::putOptional(o, QLatin1StringView("humidity"), humidity);
    json::putOptional(o, QLatin1StringView("precipitationIntensityMmPerHour"),
                      precipitationIntensityMmPerHour);
    json::putOptional(o, QLatin1StringView("precipitationProbability"), precipitationProbability);
    o.insert(QLatin1StringView("temperatureC"), json::number(temperatureC, u"temperatureC"));
    json::putOptional(o, QLatin1StringView("windKph"), windKph);
    return o;
}

void WeatherSample::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.optionalField(QLatin1StringView("apparentTemperatureC"), apparentTemperatureC);
    out.field(QLatin1StringView("condition"), rawValueView(condition));
    out.field(QLatin1StringView("date"), date);
    out.optionalField(QLatin1StringView("humidity"), humidity);
    out.optionalField(QLatin1StringView("precipitationIntensityMmPerHour"), precipitationIntensityMmPerHour);
    out.optionalField(QLatin1StringView("precipitationProbability"), precipitationProbability);
    out.field(QLatin1StringView("temperatureC"), temperatureC);
    out.optionalField(QLatin1StringView("windKph"), windKph);
    out.endObject();
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
