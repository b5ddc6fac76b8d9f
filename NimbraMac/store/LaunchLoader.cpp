#include "LaunchLoader.h"

#include "FreedMemory.h"
#include "Log.h"

#include <QTimer>

namespace nimbra {
namespace {

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

LaunchLoader::LaunchLoader(std::shared_ptr<const SnapshotOutline> outline, ForecastMoves moves,
                           std::shared_ptr<LocationSyncStore> mirror)
    : m_moves(std::move(moves)), m_outline(std::move(outline)), m_mirror(std::move(mirror)) {}

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
        m_rest =
            std::async(std::launch::async, [this, outline = m_outline, mirror = m_mirror, stop = m_stop] {
                Rest rest = restOf(*outline, mirror.get(), *stop);
                // Stopped, the loader waits for this to return (and nobody takes it in).
                if (!stop->load())
                    QMetaObject::invokeMethod(this, &LaunchLoader::restRead, Qt::QueuedConnection);
                return rest;
            });
    });
}

LaunchLoader::Rest LaunchLoader::takeRest() {
    m_taken = true;
    return m_rest.valid() ? m_rest.get() : restOf(*m_outline, m_mirror.get(), *m_stop);
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
