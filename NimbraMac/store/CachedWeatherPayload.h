#pragma once

#include "ConsensusForecast.h"
#include "JsonCodec.h"
#include "LocationDeletion.h"
#include "ProviderAccuracyScore.h"
#include "ProviderForecast.h"
#include "ProviderWeighting.h"
#include "WeatherLocation.h"
#include "WeatherSettings.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace nimbra {

using ForecastsByLocation = QHash<QUuid, ConsensusForecast>;
using ProviderForecastsByLocation = QHash<QUuid, QList<ProviderForecast>>;

// The whole persistent state: what the snapshot file and the synced mirror hold, and what the widget host
// reads.
struct CachedWeatherPayload {
    QList<WeatherLocation> locations;
    WeatherSettings settings;
    std::optional<ConsensusForecast> selectedForecast;
    ForecastsByLocation forecasts;
    ProviderForecastsByLocation providerForecasts;
    AccuracyScores accuracyScores;
    // Places deleted here, newest first, until a newer copy of one shows up. Written only when there are
    // any, so a file without them is the same file as before.
    QList<LocationDeletion> deletedLocations;

    bool operator==(const CachedWeatherPayload&) const = default;

    // One object; the three dictionaries as flat arrays of alternating key and value. A forecast or score
    // that has no JSON form (a number that is not finite, a date the reader cannot take back) is left out and
    // logged; the same in a place or the settings throws EncodingError, as writing null there would make the
    // file unreadable.
    QJsonObject toJson() const;

    // The compact JSON of one entry of `forecasts` (nothing when it has no JSON form and is left out) and of
    // one entry of `providerForecasts` and the selected forecast, exactly as encoded() writes them: an
    // encoder may keep them for unchanged entries.
    static std::optional<QByteArray> forecastEntryBytes(const QUuid& id, const ConsensusForecast& forecast);
    static QByteArray providerForecastsEntryBytes(const QUuid& id, const QList<ProviderForecast>& list);
    static std::optional<QByteArray> selectedForecastBytes(const ConsensusForecast& forecast);

    // Reads the top level tolerantly (a missing key or null gives the default). The places and the settings
    // are the user's own data: when they are malformed the whole document fails (DecodingError). Forecasts
    // and scores can be fetched again, so a malformed entry of them is dropped alone and described in
    // `dropped`.
    static CachedWeatherPayload fromJson(const QJsonValue& value, QStringList* dropped = nullptr);

    // The snapshot in the bytes of a file or a mirror entry, or why there is none. Hourly samples in the
    // writer's form are read straight from the bytes (readHourlyAhead), the rest through Qt's JSON tree;
    // bytes in any other form are decoded as decodeThroughTree() does, to the same result.
    static Coded<CachedWeatherPayload> decode(const QByteArray& bytes, QStringList* dropped = nullptr);
    // The same decode, with the whole text through Qt's JSON tree.
    static Coded<CachedWeatherPayload> decodeThroughTree(const QByteArray& bytes,
                                                         QStringList* dropped = nullptr);
    // Compact JSON bytes, or why the snapshot cannot be written. `forecastsWritten` receives how many
    // consensus forecasts the bytes hold, which is fewer than `forecasts` when one was left out.
    Coded<QByteArray> encoded(qsizetype* forecastsWritten = nullptr) const;
};

} // namespace nimbra
