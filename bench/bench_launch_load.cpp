// The launch's share of loading the large snapshot (LargeSnapshot.h), against decoding it whole: what the
// GUI thread does before the tray is up (the file outlined and all but its forecast tables decoded, the
// mirror's places), and what is left for the worker (the tables). BM_StoreLaunch times that wait whole, as
// main() has it (the file read ahead, then the store made), at 3, 20 and 190 places with the mirror beside,
// for a good file (file:0), for files that do not outline (1 garbage, 2 the last byte cut, 3 a number the
// strict reader leaves to a whole decode) and for none (4, a new computer: the places come from the mirror).
#include "BenchSupport.h"
#include "InMemoryKeychain.h"
#include "JsonOutline.h"
#include "LargeSnapshot.h"
#include "LocationSyncStore.h"
#include "SnapshotOutline.h"
#include "UbiquitousKeyValueStore.h"
#include "UserDefaults.h"
#include "WeatherCache.h"
#include "WeatherStore.h"

#include <QFile>

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

enum class FileKind { good, garbage, lastByteCut, hugeNumber, none };

QByteArray fileOf(const QByteArray& good, FileKind kind) {
    switch (kind) {
    case FileKind::good:
        return good;
    case FileKind::garbage:
        return "{ not json";
    case FileKind::lastByteCut:
        return good.chopped(1);
    case FileKind::hugeNumber:
        return QByteArray(good).replace("\"settings\":{", "\"settings\":{\"x\":1e305,");
    case FileKind::none:
        return {};
    }
    return good;
}

// Arguments: the places, and the FileKind.
void BM_StoreLaunch(benchmark::State& state) {
    const CachedWeatherPayload payload = benchdata::largeSnapshot(int(state.range(0)));
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("snapshot.json"));
    const auto mirror =
        std::make_shared<UbiquitousKeyValueStoreFile>(dir.filePath(QStringLiteral("mirror.json")));
    if (!LocationSyncStore(mirror).save(payload))
        std::abort();
    const QByteArray bytes = fileOf(*payload.encoded(), FileKind(state.range(1)));
    for (auto _ : state) {
        QFile file(path);
        if (FileKind(state.range(1)) == FileKind::none)
            file.remove();
        else if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
        file.close();
        auto credentials = std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), std::make_shared<InMemoryKeychain>());
        WeatherStoreEnvironment environment;
        QElapsedTimer wait;
        wait.start();
        environment.launchReading = std::make_shared<SnapshotReadAhead>(std::make_shared<WeatherCache>(path));
        auto store = std::make_unique<WeatherStore>(std::make_shared<WeatherCache>(path),
                                                    std::make_shared<LocationSyncStore>(mirror), nullptr,
                                                    credentials, environment);
        state.SetIterationTime(double(wait.nsecsElapsed()) / 1e9);
        store->flushSaves();
        store.reset();
    }
}

} // namespace

BENCHMARK(BM_StoreLaunch)
    ->ArgsProduct({{3, 20, 190}, {0, 1, 2, 3, 4}})
    ->ArgNames({"places", "file"})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLeading)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Outline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tables)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MirrorPlaces)->Unit(benchmark::kMillisecond);

NIMBRA_BENCHMARK_MAIN()
