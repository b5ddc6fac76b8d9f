#include "LaunchLoader.h"

#include "FreedMemory.h"
#include "LocationList.h"
#include "Log.h"

#include <QTimer>

#include <cmath>

namespace nimbra {
namespace {

struct SamplePlace {
    const char16_t* name;
    const char16_t* subtitle;
    double latitude;
    double longitude;
};

constexpr SamplePlace samplePlaces[] = {
    {u"London", u"United Kingdom", 51.5072, -0.1276},
    {u"Nairobi", u"Kenya", -1.2921, 36.8219},
    {u"New York", u"New York, United States", 40.7128, -74.006},
};

bool near(const WeatherLocation& l, double latitude, double longitude) {
    constexpr double tolerance = 0.0001;
    return std::abs(l.latitude - latitude) < tolerance && std::abs(l.longitude - longitude) < tolerance;
}

// A current-location entry that an earlier version filled with a sample city instead of a real fix.
bool holdsSampleCoordinate(const WeatherLocation& l) {
    const bool placeholderName = l.name == u"Current Location";
    return (placeholderName && near(l, 40.7128, -74.006)) ||
           ((placeholderName || l.name == u"Nairobi") && near(l, -1.2921, 36.8219));
}

// Merges duplicate places until no two are left; the kept entry takes the dropped one's selection, and
// `moves` hands it the dropped one's forecasts. One pass is not enough: the entry that took an earlier one's
// place may duplicate a later entry that the earlier one did not, and whichever pass merged that pair next
// would drop the later entry's forecasts.
void mergeDuplicates(CachedWeatherPayload& payload, ForecastMoves& moves) {
    for (;;) {
        const DeduplicatedLocations merged = deduplicatedLocations(payload.locations);
        if (merged.locations.size() == payload.locations.size())
            return;
        payload.locations = merged.locations;
        for (const auto& [dropped, kept] : merged.replacements) {
            if (payload.settings.menuBarLocationID == dropped)
                payload.settings.menuBarLocationID = kept;
            moves.carry(dropped, *std::find_if(payload.locations.cbegin(), payload.locations.cend(),
                                               [&](const WeatherLocation& l) { return l.id == kept; }));
        }
    }
}

// What a store changed while its tables were loading wins over what the file held: entries stored meanwhile,
// and stand-ins for places the file has no entry for.
bool currentWins(const QUuid& id, bool inFile, const QSet<QUuid>& stored, const QSet<QUuid>& standIns) {
    return stored.contains(id) || (standIns.contains(id) && !inFile);
}

template <typename Table>
Table overlaidTable(Table loaded, const Table& current, const QSet<QUuid>& stored,
                    const QSet<QUuid>& standIns, const QSet<QUuid>& listed) {
    for (auto it = current.cbegin(); it != current.cend(); ++it) {
        if (currentWins(it.key(), loaded.contains(it.key()), stored, standIns))
            loaded.insert(it.key(), it.value());
    }
    keepOnlyIDs(loaded, listed);
    return loaded;
}

// overlaidTable() with the file's entries left as their bytes: the store's entries that win, and in `asRead`
// the file's entries that stay.
template <typename Table>
Table winningEntries(const Table& current, QHash<QUuid, QByteArrayView>& asRead, const QSet<QUuid>& stored,
                     const QSet<QUuid>& standIns, const QSet<QUuid>& listed) {
    Table winners;
    for (auto it = current.cbegin(); it != current.cend(); ++it) {
        if (currentWins(it.key(), asRead.contains(it.key()), stored, standIns))
            winners.insert(it.key(), it.value());
    }
    keepOnlyIDs(winners, listed);
    asRead.removeIf(
        [&](const auto& entry) { return winners.contains(entry.key()) || !listed.contains(entry.key()); });
    return winners;
}

// The file's entries that `kept` (the same ids, moved as at launch) still has; false when a move gave an
// entry to a place the file has none for (its bytes name the place it came from).
template <typename Table> bool keepMoved(QHash<QUuid, QByteArrayView>& asRead, const Table& kept) {
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        if (!asRead.contains(it.key()))
            return false;
    }
    asRead.removeIf([&](const auto& entry) { return !kept.contains(entry.key()); });
    return true;
}

// Tables of empty entries under the ids of the entries as read: what the launch's moves are replayed on.
ForecastTables idsOnly(const FileEntries& asRead) {
    ForecastTables tables;
    for (auto it = asRead.forecasts.cbegin(); it != asRead.forecasts.cend(); ++it)
        tables.forecasts.insert(it.key(), {});
    for (auto it = asRead.providerForecasts.cbegin(); it != asRead.providerForecasts.cend(); ++it)
        tables.providerForecasts.insert(it.key(), {});
    return tables;
}

} // namespace

