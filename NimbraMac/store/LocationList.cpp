#include "LocationList.h"

#include <QTextBoundaryFinder>

#include <cmath>

namespace nimbra {
namespace {

constexpr double duplicateDistanceDegrees = 0.01;

qsizetype graphemeCount(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

bool sameText(const QString& a, const QString& b) {
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

// The winner of two duplicates; `candidate` comes later in the input than `existing`.
bool candidateWins(const WeatherLocation& existing, const WeatherLocation& candidate) {
    if (existing.isCurrentLocation != candidate.isCurrentLocation)
        return candidate.isCurrentLocation;
    if (graphemeCount(candidate.subtitle) > graphemeCount(existing.subtitle) &&
        candidate.updatedAt >= existing.updatedAt)
        return true;
    return candidate.updatedAt > existing.updatedAt;
}

} // namespace

bool isDuplicateLocation(const WeatherLocation& a, const WeatherLocation& b) {
    if (sameText(a.name, b.name) && sameText(a.subtitle, b.subtitle))
        return true;
    return std::abs(a.latitude - b.latitude) < duplicateDistanceDegrees &&
           std::abs(a.longitude - b.longitude) < duplicateDistanceDegrees;
}

QUuid DeduplicatedLocations::keptID(const QUuid& id) const {
    for (const Replacement& r : replacements) {
        if (r.dropped == id)
            return r.kept;
    }
    return id;
}

DeduplicatedLocations deduplicatedLocations(const QList<WeatherLocation>& locations) {
    DeduplicatedLocations out;
    for (const WeatherLocation& candidate : locations) {
        auto existing =
            std::find_if(out.locations.begin(), out.locations.end(),
                         [&](const WeatherLocation& e) { return isDuplicateLocation(e, candidate); });
        if (existing == out.locations.end()) {
            out.locations.append(candidate);
            continue;
        }
        const bool replace = candidateWins(*existing, candidate);
        const WeatherLocation loser = replace ? *existing : candidate;
        if (replace)
            *existing = candidate;
        const QUuid winnerID = existing->id;
        if (loser.id == winnerID)
            continue;
        for (auto& r : out.replacements) {
            if (r.kept == loser.id)
                r.kept = winnerID;
        }
        out.replacements.append({loser.id, winnerID});
    }
    return out;
}

QSet<QUuid> idsOf(const QList<WeatherLocation>& locations) {
    QSet<QUuid> ids;
    for (const WeatherLocation& l : locations)
        ids.insert(l.id);
    return ids;
}

WeatherLocation unresolvedCurrentLocation(const QUuid& id, const QDateTime& now) {
    return {id,
            QStringLiteral("Current Location"),
            QStringLiteral("Allow location access or search for a city"),
            0,
            0,
            true,
            true,
            now};
}

QList<WeatherLocation> normalizedLocations(const QList<WeatherLocation>& locations, const QDateTime& now) {
    QList<WeatherLocation> list = deduplicatedLocations(locations).locations;
    const auto first =
        std::find_if(list.cbegin(), list.cend(), [](const auto& l) { return l.isCurrentLocation; });
    if (first == list.cend()) {
        list.prepend(unresolvedCurrentLocation(QUuid::createUuid(), now));
        return list;
    }
    WeatherLocation current = *first;
    current.isCurrentLocation = true;
    current.allowsApproximateLocation = true;
    list.removeIf([](const WeatherLocation& l) { return l.isCurrentLocation; });
    list.prepend(current);
    return list;
}

IndexSet offsetsWithin(const IndexSet& offsets, qsizetype count) {
    IndexSet out;
    for (const int offset : offsets) {
        if (offset >= 0 && offset < count)
            out.insert(offset);
    }
    return out;
}

} // namespace nimbra
