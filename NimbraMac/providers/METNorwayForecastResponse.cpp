#include "METNorwayForecastResponse.h"

#include "ProviderJson.h"

#include <QJsonArray>
#include <QJsonObject>

namespace nimbra {
namespace {

QJsonObject objectAt(const QJsonObject& o, QStringView key) {
    return json::asObject(json::required(o, key), key);
}

} // namespace

METNorwayDetails METNorwayDetails::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"details");
    return {
        json::readDouble(o, u"air_temperature"),
        json::readOptionalDouble(o, u"cloud_area_fraction"),
        json::readOptionalDouble(o, u"relative_humidity"),
        json::readOptionalDouble(o, u"wind_speed"),
    };
}

METNorwayPeriod METNorwayPeriod::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"period");
    std::optional<double> amount;
    if (const auto details = json::optional(o, u"details"))
        amount = json::readOptionalDouble(json::asObject(*details, u"details"), u"precipitation_amount");
    return {json::readString(objectAt(o, u"summary"), u"symbol_code"), amount};
}

METNorwayTimePoint METNorwayTimePoint::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"timeseries");
    const QJsonObject data = objectAt(o, u"data");
    return {
        json::readString(o, u"time"),
        METNorwayDetails::fromJson(json::required(objectAt(data, u"instant"), u"details")),
        json::readOptionalRecord<METNorwayPeriod>(data, u"next_1_hours"),
        json::readOptionalRecord<METNorwayPeriod>(data, u"next_6_hours"),
        json::readOptionalRecord<METNorwayPeriod>(data, u"next_12_hours"),
    };
}

METNorwayForecastResponse METNorwayForecastResponse::fromJson(const QJsonValue& value) {
    const QJsonObject properties = objectAt(json::asObject(value, u"forecast"), u"properties");
    const QJsonArray series = json::asArray(json::required(properties, u"timeseries"), u"timeseries");
    METNorwayForecastResponse out{json::readString(objectAt(properties, u"meta"), u"updated_at"), {}};
    out.timeseries.reserve(series.size());
    for (qsizetype i = 0; i < series.size(); ++i) {
        try {
            out.timeseries.append(METNorwayTimePoint::fromJson(series.at(i)));
        } catch (const DecodingError& e) {
            throw DecodingError(QStringLiteral("timeseries[%1]: %2").arg(i).arg(e.message()));
        }
    }
    return out;
}

} // namespace nimbra