LaunchStart LaunchLoader::launchStart(WeatherCacheReading leading, LocationSyncStore& mirror,
                                      const Clock& clock) {
    LaunchStart start{std::move(leading), {}, {}, false};
    const WeatherCacheReading& reading = start.reading;
    // With sync off the mirror may hold places deleted since it was last written: it is not read at all then.
    // Beside a well-formed file it is read on the worker, and its places merged in when they change anything.
    std::optional<CachedWeatherPayload> remote;
    if (reading.payload.settings.useICloudSync && !reading.outline)
        remote = mirror.loadPlaces();
    start.placesFromMirror =
        reading.status == WeatherCacheReading::Status::unreadable && remote && !remote->locations.isEmpty();
    start.places = launchPlaces(LocationSyncStore::merge(reading.payload, remote), start.moves, clock);
    return start;
}

CachedWeatherPayload LaunchLoader::launchPlaces(CachedWeatherPayload payload, ForecastMoves& moves,
                                                const Clock& clock) {
    payload = tidiedPlaces(std::move(payload), moves, clock);
    payload.locations = normalizedLocations(payload.locations, clock.now());
    // The unresolved entry put first when there is none may duplicate a saved place; the next launch
    // would merge the two, so this one does.
    mergeDuplicates(payload, moves);
    moves.keepOnly(idsOf(payload.locations));
    return payload;
}

CachedWeatherPayload LaunchLoader::tidiedPlaces(CachedWeatherPayload payload, ForecastMoves& moves,
                                                const Clock& clock) {
    QList<WeatherLocation> kept;
    QSet<QUuid> seenIDs;
    for (WeatherLocation l : std::as_const(payload.locations)) {
        // Forecasts and deletes go by id: a place that reuses an earlier place's id (a file written
        // elsewhere) gets one of its own, so it neither shows nor takes the other's data.
        if (seenIDs.contains(l.id))
            l.id = QUuid::createUuid();
        seenIDs.insert(l.id);
        if (isSamplePlace(l))
            continue;
        if (l.isCurrentLocation && holdsSampleCoordinate(l))
            kept.append(unresolvedCurrentLocation(l.id, clock.now()));
        else
            kept.append(l);
    }

    payload.locations = kept;
    mergeDuplicates(payload, moves);
    // Forecasts of vanished places, and of ids no place ever had, would otherwise wait for the next pass.
    moves.keepOnly(idsOf(payload.locations));
    return payload;
}

bool LaunchLoader::isSamplePlace(const WeatherLocation& location) {
    if (location.isCurrentLocation)
        return false;
    for (const SamplePlace& sample : samplePlaces) {
        if (location.name == QStringView(sample.name) && location.subtitle == QStringView(sample.subtitle) &&
            near(location, sample.latitude, sample.longitude))
            return true;
    }
    return false;
}

LaunchLoader::LaunchLoader(std::shared_ptr<const SnapshotOutline> outline, ForecastMoves moves,
                           std::shared_ptr<LocationSyncStore> mirror)
    : m_moves(std::move(moves)), m_outline(std::move(outline)), m_mirror(std::move(mirror)),
      m_read([outline = m_outline, mirror = m_mirror](const std::atomic<bool>& stop) {
          return restOf(*outline, mirror.get(), stop);
      }) {}

LaunchLoader::LaunchLoader(WeatherCacheReading reading, std::shared_ptr<const WeatherCache> cache,
                           std::shared_ptr<LocationSyncStore> mirror, const QDateTime& now)
    : m_mirror(std::move(mirror)),
      m_read([reading = std::move(reading), cache = std::move(cache), mirror = m_mirror,
              clock = ManualClock(now)](const std::atomic<bool>&) {
          // A whole decode cannot stop midway; a store that quits meanwhile waits for it. The places it
          // adds carry the launch's moment.
          Rest rest;
          rest.start = launchStart(cache->decodedWhole(reading), *mirror, clock);
          releaseFreedMemorySoon();
          return rest;
      }) {}

