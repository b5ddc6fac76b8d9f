#pragma once

#include <QDate>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace nimbra {

// Open-Meteo marks a missing reading with null, in single values and inside arrays alike: a null is an absent
// value for that one sample, never a broken document. A missing key or a value of the wrong kind still is.
template <typename T> using OpenMeteoSeries = QList<std::optional<T>>;

// A time on the location's wall clock, as Open-Meteo writes it ("yyyy-MM-ddTHH:mm", no offset): the seconds
// from 1970-01-01 00:00 on that same clock. Which instant it names depends on the location's zone.
struct OpenMeteoLocalTime {
    qint64 seconds = 0;

    bool operator==(const OpenMeteoLocalTime&) const = default;
    // Nothing for a text of another form or an impossible date or time.
    static std::optional<OpenMeteoLocalTime> parse(QStringView text);
};

// A day as Open-Meteo writes it ("yyyy-MM-dd").
std::optional<QDate> parseOpenMeteoDay(QStringView text);

// Time texts are read while decoding; one that does not parse is absent like a null, and leaves out only its
// own sample.
struct OpenMeteoCurrent {
    std::optional<OpenMeteoLocalTime> time;
    std::optional<double> temperature;
    std::optional<int> relativeHumidity;
    std::optional<double> apparentTemperature;
    std::optional<double> precipitation;
    std::optional<int> weatherCode;
    std::optional<int> cloudCover;
    std::optional<double> windSpeed;

    bool operator==(const OpenMeteoCurrent&) const = default;
    static OpenMeteoCurrent fromJson(const QJsonValue& value);
};

// Parallel arrays, one element per hour.
struct OpenMeteoHourly {
    OpenMeteoSeries<OpenMeteoLocalTime> time;
    OpenMeteoSeries<double> temperature;
    std::optional<OpenMeteoSeries<int>> relativeHumidity;
    std::optional<OpenMeteoSeries<double>> apparentTemperature;
    std::optional<OpenMeteoSeries<double>> precipitationProbability;
    std::optional<OpenMeteoSeries<double>> precipitation;
    OpenMeteoSeries<int> weatherCode;
    std::optional<OpenMeteoSeries<double>> windSpeed;

    bool operator==(const OpenMeteoHourly&) const = default;
    static OpenMeteoHourly fromJson(const QJsonValue& value);
};

// Parallel arrays, one element per day.
struct OpenMeteoDaily {
    OpenMeteoSeries<QDate> time;
    OpenMeteoSeries<int> weatherCode;
    OpenMeteoSeries<double> high;
    OpenMeteoSeries<double> low;
    std::optional<OpenMeteoSeries<double>> precipitationProbabilityMax;
    std::optional<OpenMeteoSeries<OpenMeteoLocalTime>> sunrise;
    std::optional<OpenMeteoSeries<OpenMeteoLocalTime>> sunset;

    bool operator==(const OpenMeteoDaily&) const = default;
    static OpenMeteoDaily fromJson(const QJsonValue& value);
};

struct OpenMeteoForecastResponse {
    // Offset of the location's time zone, which every time text of the answer is written in.
    std::optional<int> utcOffsetSeconds;
    // The zone's name ("Europe/Berlin"): its daylight-saving changes apply within the forecast window.
    std::optional<QString> timezone;
    std::optional<OpenMeteoCurrent> current;
    std::optional<OpenMeteoHourly> hourly;
    std::optional<OpenMeteoDaily> daily;

    bool operator==(const OpenMeteoForecastResponse&) const = default;
    static OpenMeteoForecastResponse fromJson(const QJsonValue& value);
};

} // namespace nimbra
