#include "DailyForecast.h"

namespace nimbra {

QJsonObject DailyForecast::toJson() const {
    // Keys in sorted order, each added at the end (see putOptional).
    QJsonObject o;
    o.insert(QLatin1StringView("condition"), rawValueView(condition));
    o.insert(QLatin1StringView("date"), json::dateText(date));
    o.insert(QLatin1StringView("highC"), json::number(highC, u"highC"));
    o.insert(QLatin1StringView("lowC"), json::number(lowC, u"lowC"));
    json::putOptional(o, QLatin1StringView("precipitationProbability"), precipitationProbability);
    json::putOptional(o, QLatin1StringView("sunrise"), sunrise);
    json::putOptional(o, QLatin1StringView("sunset"), sunset);
    return o;
}

void DailyForecast::writeJson(JsonWriter& out) const {
    out.beginObject();
    out.field(QLatin1StringView("condition"), rawValueView(condition));
    out.field(QLatin1StringView("date"), date);
    out.field(QLatin1StringView("highC"), highC);
    out.field(QLatin1StringView("lowC"), lowC);
    out.optionalField(QLatin1StringView("precipitationProbability"), precipitationProbability);
    out.optionalField(QLatin1StringView("sunrise"), sunrise);
    out.optionalField(QLatin1StringView("sunset"), sunset);
    out.endObject();
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
