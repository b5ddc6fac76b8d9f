// Persisting and loading the large snapshot (LargeSnapshot.h). Loading is compared with parsing the same
// bytes into a QJsonDocument alone.
#include "BenchSupport.h"
#include "LargeSnapshot.h"
#include "LocationSyncStore.h"
#include "SnapshotEncoder.h"
#include "SnapshotWriter.h"
#include "WeatherCache.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

using namespace nimbra;
using nimbra::benchdata::largeSnapshot;

namespace {

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

// The median processor time of this thread over several runs.
template <typename Work> double medianCpuMilliseconds(Work work, int runs = 15) {
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        work();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        times.append(double(end.tv_sec - start.tv_sec) * 1e3 + double(end.tv_nsec - start.tv_nsec) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[runs / 2];
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

// `places` places of the large snapshot's shape (each with its consensus and five provider forecasts).
CachedWeatherPayload snapshotOf(int places) {
    CachedWeatherPayload out = largeSnapshot();
    while (out.locations.size() < places) {
        const CachedWeatherPayload more = largeSnapshot();
        for (const WeatherLocation& l : more.locations) {
            if (out.locations.size() == places)
                break;
            out.locations.append(l);
            out.forecasts.insert(l.id, more.forecasts.value(l.id));
            out.providerForecasts.insert(l.id, more.providerForecasts.value(l.id));
        }
    }
    return out;
}

// A settings change as every earlier version saved it, on the GUI thread: the whole snapshot encoded, the
// file and the mirror written.
void BM_SettingsChangeSaveWhole(benchmark::State& state) {
    CachedWeatherPayload payload = snapshotOf(int(state.range(0)));
    QTemporaryDir dir;
    const WeatherCache cache(dir.filePath(QStringLiteral("snapshot.json")));
    const LocationSyncStore mirror(
        std::make_shared<UbiquitousKeyValueStoreFile>(dir.filePath(QStringLiteral("mirror.json"))));
    for (auto _ : state) {
        payload.settings.showAlerts = !payload.settings.showAlerts;
        QByteArray written;
        if (cache.save(payload, &written) || !mirror.saveEncoded(written))
            state.SkipWithError("save failed");
    }
}

// The same change through the store's writer. The GUI thread's share (a copy of the state handed over) is
// the benchmark's time; the writer's whole save (encoding what changed, the file and the mirror) is the
// "writer_ms" counter.
void BM_SettingsChangeSaveHandedOver(benchmark::State& state) {
    CachedWeatherPayload payload = snapshotOf(int(state.range(0)));
    QTemporaryDir dir;
    SnapshotWriter writer(std::make_shared<WeatherCache>(dir.filePath(QStringLiteral("snapshot.json"))),
                          std::make_shared<LocationSyncStore>(std::make_shared<UbiquitousKeyValueStoreFile>(
                              dir.filePath(QStringLiteral("mirror.json")))),
                          {});
    writer.submit(payload, true);
    writer.flush();
    double writerNanoseconds = 0;
    for (auto _ : state) {
        payload.settings.showAlerts = !payload.settings.showAlerts;
        QElapsedTimer timer;
        timer.start();
        writer.submit(CachedWeatherPayload(payload), true);
        const qint64 handedOver = timer.nsecsElapsed();
        writer.flush();
        writerNanoseconds += double(timer.nsecsElapsed() - handedOver);
        state.SetIterationTime(double(handedOver) / 1e9);
    }
    state.counters["writer_ms"] = writerNanoseconds / 1e6 / double(state.iterations());
}

// Encoding alone after a settings change: the whole snapshot, and the spliced one that keeps the JSON of
// every unchanged forecast.
void BM_SettingsChangeEncodeWhole(benchmark::State& state) {
    CachedWeatherPayload payload = snapshotOf(int(state.range(0)));
    for (auto _ : state) {
        payload.settings.showAlerts = !payload.settings.showAlerts;
        benchmark::DoNotOptimize(payload.encoded());
    }
}

void BM_SettingsChangeEncodeSpliced(benchmark::State& state) {
    CachedWeatherPayload payload = snapshotOf(int(state.range(0)));
    SnapshotEncoder encoder;
    encoder.encode(payload);
    for (auto _ : state) {
        payload.settings.showAlerts = !payload.settings.showAlerts;
        benchmark::DoNotOptimize(encoder.encode(payload));
    }
}

} // namespace

// Few iterations: a whole save at 190 places takes seconds, and the handed-over case times only its
// microseconds on the GUI thread, which would otherwise run it thousands of times.
BENCHMARK(BM_SettingsChangeSaveWhole)->Arg(20)->Arg(190)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsChangeSaveHandedOver)
    ->Arg(20)
    ->Arg(190)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SettingsChangeEncodeWhole)->Arg(20)->Arg(190)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsChangeEncodeSpliced)->Arg(20)->Arg(190)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotJsonTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotPersist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QJsonDocumentFromJson)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bench::runBenchmarks(argc, argv);

    // The goals: loading the file costs at most 1.5 times what parsing its bytes alone costs, and encoding
    // the snapshot no more than decoding it. On this thread's processor time, so that other programs on a
    // busy machine do not count.
    const WeatherCache cache(snapshotPath());
    if (cache.save(snapshot()))
        return 1;
    const QByteArray bytes = snapshotBytes();
    const double load = medianCpuMilliseconds([&] { benchmark::DoNotOptimize(cache.read()); });
    const double parse =
        medianCpuMilliseconds([&] { benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes)); });
    const double encode = medianCpuMilliseconds([&] { benchmark::DoNotOptimize(snapshot().encoded()); });
    const double decode =
        medianCpuMilliseconds([&] { benchmark::DoNotOptimize(CachedWeatherPayload::decode(bytes)); });
    std::printf(
        "snapshot file %.1f MiB; load %.1f ms, QJsonDocument::fromJson %.1f ms, ratio %.2f (goal <= 1.5)\n",
        double(bytes.size()) / (1024 * 1024), load, parse, load / parse);
    std::printf("encode %.1f ms, decode %.1f ms, ratio %.2f (goal <= 1.0)\n", encode, decode,
                encode / decode);
    return 0;
}
