#include "CachedWeatherPayload.h"

#include "JsonCodec.h"
#include "Log.h"
#include "UUIDText.h"

#include <algorithm>

namespace nimbra {
namespace {

// Forecasts and scores can be fetched or computed again: one the encoder refuses (a provider's time stamp
// beyond year 9999, a non-finite number) is left out alone. Failing the whole save for it would keep every
// later change off the disk until that forecast was replaced.
template <typename Encode> std::optional<QJsonValue> encodedEntry(const QString& what, Encode encode) {
    try {
        return QJsonValue(encode());
    } catch (const EncodingError& e) {
        qCWarning(cacheLog, "Weather cache left out %s: %s", qUtf8Printable(what),
                  qUtf8Printable(e.message()));
        return std::nullopt;
    }
}

// Keys are written in a fixed order so that an unchanged state gives unchanged bytes.
template <typename Key, typename Value, typename KeyText, typename Encode>
QJsonArray flatArray(const QHash<Key, Value>& dictionary, QStringView name, KeyText keyText, Encode encode) {
    QList<std::pair<QString, const Value*>> pairs;
    pairs.reserve(dictionary.size());
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        pairs.append({keyText(it.key()), &it.value()});
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QJsonArray out;
    for (const auto& [key, value] : pairs) {
        const QString what = QStringLiteral("%1[%2]").arg(name, key);
        if (const auto encoded = encodedEntry(what, [&] { return encode(what, *value); })) {
            out.append(key);
            out.append(*encoded);
        }
    }
    return out;
}

QJsonArray providerForecastArray(const QString& what, const QList<ProviderForecast>& list) {
    QJsonArray out;
    for (const ProviderForecast& forecast : list) {
        const QString entry = QStringLiteral("%1 %2").arg(what, rawValue(forecast.provider));
        if (const auto encoded = encodedEntry(entry, [&] { return forecast.toJson(); }))
            out.append(*encoded);
    }
    return out;
}

class Salvage {
public:
    explicit Salvage(QStringList* dropped) : m_dropped(dropped) {}

    void drop(const QString& what, const QString& why) {
        if (m_dropped)
            m_dropped->append(QStringLiteral("%1: %2").arg(what, why));
    }

    // Reads a flat key/value array entry by entry. A malformed pair is dropped; a value that is not an array
    // of pairs at all drops the whole dictionary. When a key occurs twice, the later pair wins.
    template <typename Key, typename Value, typename ReadKey, typename ReadValue>
    QHash<Key, Value> dictionary(const QJsonObject& root, QStringView name, ReadKey readKey,
                                 ReadValue readValue) {
        QHash<Key, Value> out;
        const QJsonArray array = arrayAt(root, name);
        if (array.size() % 2 != 0) {
            drop(name.toString(), QStringLiteral("odd number of elements"));
            return out;
        }
        out.reserve(array.size() / 2);
        for (qsizetype i = 0; i < array.size(); i += 2) {
            const QJsonValue keyValue = array.at(i);
            try {
                const Key key = readKey(keyValue, name);
                out.insert(key, readValue(array.at(i + 1)));
            } catch (const DecodingError& e) {
                drop(QStringLiteral("%1[%2]").arg(name).arg(keyValue.isString() ? keyValue.toString()
                                                                                : QString::number(i / 2)),
                     e.message());
            }
        }
        return out;
    }

    // Reads an array element by element; a malformed element is dropped alone.
    template <typename Read> auto list(const QJsonObject& root, QStringView name, Read read) {
        QList<decltype(read(QJsonValue()))> out;
        const QJsonArray array = arrayAt(root, name);
        for (qsizetype i = 0; i < array.size(); ++i) {
            try {
                out.append(read(array.at(i)));
            } catch (const DecodingError& e) {
                drop(QStringLiteral("%1[%2]").arg(name).arg(i), e.message());
            }
        }
        return out;
    }

private:
    // The array under `name`; empty when absent, or (noted) when not an array.
    QJsonArray arrayAt(const QJsonObject& root, QStringView name) {
        const auto present = json::optional(root, name);
        if (!present)
            return {};
        if (!present->isArray()) {
            drop(name.toString(), QStringLiteral("not an array"));
            return {};
        }
        return present->toArray();
    }

    QStringList* m_dropped;
};

QUuid readUUIDKey(const QJsonValue& value, QStringView what) {
    return json::asUUID(value, what);
}

WeatherProviderKind readProviderKey(const QJsonValue& value, QStringView what) {
    return enumFromJson<WeatherProviderKind>(value, what);
}

QList<ProviderForecast> readProviderForecastList(const QJsonValue& value) {
    const QJsonArray array = json::asArray(value, u"providerForecasts");
    QList<ProviderForecast> out;
    out.reserve(array.size());
    for (const QJsonValue& element : array)
        out.append(ProviderForecast::fromJson(element));
    return out;
}

// The snapshot's JSON, noting how many consensus forecasts made it in.
struct ForecastCounting {
    const CachedWeatherPayload& payload;
    qsizetype* written;

