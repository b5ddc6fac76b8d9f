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
    const json::MemberIndex m(o, {u"apparentTemperatureC", u"condition", u"date", u"humidity",
                                  u"precipitationIntensityMmPerHour", u"precipitationProbability",
                                  u"temperatureC", u"windKph"});
    // Read in this order, so that of two faults the same one is reported as by the lookups by key.
    return {
        m.readDate(u"date"),
        m.readDouble(u"temperatureC"),
        m.readOptionalDouble(u"apparentTemperatureC"),
        m.readOptionalDouble(u"humidity"),
        m.readOptionalDouble(u"windKph"),
        enumFromText<WeatherCondition>(m.readString(u"condition"), u"condition"),
        m.readOptionalDouble(u"precipitationProbability"),
        m.readOptionalDouble(u"precipitationIntensityMmPerHour"),
    };
}

} // namespace nimbra
