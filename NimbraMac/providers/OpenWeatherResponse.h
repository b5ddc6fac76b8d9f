#pragma once

#include "JsonCodec.h"

#include <QList>

#include <optional>

namespace nimbra {

// OpenWeather's answers as the client reads them: One Call 4.0 timelines and the free 2.5 API. Metric units
// are requested, so temperatures are °C and wind speeds m/s; times are Unix seconds.

struct OpenWeatherCondition {
    int id = 0;

    bool operator==(const OpenWeatherCondition&) const = default;
    static OpenWeatherCondition fromJson(const QJsonValue& value);
};

// Only the last hour's amount: the free forecast's "3h" amounts are not an intensity.
struct OpenWeatherPrecipitation {
    std::optional<double> lastHour;

    bool operator==(const OpenWeatherPrecipitation&) const = default;
    static OpenWeatherPrecipitation fromJson(const QJsonValue& value);
};

struct OpenWeatherPoint {
    double dt = 0;
    double temp = 0;
    std::optional<double> feelsLike;
    std::optional<int> humidity;
    std::optional<double> windSpeed;
    QList<OpenWeatherCondition> weather;
    std::optional<double> pop;
    std::optional<OpenWeatherPrecipitation> rain;
    std::optional<OpenWeatherPrecipitation> snow;

    bool operator==(const OpenWeatherPoint&) const = default;
    static OpenWeatherPoint fromJson(const QJsonValue& value);
};

struct OpenWeatherDayTemperature {
    double min = 0;
    double max = 0;

    bool operator==(const OpenWeatherDayTemperature&) const = default;
};

// The daily shape of One Call 4.0 is not settled ("temp" as a number or as an object), so every member but
// "dt" is read tolerantly: whatever does not fit is left out and the rest of the day still counts.
struct OpenWeatherDay {
    double dt = 0;
    std::optional<double> temperatureC;
    std::optional<OpenWeatherDayTemperature> temperatureRange;
    std::optional<double> tempMin;
    std::optional<double> tempMax;
    QList<OpenWeatherCondition> weather;
    std::optional<double> pop;
    std::optional<double> sunrise;
    std::optional<double> sunset;

    bool operator==(const OpenWeatherDay&) const = default;
    static OpenWeatherDay fromJson(const QJsonValue& value);
};

template <typename Element> struct OpenWeatherTimelineResponse {
    QList<Element> data;

    static OpenWeatherTimelineResponse fromJson(const QJsonValue& value) {
        const QJsonObject o = json::asObject(value, u"OpenWeatherTimelineResponse");
        return {json::readArray<Element>(o, u"data", Element::fromJson)};
    }
};

struct OpenWeatherFreeMain {
    double temp = 0;
    std::optional<double> feelsLike;
    std::optional<double> tempMin;
    std::optional<double> tempMax;
    std::optional<int> humidity;

    bool operator==(const OpenWeatherFreeMain&) const = default;
    static OpenWeatherFreeMain fromJson(const QJsonValue& value);
};

struct OpenWeatherFreeWind {
    std::optional<double> speed;

    bool operator==(const OpenWeatherFreeWind&) const = default;
    static OpenWeatherFreeWind fromJson(const QJsonValue& value);
};

struct OpenWeatherFreeCurrentResponse {
    double dt = 0;
    OpenWeatherFreeMain main;
    std::optional<OpenWeatherFreeWind> wind;
    QList<OpenWeatherCondition> weather;
    std::optional<OpenWeatherPrecipitation> rain;
    std::optional<OpenWeatherPrecipitation> snow;

    static OpenWeatherFreeCurrentResponse fromJson(const QJsonValue& value);
};

struct OpenWeatherFreeForecastPoint {
    double dt = 0;
    OpenWeatherFreeMain main;
    std::optional<OpenWeatherFreeWind> wind;
    QList<OpenWeatherCondition> weather;
    std::optional<double> pop;
    std::optional<OpenWeatherPrecipitation> rain;
    std::optional<OpenWeatherPrecipitation> snow;

    static OpenWeatherFreeForecastPoint fromJson(const QJsonValue& value);
};

struct OpenWeatherFreeForecastResponse {
    QList<OpenWeatherFreeForecastPoint> list;

    static OpenWeatherFreeForecastResponse fromJson(const QJsonValue& value);
};

// What both roads (One Call 4.0 and the free API) end in. Neither road asks for alerts, so there are none.
struct OpenWeatherResponse {
    std::optional<OpenWeatherPoint> current;
    std::optional<QList<OpenWeatherPoint>> hourly;
    std::optional<QList<OpenWeatherDay>> daily;
};

} // namespace nimbra
