#pragma once

#include "JsonCodec.h"

#include <QList>

#include <optional>

namespace nimbra {

// WeatherAPI.com's forecast answer as the client reads it: °C, km/h, mm, percentages 0-100, Unix seconds.

struct WeatherAPICondition {
    std::optional<QString> text;
    std::optional<int> code;

    bool operator==(const WeatherAPICondition&) const = default;
    static WeatherAPICondition fromJson(const QJsonValue& value);
};

struct WeatherAPIDay {
    double maxtempC = 0;
    double mintempC = 0;
    std::optional<int> dailyChanceOfRain;
    WeatherAPICondition condition;

    bool operator==(const WeatherAPIDay&) const = default;
    static WeatherAPIDay fromJson(const QJsonValue& value);
};

struct WeatherAPIHour {
    double timeEpoch = 0;
    double tempC = 0;
    std::optional<double> feelslikeC;
    std::optional<int> humidity;
    std::optional<double> windKph;
    std::optional<double> precipMm;
    std::optional<int> chanceOfRain;
    WeatherAPICondition condition;

    bool operator==(const WeatherAPIHour&) const = default;
    static WeatherAPIHour fromJson(const QJsonValue& value);
};

struct WeatherAPIForecastDay {
    // The local calendar date, "yyyy-MM-dd"; date_epoch is that date's midnight in UTC, not in the place's
    // zone.
    std::optional<QString> date;
    double dateEpoch = 0;
    WeatherAPIDay day;
    QList<WeatherAPIHour> hour;

    bool operator==(const WeatherAPIForecastDay&) const = default;
    static WeatherAPIForecastDay fromJson(const QJsonValue& value);
};

struct WeatherAPICurrent {
    double lastUpdatedEpoch = 0;
    double tempC = 0;
    std::optional<double> feelslikeC;
    std::optional<int> humidity;
    std::optional<double> windKph;
    double precipMm = 0;
    WeatherAPICondition condition;

    bool operator==(const WeatherAPICurrent&) const = default;
    static WeatherAPICurrent fromJson(const QJsonValue& value);
};

struct WeatherAPIAlert {
    std::optional<QString> headline;
    std::optional<QString> event;
    std::optional<QString> severity;
    std::optional<QString> effective;
    std::optional<QString> expires;
    std::optional<QString> desc;
    std::optional<QString> instruction;

    bool operator==(const WeatherAPIAlert&) const = default;
    static WeatherAPIAlert fromJson(const QJsonValue& value);
};

struct WeatherAPIResponse {
    std::optional<WeatherAPICurrent> current;
    QList<WeatherAPIForecastDay> forecastday;
    // Present when the answer had an "alerts" object.
    std::optional<QList<WeatherAPIAlert>> alerts;

    static WeatherAPIResponse fromJson(const QJsonValue& value);
};

} // namespace nimbra
