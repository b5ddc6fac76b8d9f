#pragma once

#include "CachedWeatherPayload.h"
#include "UbiquitousKeyValueStore.h"

#include <QLocale>

#include <memory>
#include <optional>

namespace nimbra {

// A second copy of the snapshot in the user's synced key-value store, so that their other machines start with
// the same places. Read once at launch, written by every persist while sync is on. A failed read counts as no
// copy; a failed write is only reported to the caller, as the application keeps working without the copy.
class LocationSyncStore {
public:
    static inline const QString payloadKey = QStringLiteral("nimbraSyncedPayload");

    // Without a store every read gives nothing and every write is dropped.
    explicit LocationSyncStore(std::shared_ptr<UbiquitousKeyValueStore> store);

    std::optional<CachedWeatherPayload> load() const;
    // The copy without its forecasts and scores, which merge() never takes: what a launch reads, sparing it
    // the decoding of every forecast of the copy.
    std::optional<CachedWeatherPayload> loadPlaces() const;
    // False when nothing was stored: no store, a snapshot that cannot be encoded, or a refused write.
    bool save(const CachedWeatherPayload& payload) const;
    // Stores bytes that the snapshot encoder produced, so a persist encodes once for the file and the mirror.
    bool saveEncoded(const QByteArray& bytes) const;

    // Brings the remote places into the local snapshot: places united by id (the later `updatedAt` wins, an
    // equal date keeps the local one), current-location entry first and the rest ordered by name as a file
    // browser orders them; the remote selection is used only when the local one is absent. Everything else
    // stays local. Another machine's current-location entry is never taken: it is that machine's position,
    // not this one's. A remote place the local snapshot records as deleted at or after the remote copy's
    // `updatedAt` stays deleted.
    static CachedWeatherPayload merge(const CachedWeatherPayload& local,
                                      const std::optional<CachedWeatherPayload>& remote,
                                      const QLocale& locale = QLocale::system());

private:
    std::optional<QByteArray> storedBytes() const;

    std::shared_ptr<UbiquitousKeyValueStore> m_store;
};

} // namespace nimbra