LaunchLoader::~LaunchLoader() {
    stop();
    waitForWorker();
}

void LaunchLoader::waitForWorker() {
    if (m_rest.valid())
        m_rest.wait();
}

void LaunchLoader::startLater(std::chrono::milliseconds delay) {
    QTimer::singleShot(delay, this, [this] {
        if (m_taken || m_rest.valid() || m_stop->load())
            return;
        m_rest = std::async(std::launch::async, [this, read = m_read, stop = m_stop] {
            Rest rest = read(*stop);
            // Stopped, the loader waits for this to return (and nobody takes it in).
            if (!stop->load())
                QMetaObject::invokeMethod(this, &LaunchLoader::restRead, Qt::QueuedConnection);
            return rest;
        });
    });
}

LaunchLoader::Rest LaunchLoader::takeRest() {
    m_taken = true;
    return m_rest.valid() ? m_rest.get() : m_read(*m_stop);
}

LaunchLoader::Rest LaunchLoader::restOf(const SnapshotOutline& outline, const LocationSyncStore* mirror,
                                        const std::atomic<bool>& stop) {
    Rest rest;
    QStringList dropped;
    auto tables = outline.tables(stop, &dropped);
    if (!tables)
        return rest;
    rest.tables = std::move(*tables);
    for (const QString& entry : std::as_const(dropped))
        qCInfo(cacheLog, "Weather cache dropped unreadable entry %s", qUtf8Printable(entry));
    if (mirror && !stop.load())
        rest.mirrorPlaces = mirror->loadPlaces();
    // The decode's temporaries are several times the file.
    releaseFreedMemorySoon();
    return rest;
}

void LaunchLoader::stop() {
    m_stop->store(true);
}

void LaunchLoader::finish() {
    if (m_finished)
        return;
    m_finished = true;
    m_outline.reset();
    m_mirror.reset();
    m_read = nullptr;
    Q_EMIT finished();
}

void LaunchLoader::abandon() {
    stop();
    waitForWorker();
    finish();
}

void LaunchLoader::noteStandIn(const QUuid& id) {
    m_storedForecasts.remove(id);
    m_storedProviderLists.remove(id);
    m_standIns.insert(id);
}

ForecastTables LaunchLoader::overlaid(ForecastTables loaded, const ForecastTables& current,
                                      const QSet<QUuid>& listed) const {
    return {
        overlaidTable(std::move(loaded.forecasts), current.forecasts, m_storedForecasts, m_standIns, listed),
        overlaidTable(std::move(loaded.providerForecasts), current.providerForecasts, m_storedProviderLists,
                      m_standIns, listed)};
}

std::optional<LaunchLoader::EntriesAsRead> LaunchLoader::entriesAsRead(const ForecastTables& current,
                                                                       const QSet<QUuid>& listed) const {
    if (!m_outline)
        return std::nullopt;
    const auto forecasts = m_outline->entryBytes("forecasts");
    const auto providerForecasts = m_outline->entryBytes("providerForecasts");
    if (!forecasts || !providerForecasts)
        return std::nullopt;
    EntriesAsRead entries{{}, {m_outline, *forecasts, *providerForecasts}};
    FileEntries& asRead = entries.asRead;
    const ForecastTables kept = m_moves.applied(idsOnly(asRead));
    // A file without forecasts gets the launch's placeholder.
    if (kept.forecasts.isEmpty() || !keepMoved(asRead.forecasts, kept.forecasts) ||
        !keepMoved(asRead.providerForecasts, kept.providerForecasts))
        return std::nullopt;
    entries.winners.forecasts =
        winningEntries(current.forecasts, asRead.forecasts, m_storedForecasts, m_standIns, listed);
    entries.winners.providerForecasts = winningEntries(current.providerForecasts, asRead.providerForecasts,
                                                       m_storedProviderLists, m_standIns, listed);
    return entries;
}

} // namespace nimbra
