#pragma once

#include "CachedWeatherPayload.h"
#include "JsonOutline.h"

#include <QSet>

#include <atomic>

namespace nimbra {

// A snapshot's two per-place tables: nearly all of its bytes.
struct ForecastTables {
    ForecastsByLocation forecasts;
    ProviderForecastsByLocation providerForecasts;

    bool operator==(const ForecastTables&) const = default;
};

// The bytes of a snapshot, outlined so that they decode in parts: its places and settings at once, the
// forecasts of a few places next, and the whole tables later (and elsewhere). Each part decodes to exactly
// what CachedWeatherPayload::decode() gives for it, malformed entries dropped the same way.
class SnapshotOutline {
public:
    // Nothing when the bytes are not a well-formed JSON object (or the outline is in doubt): decode them
    // whole then, which also says what is wrong.
    static std::optional<SnapshotOutline> of(QByteArray bytes);

    const QByteArray& bytes() const { return m_bytes; }
    // Everything but the two tables; fails as decode() does when the places or settings are malformed.
    Coded<CachedWeatherPayload> leading(QStringList* dropped = nullptr) const;
    // The places, the settings and the deletion records only.
    Coded<CachedWeatherPayload> places() const;
    // The entries of both tables whose keys are among `ids`.
    ForecastTables tablesOf(const QSet<QUuid>& ids) const;
    // The same of the consensus forecasts alone.
    ForecastsByLocation forecastsOf(const QSet<QUuid>& ids) const;
    // Both tables whole.
    ForecastTables tables(QStringList* dropped = nullptr) const;
    // The same, decoded a few places at a time; nothing when `stop` was set before the last part, so a
    // decode nobody waits for any more ends soon.
    std::optional<ForecastTables> tables(const std::atomic<bool>& stop, QStringList* dropped = nullptr) const;
    // The JSON of each entry of the table `key`, as a view of bytes(), by id: what a writer copies for the
    // entries nobody decoded (a malformed one as it is: decoding drops it again). None for a table decoding
    // drops whole; nothing when a key is written with escapes (only a whole decode reads it).
    std::optional<QHash<QUuid, QByteArrayView>> entryBytes(QByteArrayView key) const;

private:
    SnapshotOutline(QByteArray bytes, JsonOutline outline)
        : m_bytes(std::move(bytes)), m_outline(std::move(outline)) {}

    // A document of the members named by `keep`, decoded as a snapshot.
    template <typename Keep>
    Coded<CachedWeatherPayload> decodedMembers(Keep keep, QStringList* dropped) const;
    // The entries of the tables named by `keep` whose keys are among `ids`.
    template <typename Keep>
    ForecastTables selectedTables(const QSet<QUuid>& ids, Keep keep, QStringList* dropped = nullptr) const;
    // A table's elements, when it is an array of pairs (decoding drops anything else whole).
    const QList<JsonSpan>* pairsOf(const JsonMember& table) const;
    // The pairs of a table whose key is among `ids`, as the table's JSON array.
    QByteArray selectedPairs(const JsonMember& table, const QSet<QUuid>& ids) const;

    QByteArray m_bytes;
    JsonOutline m_outline;
};

} // namespace nimbra
