#pragma once

#include "CachedWeatherPayload.h"
#include "Clock.h"
#include "ForecastMoves.h"
#include "LocationSyncStore.h"
#include "SnapshotEncoder.h"
#include "SnapshotOutline.h"
#include "WeatherCache.h"

#include <QObject>
#include <QSet>
#include <QUuid>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace nimbra {

// What a launch starts from, before any forecast table is decoded.
struct LaunchStart {
    // The snapshot file's leading part: its tables outlined when it is well-formed.
    WeatherCacheReading reading;
    // Its places and settings (merged with the mirror's when sync is on and the file is not well-formed),
    // tidied and normalised; its tables as read.
    CachedWeatherPayload places;
    // What becomes of the file's forecasts.
    ForecastMoves moves;
    // The places of an unreadable snapshot came back from the synced mirror.
    bool placesFromMirror = false;
};

// The part of a launch's snapshot that comes in after the launch: the forecast tables of a well-formed file
// (and the mirror's places when sync is on), or all of a file that does not outline or could not be read (its
// whole decode, the mirror's places), read on a worker, and what the store changed meanwhile, which wins over
// the file's entries. Lives on the store's thread; the store takes the rest in when restRead()
// comes, or at once when it must save, and then calls finish(). Its static part is what comes before: the
// file's leading part read and its places tidied (launchStart()).
class LaunchLoader : public QObject {
    Q_OBJECT
public:
    // What the worker reads.
    struct Rest {
        ForecastTables tables;
        std::optional<CachedWeatherPayload> mirrorPlaces;
        // Of a file that did not outline or could not be read: what launchStart() makes of it whole (its
        // reading decoded, the mirror read when sync is on); `tables` and `mirrorPlaces` are then empty.
        std::optional<LaunchStart> start;
    };
    // The store's entries that win over the file's, and the file's that stay as their bytes.
    struct EntriesAsRead {
        ForecastTables winners;
        FileEntries asRead;
    };

    // Tidies the places of the file's leading part, as read; the mirror is read only with sync on and beside
    // a file that is not well-formed (beside a well-formed one the worker reads it).
    static LaunchStart launchStart(WeatherCacheReading leading, LocationSyncStore& mirror,
                                   const Clock& clock);
    // The launch clean-up: sample places dropped, a current-location entry left at a sample coordinate
    // reset, a repeated id replaced, duplicates merged until no two are left (their selection carried to the
    // kept entry), and ids no listed place has cut; what becomes of the forecasts is recorded in `moves`.
    static CachedWeatherPayload tidiedPlaces(CachedWeatherPayload payload, ForecastMoves& moves,
                                             const Clock& clock);
    // tidiedPlaces(), normalised, and merged again where the normalising made a duplicate; `moves` ends with
    // a cut to the places it lists.
    static CachedWeatherPayload launchPlaces(CachedWeatherPayload payload, ForecastMoves& moves,
                                             const Clock& clock);
    // The built-in sample places of earlier versions (never a current-location entry).
    static bool isSamplePlace(const WeatherLocation& location);

    // `mirror` is read too when it is there (sync on); nothing else touches it until the rest is taken in.
    LaunchLoader(std::shared_ptr<const SnapshotOutline> outline, ForecastMoves moves,
                 std::shared_ptr<LocationSyncStore> mirror);
    // For a file that did not outline (`reading` undecoded) or could not be read: the worker does all of
    // launchStart() at the launch's time `now`, its mirror read included, and the store starts without them.
    LaunchLoader(WeatherCacheReading reading, std::shared_ptr<const WeatherCache> cache,
                 std::shared_ptr<LocationSyncStore> mirror, const QDateTime& now);
    // Stops the worker and waits for it.
    ~LaunchLoader() override;

    // Only for a well-formed file's load (none of a whole one).
    const SnapshotOutline& outline() const { return *m_outline; }
    const ForecastMoves& moves() const { return m_moves; }
    bool readsMirror() const { return m_mirror != nullptr; }
    // The launch's places are the worker's (a file decoded whole, or none): the store's are a stand-in.
    bool bringsPlaces() const { return !m_outline; }

    // Starts the worker after `delay`, unless the rest was taken or the load stopped meanwhile.
    void startLater(std::chrono::milliseconds delay);
    // What the worker read, waiting for it; read here when the worker has not started.
    Rest takeRest();
    // Nobody takes in the worker's result any more: it ends within a few places' decode, and restRead()
    // does not come.
    void stop();
    // The rest was taken in: finished() goes out, and the file's bytes go with the store's hold on the
    // loader, whoever still waits for finished().
    void finish();
    // For a store that goes without the rest: stops the worker, waits for it, and lets those waiting for the
    // load go on.
    void abandon();

    // What the store changed while the tables were loading.
    void noteForecastStored(const QUuid& id) { m_storedForecasts.insert(id); }
    void noteProviderListStored(const QUuid& id) { m_storedProviderLists.insert(id); }
    // A placeholder stands in only until the file's own entry for the place has loaded, if it has one.
    void noteStandIn(const QUuid& id);
    void noteSaveAsked() { m_saveAsked = true; }
    // A save was asked for meanwhile: the state differs from the file's.
    bool saveAsked() const { return m_saveAsked; }

    // The loaded tables with what changed meanwhile laid over them, of the `listed` places.
    ForecastTables overlaid(ForecastTables loaded, const ForecastTables& current,
                            const QSet<QUuid>& listed) const;
    // overlaid() with the file's entries left as their bytes; nothing when that cannot be told without
    // decoding (a file not outlined, a file without forecasts, a move that gave an entry to a place the file
    // has none for, keys with escapes).
    std::optional<EntriesAsRead> entriesAsRead(const ForecastTables& current,
                                               const QSet<QUuid>& listed) const;

Q_SIGNALS:
    // The worker is done; the rest is ready for takeRest().
    void restRead();
    // The load ended: its rest was taken in, or the store went without it.
    void finished();

private:
    // The tables of `outline`, and the places of `mirror` when there is one; nothing complete once `stop`
    // is set.
    static Rest restOf(const SnapshotOutline& outline, const LocationSyncStore* mirror,
                       const std::atomic<bool>& stop);
    void waitForWorker();

    ForecastMoves m_moves;
    std::shared_ptr<const SnapshotOutline> m_outline;
    std::shared_ptr<LocationSyncStore> m_mirror;
    // What the worker reads (and takeRest() reads when the worker has not started), until stopped.
    std::function<Rest(const std::atomic<bool>& stop)> m_read;
    std::future<Rest> m_rest;
    QSet<QUuid> m_storedForecasts;
    QSet<QUuid> m_storedProviderLists;
    // Places given a placeholder meanwhile; the file's entry replaces it.
    QSet<QUuid> m_standIns;
    bool m_saveAsked = false;
    bool m_taken = false;
    bool m_finished = false;
    // Set when nobody will take in the worker's result any more.
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
};

} // namespace nimbra
