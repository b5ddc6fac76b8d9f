#include "LocationSyncStore.h"

#include "PlaceNameOrder.h"
#include "SnapshotOutline.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace nimbra {
LocationSyncStore::LocationSyncStore(std::shared_ptr<UbiquitousKeyValueStore> store)
    : m_store(std::move(store)) {}

std::optional<QByteArray> LocationSyncStore::storedBytes() const {
    return m_store ? m_store->data(payloadKey) : std::nullopt;
}

std::optional<CachedWeatherPayload> LocationSyncStore::load() const {
    const auto bytes = storedBytes();
    if (!bytes)
        return std::nullopt;
    return CachedWeatherPayload::decode(*bytes).value;
}

std::optional<CachedWeatherPayload> LocationSyncStore::loadPlaces() const {
    const auto bytes = storedBytes();
    if (!bytes)
        return std::nullopt;
    // Outlined, only the places and settings are decoded, not the forecasts that make up most of the bytes.
    if (const auto outline = SnapshotOutline::of(*bytes)) {
        auto places = outline->places();
        return places ? places.value : std::nullopt;
    }
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject())
        return std::nullopt;
    QJsonObject places = document.object();
    for (const auto key : {u"forecasts", u"providerForecasts", u"selectedForecast", u"accuracyScores"})
        places.remove(QStringView(key));
    try {
        return CachedWeatherPayload::fromJson(places);
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

bool LocationSyncStore::save(const CachedWeatherPayload& payload) const {
    if (!m_store)
        return false;
    const auto bytes = payload.encoded();
    return bytes && saveEncoded(*bytes);
}

bool LocationSyncStore::saveEncoded(const QByteArray& bytes) const {
    if (!m_store || !m_store->setData(bytes, payloadKey))
        return false;
    m_store->synchronize();
    return true;
}

CachedWeatherPayload LocationSyncStore::merge(const CachedWeatherPayload& local,
                                              const std::optional<CachedWeatherPayload>& remote,
                                              const QLocale& locale) {
    if (!remote)
        return local;
    CachedWeatherPayload merged = local;

    QList<WeatherLocation>& places = merged.locations;
    QHash<QUuid, qsizetype> indexByID;
    for (qsizetype i = 0; i < places.size(); ++i)
        indexByID.insert(places[i].id, i);
    for (const WeatherLocation& theirs : remote->locations) {
        // Deleted here after that copy was made: the mirror write after the deletion failed or never ran.
        if (theirs.isCurrentLocation ||
            LocationDeletion::supersedes(local.deletedLocations, theirs.id, theirs.updatedAt))
            continue;
        const auto held = indexByID.constFind(theirs.id);
        if (held == indexByID.constEnd()) {
            indexByID.insert(theirs.id, places.size());
            places.append(theirs);
            continue;
        }
        WeatherLocation& ours = places[*held];
        // This machine's current-location entry stays, whatever claims its id.
        if (!ours.isCurrentLocation && theirs.updatedAt > ours.updatedAt)
            ours = theirs;
    }

    const PlaceNameOrder order(locale);
    std::stable_sort(places.begin(), places.end(), [&](const WeatherLocation& a, const WeatherLocation& b) {
        if (a.isCurrentLocation != b.isCurrentLocation)
            return a.isCurrentLocation;
        return order.compare(a.name, b.name) < 0;
    });

    if (!merged.settings.menuBarLocationID)
        merged.settings.menuBarLocationID = remote->settings.menuBarLocationID;
    return merged;
}

} // namespace nimbra
