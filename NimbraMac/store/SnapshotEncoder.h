#pragma once

#include "CachedWeatherPayload.h"
#include "SnapshotOutline.h"

#include <QByteArray>
#include <QHash>
#include <QUuid>

#include <memory>
#include <optional>

namespace nimbra {

// Entries of the two tables written as a file held them, by id: views of the file's bytes, which `file`
// keeps. For the entries a store has not decoded: they are written as read instead of decoded and encoded
// again.
struct FileEntries {
    std::shared_ptr<const SnapshotOutline> file;
    QHash<QUuid, QByteArrayView> forecasts;
    QHash<QUuid, QByteArrayView> providerForecasts;

    bool operator==(const FileEntries&) const = default;
};

// Encodes snapshots to the same bytes as CachedWeatherPayload::encoded(), keeping the JSON of every forecast
// and provider list it wrote: the next snapshot re-encodes only the entries that changed, so a settings
// change at hundreds of places costs about what the settings cost. An entry is reused when it equals the
// value it was encoded from; lists shared with that value (Qt's implicit sharing) compare in constant time.
// Not thread-safe: one encoder per writer.
class SnapshotEncoder {
public:
    // The entries of `asRead` that the payload's tables lack are written with the file's bytes, in key order
    // with the rest.
    Coded<QByteArray> encode(const CachedWeatherPayload& payload, qsizetype* forecastsWritten = nullptr,
                             const FileEntries& asRead = {});

private:
    // A value and its compact JSON; no bytes when the value has no JSON form and is left out.
    template <typename Value> struct Entry {
        Value value;
        std::optional<QByteArray> bytes;
    };

    const std::optional<QByteArray>& forecastBytes(const QUuid& id, const ConsensusForecast& forecast);
    const QByteArray& providerForecastBytes(const QUuid& id, const QList<ProviderForecast>& list);
    std::optional<QByteArray> selectedForecastBytes(const ConsensusForecast& forecast);
    // Each entry's quoted key and its bytes, in the order the plain encoder writes them.
    QList<std::pair<QByteArray, QByteArray>> forecastPairs(const CachedWeatherPayload& payload,
                                                           const QHash<QUuid, QByteArrayView>& asRead);
    QList<std::pair<QByteArray, QByteArray>>
    providerForecastPairs(const CachedWeatherPayload& payload, const QHash<QUuid, QByteArrayView>& asRead);

    QHash<QUuid, Entry<ConsensusForecast>> m_forecasts;
    QHash<QUuid, Entry<QList<ProviderForecast>>> m_providerForecasts;
    std::optional<Entry<ConsensusForecast>> m_selected;
};

} // namespace nimbra
