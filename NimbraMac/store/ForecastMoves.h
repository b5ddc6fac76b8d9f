#pragma once

#include "SnapshotOutline.h"
#include "WeatherLocation.h"

#include <QList>
#include <QSet>
#include <QUuid>

#include <optional>

namespace nimbra {

// Drops the entries of a table keyed by place whose ids are not in `ids`.
template <typename Table> void keepOnlyIDs(Table& table, const QSet<QUuid>& ids) {
    table.removeIf([&](const auto& entry) { return !ids.contains(entry.key()); });
}

// What tidying the places at launch does to the forecast tables, in order: a merged duplicate hands its
// entries to the place kept, and entries of places no longer listed go. The places are tidied first and these
// steps recorded; replayed on the tables, whole or only the part that reaches one place, they give the same
// entries, so a large snapshot's tables can be decoded after its places.
class ForecastMoves {
public:
    // The place kept takes the dropped one's entries where it has none of its own.
    void carry(const QUuid& dropped, const WeatherLocation& kept);
    // Entries of other ids go.
    void keepOnly(const QSet<QUuid>& ids);

    // The ids whose entries in the tables as read can reach `id`'s entries.
    QSet<QUuid> sourcesOf(const QUuid& id) const;
    ForecastTables applied(ForecastTables tables) const;

private:
    struct Step {
        // A carry, else a cut to `kept`.
        std::optional<QUuid> dropped;
        WeatherLocation keptLocation;
        QSet<QUuid> kept;
    };

    QList<Step> m_steps;
};

} // namespace nimbra
