#include "WeatherAPIResponse.h"

#include "ProviderJson.h"

namespace nimbra {

WeatherAPICondition WeatherAPICondition::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"condition");
    return {json::readOptionalString(o, u"text"), json::readOptionalInt(o, u"code")};
}

WeatherAPIDay WeatherAPIDay::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"day");
    return {
        json::readDouble(o, u"maxtemp_c"),
        json::readDouble(o, u"mintemp_c"),
        json::readOptionalInt(o, u"daily_chance_of_rain"),
        WeatherAPICondition::fromJson(json::required(o, u"condition")),
    };
}

WeatherAPIHour WeatherAPIHour::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"hour");
    return {
        json::readDouble(o, u"time_epoch"),
        json::readDouble(o, u"temp_c"),
        json::readOptionalDouble(o, u"feelslike_c"),
        json::readOptionalInt(o, u"humidity"),
        json::readOptionalDouble(o, u"wind_kph"),
        json::readOptionalDouble(o, u"precip_mm"),
        json::readOptionalInt(o, u"chance_of_rain"),
        WeatherAPICondition::fromJson(json::required(o, u"condition")),
    };
}

WeatherAPIForecastDay WeatherAPIForecastDay::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"forecastday");
    return {
        json::readOptionalString(o, u"date"),
        json::readDouble(o, u"date_epoch"),
        WeatherAPIDay::fromJson(json::required(o, u"day")),
        json::readArray<WeatherAPIHour>(o, u"hour", WeatherAPIHour::fromJson),
    };
}

WeatherAPICurrent WeatherAPICurrent::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"current");
    return {
        json::readDouble(o, u"last_updated_epoch"),
        json::readDouble(o, u"temp_c"),
        json::readOptionalDouble(o, u"feelslike_c"),
        json::readOptionalInt(o, u"humidity"),
        json::readOptionalDouble(o, u"wind_kph"),
        json::readDouble(o, u"precip_mm"),
        WeatherAPICondition::fromJson(json::required(o, u"condition")),
    };
}

WeatherAPIAlert WeatherAPIAlert::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"alert");
    const auto text = [&o](QStringView key) { return json::readOptionalString(o, key); };
    return {text(u"headline"), text(u"event"), text(u"severity"),   text(u"effective"),
            text(u"expires"),  text(u"desc"),  text(u"instruction")};
}

WeatherAPIResponse WeatherAPIResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"WeatherAPIResponse");
    const QJsonObject forecast = json::asObject(json::required(o, u"forecast"), u"forecast");
    std::optional<QList<WeatherAPIAlert>> alerts;
    if (const auto a = json::optional(o, u"alerts"))
        alerts = json::readArray<WeatherAPIAlert>(json::asObject(*a, u"alerts"), u"alert",
                                                  WeatherAPIAlert::fromJson);
    return {
        json::readOptionalRecord<WeatherAPICurrent>(o, u"current"),
        json::readArray<WeatherAPIForecastDay>(forecast, u"forecastday", WeatherAPIForecastDay::fromJson),
        alerts,
    };
}

} // namespace nimbra
