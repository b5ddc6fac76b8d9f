#pragma once

#include "WeatherLocation.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QUuid>

#include <set>

namespace nimbra {

// Offsets into a list, ascending and unique.
using IndexSet = std::set<int>;

// Two entries name one place: the same name and subtitle (canonically equivalent texts count as equal), or
// less than 0.01 degree apart in both latitude and longitude.
bool isDuplicateLocation(const WeatherLocation& a, const WeatherLocation& b);

struct DeduplicatedLocations {
    struct Replacement {
        QUuid dropped;
        QUuid kept;
    };
    QList<WeatherLocation> locations;
    // In the order the entries were dropped; every `kept` names an entry of `locations`.
    QList<Replacement> replacements;

    // The id that took the place of `id`, or `id` itself.
    QUuid keptID(const QUuid& id) const;
};

// Merges each entry into the first earlier entry it duplicates, in that entry's position. Of two duplicates
// the current-location entry wins, then a newer entry with a longer subtitle, then the strictly newer one,
// else the earlier one.
DeduplicatedLocations deduplicatedLocations(const QList<WeatherLocation>& locations);

// The ids of the entries.
QSet<QUuid> idsOf(const QList<WeatherLocation>& locations);

// The entry that stands for the device's position until the first fix.
WeatherLocation unresolvedCurrentLocation(const QUuid& id, const QDateTime& now);

// De-duplicated, with exactly one current-location entry, first: the first one found, or a new unresolved
// entry when there is none.
QList<WeatherLocation> normalizedLocations(const QList<WeatherLocation>& locations, const QDateTime& now);

// The offsets that lie within a list of `count` entries.
IndexSet offsetsWithin(const IndexSet& offsets, qsizetype count);

// The elements at `offsets` (all within the list) taken out in their order and inserted before the element
// that stood at `destination` (0 up to the count), as a drag in a list view moves rows.
template <typename T> QList<T> movedElements(const QList<T>& list, const IndexSet& offsets, int destination) {
    QList<T> before, moved, after;
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (offsets.count(int(i)))
            moved.append(list[i]);
        else if (i < destination)
            before.append(list[i]);
        else
            after.append(list[i]);
    }
    return before + moved + after;
}

} // namespace nimbra
