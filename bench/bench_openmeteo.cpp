// Reading a 16-day hourly Open-Meteo answer (384 hours) into a forecast, against parsing its JSON alone.
#include "OpenMeteoWeatherClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace nimbra;

namespace {

const QDateTime kStart(QDate(2025, 6, 2), QTime(0, 0), Qt::UTC);
constexpr int kHours = 384;
constexpr int kDays = 16;

// Shaped like a real answer: every requested series, an offset, integers where Open-Meteo sends them and the
// odd null among the probabilities.
QByteArray document() {
    const int offset = 7200;
    const QDateTime local = kStart.addSecs(offset);
    QJsonArray time, temperature, humidity, apparent, probability, precipitation, code, wind;
    for (int h = 0; h < kHours; ++h) {
        time.append(local.addSecs(qint64(h) * 3600).toString(QStringLiteral("yyyy-MM-ddTHH:mm")));
        temperature.append(std::round((18 + 6 * std::sin(h / 3.8)) * 10) / 10);
        humidity.append(55 + h % 30);
        apparent.append(std::round((17 + 6 * std::sin(h / 3.8)) * 10) / 10);
        probability.append(h % 37 == 5 ? QJsonValue() : QJsonValue(h * 7 % 100));
        precipitation.append(h % 9 == 0 ? 0.4 : 0.0);
        code.append(QList{0, 1, 2, 3, 61, 80}[h % 6]);
        wind.append(std::round((9 + h % 11 * 1.3) * 10) / 10);
    }
    QJsonArray days, dayCode, high, low, dayProbability, sunrise, sunset;
    for (int d = 0; d < kDays; ++d) {
        const QDate date = local.date().addDays(d);
        days.append(date.toString(Qt::ISODate));
        dayCode.append(QList{3, 61, 0, 2}[d % 4]);
        high.append(24.5 - d % 3);
        low.append(12.1 + d % 2);
        dayProbability.append(d * 13 % 100);
        sunrise.append(date.toString(Qt::ISODate) + QStringLiteral("T05:1") + QString::number(d % 10));
        sunset.append(date.toString(Qt::ISODate) + QStringLiteral("T21:4") + QString::number(d % 10));
    }
    const QJsonObject root{
        {"latitude", 52.52},
        {"longitude", 13.419998},
        {"generationtime_ms", 0.2},
        {"utc_offset_seconds", offset},
        {"timezone", "Europe/Berlin"},
        {"timezone_abbreviation", "CEST"},
        {"elevation", 38.0},
        {"current", QJsonObject{{"time", local.toString(QStringLiteral("yyyy-MM-ddTHH:mm"))},
                                {"interval", 900},
                                {"temperature_2m", 18.2},
                                {"relative_humidity_2m", 61},
                                {"apparent_temperature", 17.0},
                                {"precipitation", 0.0},
                                {"weather_code", 2},
                                {"cloud_cover", 40},
                                {"wind_speed_10m", 9.4}}},
        {"hourly", QJsonObject{{"time", time},
                               {"temperature_2m", temperature},
                               {"relative_humidity_2m", humidity},
                               {"apparent_temperature", apparent},
                               {"precipitation_probability", probability},
                               {"precipitation", precipitation},
                               {"weather_code", code},
                               {"wind_speed_10m", wind}}},
        {"daily", QJsonObject{{"time", days},
                              {"weather_code", dayCode},
                              {"temperature_2m_max", high},
                              {"temperature_2m_min", low},
                              {"precipitation_probability_max", dayProbability},
                              {"sunrise", sunrise},
                              {"sunset", sunset}}},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

const QByteArray& bytes() {
    static const QByteArray doc = document();
    return doc;
}

void BM_JsonParseOnly(benchmark::State& state) {
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(bytes());
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(state.iterations() * bytes().size());
}

// Every hour lies after `now`, so all 384 samples are built.
void BM_OpenMeteoForecastFromBody(benchmark::State& state) {
    WeatherLocation location;
    location.latitude = 52.52;
    location.longitude = 13.41;
    const LocalCalendar calendar(QTimeZone("Europe/Berlin"), QLocale::c());
    std::size_t hours = 0;
    for (auto _ : state) {
        ProviderForecast forecast =
            OpenMeteoWeatherClient::forecastFromBody(bytes(), location, kStart, calendar);
        hours = forecast.hourly.size();
        benchmark::DoNotOptimize(forecast);
    }
    if (hours != kHours)
        state.SkipWithError("the document did not decode into every hour");
    state.SetBytesProcessed(state.iterations() * bytes().size());
}

// The answer's records alone, without building the forecast from them.
void BM_OpenMeteoDecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        Coded<OpenMeteoForecastResponse> response = decodeDocument<OpenMeteoForecastResponse>(bytes());
        benchmark::DoNotOptimize(response);
    }
}

} // namespace

BENCHMARK(BM_JsonParseOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenMeteoDecodeOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenMeteoForecastFromBody)->Unit(benchmark::kMicrosecond);

NIMBRA_BENCHMARK_MAIN()
