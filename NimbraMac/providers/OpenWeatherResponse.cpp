#include "OpenWeatherResponse.h"

#include "ProviderJson.h"

namespace nimbra {

OpenWeatherCondition OpenWeatherCondition::fromJson(const QJsonValue& value) {
    return {json::readInt(json::asObject(value, u"weather"), u"id")};
}

OpenWeatherPrecipitation OpenWeatherPrecipitation::fromJson(const QJsonValue& value) {
    return {json::readOptionalDouble(json::asObject(value, u"precipitation"), u"1h")};
}

OpenWeatherPoint OpenWeatherPoint::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"OpenWeatherPoint");
    return {
        json::readDouble(o, u"dt"),
        json::readDouble(o, u"temp"),
        json::readOptionalDouble(o, u"feels_like"),
        json::readOptionalInt(o, u"humidity"),
        json::readOptionalDouble(o, u"wind_speed"),
        json::readArray<OpenWeatherCondition>(o, u"weather", OpenWeatherCondition::fromJson),
        json::readOptionalDouble(o, u"pop"),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"rain"),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"snow"),
    };
}

OpenWeatherDay OpenWeatherDay::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"OpenWeatherDay");
    OpenWeatherDay day;
    day.dt = json::readDouble(o, u"dt");
    day.temperatureC = json::readTolerantDouble(o, u"temp");
    if (const QJsonValue temp = o.value(u"temp"); temp.isObject()) {
        const QJsonObject range = temp.toObject();
        const auto min = json::readTolerantDouble(range, u"min");
        const auto max = json::readTolerantDouble(range, u"max");
        if (min && max)
            day.temperatureRange = OpenWeatherDayTemperature{*min, *max};
    }
    day.tempMin = json::readTolerantDouble(o, u"temp_min");
    day.tempMax = json::readTolerantDouble(o, u"temp_max");
    try {
        day.weather = json::readArray<OpenWeatherCondition>(o, u"weather", OpenWeatherCondition::fromJson);
    } catch (const DecodingError&) {
        day.weather.clear();
    }
    day.pop = json::readTolerantDouble(o, u"pop");
    day.sunrise = json::readTolerantDouble(o, u"sunrise");
    day.sunset = json::readTolerantDouble(o, u"sunset");
    return day;
}

OpenWeatherFreeMain OpenWeatherFreeMain::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"main");
    return {
        json::readDouble(o, u"temp"),
        json::readOptionalDouble(o, u"feels_like"),
        json::readOptionalDouble(o, u"temp_min"),
        json::readOptionalDouble(o, u"temp_max"),
        json::readOptionalInt(o, u"humidity"),
    };
}

OpenWeatherFreeWind OpenWeatherFreeWind::fromJson(const QJsonValue& value) {
    return {json::readOptionalDouble(json::asObject(value, u"wind"), u"speed")};
}

OpenWeatherFreeCurrentResponse OpenWeatherFreeCurrentResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"OpenWeatherFreeCurrentResponse");
    return {
        json::readDouble(o, u"dt"),
        OpenWeatherFreeMain::fromJson(json::required(o, u"main")),
        json::readOptionalRecord<OpenWeatherFreeWind>(o, u"wind"),
        json::readArray<OpenWeatherCondition>(o, u"weather", OpenWeatherCondition::fromJson),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"rain"),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"snow"),
    };
}

OpenWeatherFreeForecastPoint OpenWeatherFreeForecastPoint::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"OpenWeatherFreeForecastPoint");
    return {
        json::readDouble(o, u"dt"),
        OpenWeatherFreeMain::fromJson(json::required(o, u"main")),
        json::readOptionalRecord<OpenWeatherFreeWind>(o, u"wind"),
        json::readArray<OpenWeatherCondition>(o, u"weather", OpenWeatherCondition::fromJson),
        json::readOptionalDouble(o, u"pop"),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"rain"),
        json::readOptionalRecord<OpenWeatherPrecipitation>(o, u"snow"),
    };
}

OpenWeatherFreeForecastResponse OpenWeatherFreeForecastResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"OpenWeatherFreeForecastResponse");
    return {
        json::readArray<OpenWeatherFreeForecastPoint>(o, u"list", OpenWeatherFreeForecastPoint::fromJson)};
}

} // namespace nimbra
