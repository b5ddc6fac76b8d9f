// The launch's share of loading the large snapshot (LargeSnapshot.h), against decoding it whole: what the
// GUI thread does before the tray is up (the file outlined and all but its forecast tables decoded, the
// mirror's places), and what is left for the worker (the tables).
#include "BenchSupport.h"
#include "JsonOutline.h"
#include "LargeSnapshot.h"
#include "LocationSyncStore.h"
#include "SnapshotOutline.h"
#include "UbiquitousKeyValueStore.h"
#include "WeatherCache.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace nimbra;
using nimbra::benchdata::largeSnapshot;

namespace {

QByteArray snapshotBytes() {
    static const QByteArray bytes = *largeSnapshot().encoded();
    return bytes;
}

struct Files {
    Files() {
        if (cache.save(largeSnapshot()) || !mirror.save(largeSnapshot()))
            std::abort();
    }
    QTemporaryDir dir;
    WeatherCache cache{dir.filePath(QStringLiteral("snapshot.json"))};
    LocationSyncStore mirror{
        std::make_shared<UbiquitousKeyValueStoreFile>(dir.filePath(QStringLiteral("mirror.json")))};
};

Files& files() {
    static Files f;
    return f;
}

void BM_ReadWhole(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(files().cache.read());
}

void BM_ReadLeading(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(files().cache.readLeading());
}

void BM_Outline(benchmark::State& state) {
    const QByteArray bytes = snapshotBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(JsonOutline::of(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_Tables(benchmark::State& state) {
    const auto outline = SnapshotOutline::of(snapshotBytes());
    for (auto _ : state)
        benchmark::DoNotOptimize(outline->tables());
}

// A fresh mirror store each time: it keeps what it read.
void BM_MirrorPlaces(benchmark::State& state) {
    const QString path = files().dir.filePath(QStringLiteral("mirror.json"));
    for (auto _ : state) {
        const LocationSyncStore mirror(std::make_shared<UbiquitousKeyValueStoreFile>(path));
        benchmark::DoNotOptimize(mirror.loadPlaces());
    }
}

} // namespace

BENCHMARK(BM_ReadWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLeading)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Outline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MirrorPlaces)->Unit(benchmark::kMillisecond);

NIMBRA_BENCHMARK_MAIN()
