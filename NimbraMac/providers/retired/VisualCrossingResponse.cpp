#include "VisualCrossingResponse.h"

#include "ProviderJson.h"

namespace nimbra {

VisualCrossingPoint VisualCrossingPoint::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"VisualCrossingPoint");
    return {
        json::readDouble(o, u"datetimeEpoch"),     json::readDouble(o, u"temp"),
        json::readOptionalDouble(o, u"feelslike"), json::readOptionalDouble(o, u"humidity"),
        json::readOptionalDouble(o, u"windspeed"), json::readOptionalDouble(o, u"precipprob"),
        json::readOptionalDouble(o, u"precip"),    json::readOptionalString(o, u"conditions"),
        json::readOptionalString(o, u"icon"),
    };
}

VisualCrossingDay VisualCrossingDay::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"VisualCrossingDay");
    return {
        json::readOptionalString(o, u"datetime"),
        json::readDouble(o, u"datetimeEpoch"),
        json::readDouble(o, u"tempmax"),
        json::readDouble(o, u"tempmin"),
        json::readOptionalDouble(o, u"precipprob"),
        json::readOptionalString(o, u"conditions"),
        json::readOptionalString(o, u"icon"),
        json::readOptionalArray<VisualCrossingPoint>(o, u"hours", VisualCrossingPoint::fromJson),
    };
}

VisualCrossingAlert VisualCrossingAlert::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"VisualCrossingAlert");
    return {
        json::readOptionalString(o, u"event"),       json::readOptionalString(o, u"headline"),
        json::readOptionalString(o, u"description"), json::readOptionalString(o, u"severity"),
        json::readOptionalDouble(o, u"onsetEpoch"),  json::readOptionalDouble(o, u"endsEpoch"),
    };
}

VisualCrossingResponse VisualCrossingResponse::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"VisualCrossingResponse");
    return {
        json::readOptionalDouble(o, u"tzoffset"),
        json::readOptionalRecord<VisualCrossingPoint>(o, u"currentConditions"),
        json::readArray<VisualCrossingDay>(o, u"days", VisualCrossingDay::fromJson),
        json::readOptionalArray<VisualCrossingAlert>(o, u"alerts", VisualCrossingAlert::fromJson),
    };
}

} // namespace nimbra
