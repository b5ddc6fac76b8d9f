#include "TomorrowIOResponse.h"

#include "ProviderJson.h"

namespace nimbra {

TomorrowIOValues TomorrowIOValues::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"values");
    const auto number = [&o](QStringView key) { return json::readOptionalDouble(o, key); };
    return {
        number(u"temperature"),
        number(u"temperatureAvg"),
        number(u"temperatureMax"),
        number(u"temperatureMin"),
        number(u"temperatureApparent"),
        number(u"humidity"),
        number(u"windSpeed"),
        number(u"precipitationProbability"),
        number(u"precipitationProbabilityAvg"),
        number(u"precipitationProbabilityMax"),
        number(u"precipitationIntensity"),
        json::readOptionalInt(o, u"weatherCode"),
        json::readOptionalInt(o, u"weatherCodeMax"),
        number(u"rainIntensity"),
        number(u"snowIntensity"),
        number(u"sleetIntensity"),
        number(u"freezingRainIntensity"),
    };
}

TomorrowIOInterval TomorrowIOInterval::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"TomorrowIOInterval");
    return {json::readString(o, u"time"), TomorrowIOValues::fromJson(json::required(o, u"values"))};
}

TomorrowIOTimelines TomorrowIOTimelines::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"timelines");
    return {
        json::readOptionalArray<TomorrowIOInterval>(o, u"hourly", TomorrowIOInterval::fromJson),
        json::readOptionalArray<TomorrowIOInterval>(o, u"daily", TomorrowIOInterval::fromJson),
    };
}

TomorrowIOResponse TomorrowIOResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"TomorrowIOResponse");
    return {TomorrowIOTimelines::fromJson(json::required(o, u"timelines"))};
}

} // namespace nimbra
