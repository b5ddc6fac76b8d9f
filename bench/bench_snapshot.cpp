// Persisting and loading the large snapshot (LargeSnapshot.h). Loading is compared with parsing the same
// bytes into a QJsonDocument alone.
#include "BenchSupport.h"
#include "LargeSnapshot.h"
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
