// A quit during the launch, over the large snapshot (LargeSnapshot.h) of 3, 20 and 190 places with its synced
// mirror beside it: the time from the quit until the store has finished (its writes on disk and flushed, its
// worker ended) and is gone, as AppDelegate's quit and the end of main() take it. The quit comes a little
// after the worker started on the tables, with nothing changed since the file was read, or after one setting
// changed. And a quit after a place was added once the launch had settled, while that change is being saved.
#include "BenchSupport.h"
#include "InMemoryKeychain.h"
#include "LargeSnapshot.h"
#include "UbiquitousKeyValueStore.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace nimbra;

namespace {

// Into the worker's decode of the tables.
constexpr int kQuitAfterMs = int(WeatherStore::launchRestDelay.count()) + 50;

struct Files {
    explicit Files(int places) {
        const CachedWeatherPayload payload = benchdata::largeSnapshot(places);
        if (WeatherCache(file).save(payload) || !LocationSyncStore(mirrorStore()).save(payload))
            std::abort();
    }
    // The files as the application leaves them: one whole launch (which takes in the mirror's places) first.
    void settle() const;
    std::shared_ptr<UbiquitousKeyValueStore> mirrorStore() const {
        return std::make_shared<UbiquitousKeyValueStoreFile>(dir.filePath(QStringLiteral("mirror.json")));
    }
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("snapshot.json"));
};

std::unique_ptr<WeatherStore> launch(const Files& files) {
    auto credentials = std::make_shared<WeatherProviderCredentialStore>(
        std::make_shared<InMemoryUserDefaults>(), std::make_shared<InMemoryKeychain>());
    return std::make_unique<WeatherStore>(std::make_shared<WeatherCache>(files.file),
                                          std::make_shared<LocationSyncStore>(files.mirrorStore()), nullptr,
                                          credentials);
}

void Files::settle() const {
    launch(*this)->flushSaves();
}

void turnFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Arguments: the places, and whether a setting changed before the quit.
void BM_QuitDuringLaunch(benchmark::State& state) {
    const Files files(int(state.range(0)));
    files.settle();
    const bool change = state.range(1) != 0;
    for (auto _ : state) {
        auto store = launch(files);
        turnFor(kQuitAfterMs);
        if (change)
            store->updateSettings([](WeatherSettings& s) { s.refreshIntervalMinutes ^= 1; });
        QElapsedTimer quit;
        quit.start();
        store->close();
        store.reset();
        state.SetIterationTime(double(quit.nsecsElapsed()) / 1e9);
        // The next launch reads a file that settled.
        turnFor(50);
    }
}

// Both the file and the mirror list the place.
bool keep(const Files& files, const QUuid& id) {
    const auto listed = [&](const QList<WeatherLocation>& places) {
        return std::any_of(places.cbegin(), places.cend(),
                           [&](const WeatherLocation& l) { return l.id == id; });
    };
    const auto mirrored = LocationSyncStore(files.mirrorStore()).loadPlaces();
    return listed(WeatherCache(files.file).loadSelected().locations) && mirrored &&
           listed(mirrored->locations);
}

// Arguments: the places. A place is added (as the settings' search adds one) to a store whose launch has
// settled, and the quit comes while the writer is at that change.
void BM_QuitAfterChange(benchmark::State& state) {
    const Files files(int(state.range(0)));
    files.settle();
    int added = 0;
    for (auto _ : state) {
        auto store = launch(files);
        store->flushSaves();
        turnFor(100);
        // Each run adds another place: one repeating a listed place would only select it.
        const WeatherLocation place{QUuid::createUuid(),
                                    QStringLiteral("Added %1").arg(++added),
                                    QStringLiteral("Region"),
                                    -33.9 - added,
                                    151.2,
                                    false,
                                    false,
                                    {}};
        store->addLocation(place);
        turnFor(10);
        QElapsedTimer quit;
        quit.start();
        store->close();
        store.reset();
        state.SetIterationTime(double(quit.nsecsElapsed()) / 1e9);
        // The change must have been kept, in the file and in the mirror.
        if (!keep(files, place.id))
            std::abort();
    }
}

} // namespace

BENCHMARK(BM_QuitAfterChange)
    ->Arg(190)
    ->ArgName("places")
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_QuitDuringLaunch)
    ->ArgsProduct({{3, 20, 190}, {0, 1}})
    ->ArgNames({"places", "changed"})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

NIMBRA_BENCHMARK_MAIN()
