// Persisting and loading a large snapshot: 20 places, each with a consensus and five provider forecasts of
// 240 hours and 10 days. Loading is compared with parsing the same bytes into a QJsonDocument alone.
#include "BenchSupport.h"
#include "WeatherCache.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace nimbra;

namespace {

const QDateTime kStart(QDate(2025, 6, 2), QTime(10, 0), Qt::UTC);
constexpr WeatherProviderKind kKinds[] = {WeatherProviderKind::openMeteo, WeatherProviderKind::metNorway,
                                          WeatherProviderKind::openWeather, WeatherProviderKind::tomorrowIO,
                                          WeatherProviderKind::weatherKit};

WeatherSample sample(int hour, int salt) {
    WeatherSample s;
    s.date = kStart.addSecs(qint64(hour) * 3600);
    s.temperatureC = 18.3 + 4.1 * std::sin(hour / 3.7 + salt);
    s.apparentTemperatureC = s.temperatureC - 0.7;
    s.humidity = 0.61 + 0.003 * (hour % 11);
    s.windKph = 9.4 + (hour + salt) % 13;
    s.condition = (hour + salt) % 6 == 0 ? WeatherCondition::rain : WeatherCondition::partlyCloudy;
    s.precipitationProbability = 0.05 * ((hour + salt) % 9);
    if (s.condition == WeatherCondition::rain)
        s.precipitationIntensityMmPerHour = 0.8;
    return s;
}

QList<WeatherSample> hours(int salt) {
    QList<WeatherSample> out;
    for (int h = 0; h < 240; ++h)
        out.append(sample(h, salt));
    return out;
}

QList<DailyForecast> days(int salt) {
    QList<DailyForecast> out;
    for (int d = 0; d < 10; ++d) {
        const QDateTime day = kStart.addDays(d);
        out.append({day, 22.5 + salt % 3, 11.25, WeatherCondition::cloudy, 0.35, day.addSecs(-4 * 3600),
                    day.addSecs(9 * 3600)});
    }
    return out;
}

CachedWeatherPayload largeSnapshot() {
    CachedWeatherPayload payload;
    for (int i = 0; i < 20; ++i) {
        WeatherLocation l{QUuid::createUuid(),
                          QStringLiteral("Place %1").arg(i),
                          QStringLiteral("Region, Country"),
                          10.0 + i,
                          20.0 + i,
                          i == 0,
                          i == 0,
                          kStart};
        payload.locations.append(l);
        ConsensusForecast c;
        c.location = l;
        c.generatedAt = kStart;
        c.current = sample(0, i);
        c.hourly = hours(i);
        c.daily = days(i);
        c.providerCount = 5;
        c.confidence = 0.83;
        c.spread = ForecastSpread{1.4, 3.5, 0.2};
        c.nextPrecipitationSummary = QStringLiteral("Rain likely around 3 PM");
        c.attributionLine = QStringLiteral("Open-Meteo, MET Norway, OpenWeather, Tomorrow.io, Apple Weather");
        c.state = ConsensusState::ready;
        payload.forecasts.insert(l.id, c);
        QList<ProviderForecast> list;
        for (const WeatherProviderKind kind : kKinds) {
            ProviderForecast f;
            f.provider = kind;
            f.locationID = l.id;
            f.issuedAt = kStart;
            f.expiresAt = kStart.addSecs(3600);
            f.attribution = QStringLiteral("Weather data by ") + providers::displayName(kind);
            f.current = sample(0, i + int(kind));
            f.hourly = hours(i + int(kind));
            f.daily = days(i + int(kind));
            list.append(f);
        }
        payload.providerForecasts.insert(l.id, list);
    }
    payload.settings.menuBarLocationID = payload.locations.first().id;
    payload.selectedForecast = payload.forecasts.value(payload.locations.first().id);
    return payload;
}

const CachedWeatherPayload& snapshot() {
    static const CachedWeatherPayload payload = largeSnapshot();
    return payload;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString snapshotPath() {
    return folder().filePath(QStringLiteral("Nimbra/weather-widget-cache-v3.json"));
}

QByteArray snapshotBytes() {
    static const QByteArray bytes = *snapshot().encoded();
    return bytes;
}

void BM_SnapshotEncode(benchmark::State& state) {
    snapshotBytes(); // builds the snapshot outside the timed loop
    for (auto _ : state) {
        auto bytes = snapshot().encoded();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(snapshotBytes().size());
}

// The record-to-JSON-tree half of encoding, without the serialisation of the tree to bytes.
void BM_SnapshotJsonTree(benchmark::State& state) {
    snapshotBytes();
    for (auto _ : state) {
        auto tree = snapshot().toJson();
        benchmark::DoNotOptimize(tree);
    }
}

void BM_SnapshotPersist(benchmark::State& state) {
    snapshotBytes();
    const WeatherCache cache(snapshotPath());
    for (auto _ : state) {
        if (cache.save(snapshot()))
            state.SkipWithError("save failed");
    }
    state.counters["file_bytes"] = double(QFile(snapshotPath()).size());
}

void BM_SnapshotLoad(benchmark::State& state) {
    const WeatherCache cache(snapshotPath());
    if (cache.save(snapshot()))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        auto reading = cache.read();
        if (reading.status != WeatherCacheReading::Status::loaded)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(reading);
    }
}

void BM_SnapshotDecode(benchmark::State& state) {
    const QByteArray bytes = snapshotBytes();
    for (auto _ : state) {
        auto decoded = CachedWeatherPayload::decode(bytes);
        benchmark::DoNotOptimize(decoded);
    }
}

void BM_QJsonDocumentFromJson(benchmark::State& state) {
    const QByteArray bytes = snapshotBytes();
    for (auto _ : state) {
        auto document = QJsonDocument::fromJson(bytes);
        benchmark::DoNotOptimize(document);
    }
}

template <typename Work> double medianMilliseconds(Work work, int runs = 15) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
}

} // namespace

BENCHMARK(BM_SnapshotEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotJsonTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotPersist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QJsonDocumentFromJson)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::runBenchmarks(argc, argv);

    // The goal: loading the file costs at most 2.5 times what parsing its bytes alone costs.
    const WeatherCache cache(snapshotPath());
    if (cache.save(snapshot()))
        return 1;
    const QByteArray bytes = snapshotBytes();
    const double load = medianMilliseconds([&] { benchmark::DoNotOptimize(cache.read()); });
    const double parse =
        medianMilliseconds([&] { benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes)); });
    std::printf(
        "snapshot file %.1f MiB; load %.1f ms, QJsonDocument::fromJson %.1f ms, ratio %.2f (goal <= 2.5)\n",
        double(bytes.size()) / (1024 * 1024), load, parse, load / parse);
    return 0;
}