    QJsonObject toJson() const {
        QJsonObject o = payload.toJson();
        if (written)
            *written = o.value(u"forecasts").toArray().size() / 2;
        return o;
    }
};

} // namespace

std::optional<QJsonValue> CachedWeatherPayload::forecastEntryJson(const QUuid& id,
                                                                  const ConsensusForecast& forecast) {
    return encodedEntry(QStringLiteral("forecasts[%1]").arg(uuidText(id)), [&] { return forecast.toJson(); });
}

QJsonArray CachedWeatherPayload::providerForecastsEntryJson(const QUuid& id,
                                                            const QList<ProviderForecast>& list) {
    return providerForecastArray(QStringLiteral("providerForecasts[%1]").arg(uuidText(id)), list);
}

std::optional<QJsonValue> CachedWeatherPayload::selectedForecastJson(const ConsensusForecast& forecast) {
    return encodedEntry(QStringLiteral("selectedForecast"), [&] { return forecast.toJson(); });
}

QJsonObject CachedWeatherPayload::toJson() const {
    QJsonObject o{
        {"locations", json::array(locations, [](const WeatherLocation& l) { return l.toJson(); })},
        {"settings", settings.toJson()},
        {"forecasts", flatArray(forecasts, u"forecasts", uuidText,
                                [](const QString&, const ConsensusForecast& f) { return f.toJson(); })},
        {"providerForecasts",
         flatArray(providerForecasts, u"providerForecasts", uuidText, providerForecastArray)},
        {"accuracyScores",
         flatArray(
             accuracyScores, u"accuracyScores", [](WeatherProviderKind k) { return rawValue(k); },
             [](const QString&, const ProviderAccuracyScore& s) { return s.toJson(); })},
    };
    if (!deletedLocations.isEmpty())
        o.insert(QStringLiteral("deletedLocations"),
                 json::array(deletedLocations, [](const LocationDeletion& d) { return d.toJson(); }));
    if (selectedForecast) {
        if (const auto encoded = selectedForecastJson(*selectedForecast))
            o.insert(QStringLiteral("selectedForecast"), *encoded);
    }
    return o;
}

Coded<QByteArray> CachedWeatherPayload::encoded(qsizetype* forecastsWritten) const {
    return encodeDocument(ForecastCounting{*this, forecastsWritten});
}

CachedWeatherPayload CachedWeatherPayload::fromJson(const QJsonValue& value, QStringList* dropped) {
    const QJsonObject o = json::asObject(value, u"CachedWeatherPayload");
    Salvage salvage(dropped);
    CachedWeatherPayload payload;

    if (const auto list = json::optional(o, u"locations")) {
        for (const QJsonValue& element : json::asArray(*list, u"locations"))
            payload.locations.append(WeatherLocation::fromJson(element));
    }
    if (const auto settings = json::optional(o, u"settings"))
        payload.settings = WeatherSettings::fromJson(*settings);

    if (const auto selected = json::optional(o, u"selectedForecast")) {
        try {
            payload.selectedForecast = ConsensusForecast::fromJson(*selected);
        } catch (const DecodingError& e) {
            salvage.drop(QStringLiteral("selectedForecast"), e.message());
        }
    }
    payload.forecasts = salvage.dictionary<QUuid, ConsensusForecast>(o, u"forecasts", readUUIDKey,
                                                                     ConsensusForecast::fromJson);
    payload.providerForecasts = salvage.dictionary<QUuid, QList<ProviderForecast>>(
        o, u"providerForecasts", readUUIDKey, readProviderForecastList);
    payload.accuracyScores = salvage.dictionary<WeatherProviderKind, ProviderAccuracyScore>(
        o, u"accuracyScores", readProviderKey, ProviderAccuracyScore::fromJson);
    payload.deletedLocations = salvage.list(o, u"deletedLocations", LocationDeletion::fromJson);
    return payload;
}

Coded<CachedWeatherPayload> CachedWeatherPayload::decode(const QByteArray& bytes, QStringList* dropped) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("Invalid JSON at offset %1: %2")
                                  .arg(parseError.offset)
                                  .arg(parseError.errorString())};
    if (!document.isObject())
        return {std::nullopt, QStringLiteral("The document is not a JSON object")};
    try {
        return {fromJson(document.object(), dropped), {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.message()};
    }
}

} // namespace nimbra
