#include "CachedWeatherPayload.h"

#include "JsonCodec.h"
#include "Log.h"
#include "SnapshotHourly.h"
#include "UUIDText.h"

#include <algorithm>

namespace nimbra {
namespace {

// Forecasts and scores can be fetched or computed again: one the encoder refuses (a provider's time stamp
// beyond year 9999, a non-finite number) is left out alone. Failing the whole save for it would keep every
// later change off the disk until that forecast was replaced.
void logLeftOut(const QString& what, const EncodingError& e) {
    qCWarning(cacheLog, "Weather cache left out %s: %s", qUtf8Printable(what), qUtf8Printable(e.message()));
}

template <typename Encode> std::optional<QJsonValue> encodedEntry(const QString& what, Encode encode) {
    try {
        return QJsonValue(encode());
    } catch (const EncodingError& e) {
        logLeftOut(what, e);
        return std::nullopt;
    }
}

// The same for an entry written straight into bytes: the writer is cut back to `mark`, where the entry began.
// `what` is only spelt out for the log.
template <typename What, typename Write>
bool writtenEntry(JsonWriter& out, qsizetype mark, What what, Write write) {
    try {
        write();
        return true;
    } catch (const EncodingError& e) {
        out.cutBack(mark);
        logLeftOut(what(), e);
        return false;
    }
}

// Keys are written in a fixed order so that an unchanged state gives unchanged bytes.
template <typename Key, typename Value, typename KeyText>
QList<std::pair<QString, const Value*>> sortedEntries(const QHash<Key, Value>& dictionary, KeyText keyText) {
    QList<std::pair<QString, const Value*>> pairs;
    pairs.reserve(dictionary.size());
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        pairs.append({keyText(it.key()), &it.value()});
    std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return pairs;
}

QString entryWhat(QStringView name, const QString& key) {
    return QStringLiteral("%1[%2]").arg(name, key);
}

template <typename Key, typename Value, typename KeyText, typename Encode>
QJsonArray flatArray(const QHash<Key, Value>& dictionary, QStringView name, KeyText keyText, Encode encode) {
    QJsonArray out;
    for (const auto& [key, value] : sortedEntries(dictionary, keyText)) {
        const QString what = entryWhat(name, key);
        if (const auto encoded = encodedEntry(what, [&] { return encode(what, *value); })) {
            out.append(key);
            out.append(*encoded);
        }
    }
    return out;
}

QString providerForecastWhat(const QString& listWhat, const ProviderForecast& forecast) {
    return QStringLiteral("%1 %2").arg(listWhat, rawValue(forecast.provider));
}

QJsonArray providerForecastArray(const QString& what, const QList<ProviderForecast>& list) {
    QJsonArray out;
    for (const ProviderForecast& forecast : list) {
        if (const auto encoded =
                encodedEntry(providerForecastWhat(what, forecast), [&] { return forecast.toJson(); }))
            out.append(*encoded);
    }
    return out;
}

// The writer's form of flatArray: the same bytes, with no QJsonObject per entry. Returns how many entries
// it wrote.
template <typename Key, typename Value, typename KeyText, typename Write>
qsizetype writeFlatArray(JsonWriter& out, const QHash<Key, Value>& dictionary, QStringView name,
                         KeyText keyText, Write write) {
    qsizetype written = 0;
    out.beginArray();
    for (const auto& [key, value] : sortedEntries(dictionary, keyText)) {
        const qsizetype mark = out.mark();
        out.string(key);
        if (writtenEntry(
                out, mark, [&] { return entryWhat(name, key); }, [&] { write(out, key, *value); }))
            ++written;
    }
    out.endArray();
    return written;
}

void writeProviderForecastList(JsonWriter& out, const QString& listWhat,
                               const QList<ProviderForecast>& list) {
    out.beginArray();
    for (const ProviderForecast& forecast : list) {
        writtenEntry(
            out, out.mark(), [&] { return providerForecastWhat(listWhat, forecast); },
            [&] { forecast.writeJson(out); });
    }
    out.endArray();
}

QString providerListWhat(const QUuid& id) {
    return QStringLiteral("providerForecasts[%1]").arg(uuidText(id));
}

// What may not be left out is written first, in the order the tree encoder meets it, so that the first
// value without a JSON form gives the same error.
struct RequiredParts {
    QByteArray locations;
    QByteArray settings;
    // Empty when there are none (the key is then left out): written, the array is never empty.
    QByteArray deletedLocations;

    explicit RequiredParts(const CachedWeatherPayload& payload) {
        JsonWriter places;
        places.beginArray();
        for (const WeatherLocation& location : payload.locations)
            location.writeJson(places);
        places.endArray();
        locations = places.take();
        settings = QJsonDocument(payload.settings.toJson()).toJson(QJsonDocument::Compact);
        if (!payload.deletedLocations.isEmpty())
            deletedLocations =
                QJsonDocument(json::array(payload.deletedLocations, [](const LocationDeletion& d) {
                    return d.toJson();
                })).toJson(QJsonDocument::Compact);
    }
};

class Salvage {
public:
    explicit Salvage(QStringList* dropped) : m_dropped(dropped) {}

    void drop(const QString& what, const QString& why) {
        if (m_dropped)
            m_dropped->append(QStringLiteral("%1: %2").arg(what, why));
    }

    // Reads a flat key/value array entry by entry; `readValue` is given the value and its pair's index. A
    // malformed pair is dropped; a value that is not an array of pairs at all drops the whole dictionary.
    // When a key occurs twice, the later pair wins.
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
                out.insert(key, readValue(array.at(i + 1), i / 2));
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

// Where an hourly list read ahead was, the tree holds an empty array, which decodes without fault: the
// record's other members decode, or fail, as they would have, and the list read ahead then takes its place.
template <typename Forecast> Forecast withHourly(Forecast forecast, HourlyReadAhead::Samples* hourly) {
    if (hourly && *hourly)
        forecast.hourly = std::move(**hourly);
    return forecast;
}

template <typename T> HourlyReadAhead::Samples* readAheadAt(std::vector<T>* lists, qsizetype index) {
    return lists && std::size_t(index) < lists->size() ? &(*lists)[std::size_t(index)] : nullptr;
}

QList<ProviderForecast> readProviderForecastList(const QJsonValue& value,
                                                 std::vector<HourlyReadAhead::Samples>* hourly) {
    const QJsonArray array = json::asArray(value, u"providerForecasts");
    QList<ProviderForecast> out;
    out.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i)
        out.append(withHourly(ProviderForecast::fromJson(array.at(i)), readAheadAt(hourly, i)));
    return out;
}

CachedWeatherPayload fromTree(const QJsonValue& value, QStringList* dropped, HourlyReadAhead* hourly) {
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
            payload.selectedForecast = withHourly(ConsensusForecast::fromJson(*selected),
                                                  hourly ? &hourly->selectedForecast : nullptr);
        } catch (const DecodingError& e) {
            salvage.drop(QStringLiteral("selectedForecast"), e.message());
        }
    }
    payload.forecasts = salvage.dictionary<QUuid, ConsensusForecast>(
        o, u"forecasts", readUUIDKey, [hourly](const QJsonValue& v, qsizetype pair) {
            return withHourly(ConsensusForecast::fromJson(v),
                              readAheadAt(hourly ? &hourly->forecasts : nullptr, pair));
        });
    payload.providerForecasts = salvage.dictionary<QUuid, QList<ProviderForecast>>(
        o, u"providerForecasts", readUUIDKey, [hourly](const QJsonValue& v, qsizetype pair) {
            return readProviderForecastList(v, hourly && std::size_t(pair) < hourly->providerForecasts.size()
                                                   ? &hourly->providerForecasts[std::size_t(pair)]
                                                   : nullptr);
        });
    payload.accuracyScores = salvage.dictionary<WeatherProviderKind, ProviderAccuracyScore>(
        o, u"accuracyScores", readProviderKey,
        [](const QJsonValue& v, qsizetype) { return ProviderAccuracyScore::fromJson(v); });
    payload.deletedLocations = salvage.list(o, u"deletedLocations", LocationDeletion::fromJson);
    return payload;
}

template <typename Decode>
Coded<CachedWeatherPayload> decodedTree(const QJsonDocument& document, Decode decode) {
    if (!document.isObject())
        return {std::nullopt, QStringLiteral("The document is not a JSON object")};
    try {
        return {decode(document.object()), {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.message()};
    }
}

} // namespace

std::optional<QByteArray> CachedWeatherPayload::forecastEntryBytes(const QUuid& id,
                                                                   const ConsensusForecast& forecast) {
    JsonWriter out;
    if (!writtenEntry(
            out, 0, [&] { return entryWhat(u"forecasts", uuidText(id)); }, [&] { forecast.writeJson(out); }))
        return std::nullopt;
    return out.take();
}

QByteArray CachedWeatherPayload::providerForecastsEntryBytes(const QUuid& id,
                                                             const QList<ProviderForecast>& list) {
    JsonWriter out;
    writeProviderForecastList(out, providerListWhat(id), list);
    return out.take();
}

std::optional<QByteArray> CachedWeatherPayload::selectedForecastBytes(const ConsensusForecast& forecast) {
    JsonWriter out;
    if (!writtenEntry(
            out, 0, [] { return QStringLiteral("selectedForecast"); }, [&] { forecast.writeJson(out); }))
        return std::nullopt;
    return out.take();
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
        if (const auto encoded =
                encodedEntry(QStringLiteral("selectedForecast"), [&] { return selectedForecast->toJson(); }))
            o.insert(QStringLiteral("selectedForecast"), *encoded);
    }
    return o;
}

namespace {

// About what a snapshot's JSON takes, nearly all of it hourly and daily samples: the writer's buffer is then
// made once, where growing it step by step copied megabytes several times over.
qsizetype expectedBytes(const CachedWeatherPayload& payload) {
    qsizetype samples = 0;
    const auto count = [&samples](const auto& forecast) {
        samples += forecast.hourly.size() + forecast.daily.size();
    };
    for (const ConsensusForecast& forecast : payload.forecasts)
        count(forecast);
    for (const QList<ProviderForecast>& list : payload.providerForecasts) {
        for (const ProviderForecast& forecast : list)
            count(forecast);
    }
    if (payload.selectedForecast)
        count(*payload.selectedForecast);
    constexpr qsizetype sampleBytes = 240;
    constexpr qsizetype restBytes = 64 * 1024;
    return restBytes + samples * sampleBytes;
}

} // namespace

Coded<QByteArray> CachedWeatherPayload::encoded(qsizetype* forecastsWritten) const {
    try {
        const RequiredParts required(*this);
        JsonWriter out(expectedBytes(*this));
        // The keys in the order QJsonObject sorts them.
        out.beginObject();
        out.key(QLatin1StringView("accuracyScores"));
        writeFlatArray(
            out, accuracyScores, u"accuracyScores", [](WeatherProviderKind k) { return rawValue(k); },
            [](JsonWriter& w, const QString&, const ProviderAccuracyScore& s) { w.object(s.toJson()); });
        if (!required.deletedLocations.isEmpty()) {
            out.key(QLatin1StringView("deletedLocations"));
            out.raw(required.deletedLocations);
        }
        out.key(QLatin1StringView("forecasts"));
        const qsizetype written =
            writeFlatArray(out, forecasts, u"forecasts", uuidText,
                           [](JsonWriter& w, const QString&, const ConsensusForecast& f) { f.writeJson(w); });
        out.key(QLatin1StringView("locations"));
        out.raw(required.locations);
        out.key(QLatin1StringView("providerForecasts"));
        writeFlatArray(out, providerForecasts, u"providerForecasts", uuidText,
                       [](JsonWriter& w, const QString& key, const QList<ProviderForecast>& list) {
                           writeProviderForecastList(w, entryWhat(u"providerForecasts", key), list);
                       });
        if (selectedForecast) {
            const qsizetype mark = out.mark();
            out.key(QLatin1StringView("selectedForecast"));
            writtenEntry(
                out, mark, [] { return QStringLiteral("selectedForecast"); },
                [&] { selectedForecast->writeJson(out); });
        }
        out.key(QLatin1StringView("settings"));
        out.raw(required.settings);
        out.endObject();
        if (forecastsWritten)
            *forecastsWritten = written;
        return {out.take(), {}};
    } catch (const EncodingError& e) {
        return {std::nullopt, e.message()};
    }
}

CachedWeatherPayload CachedWeatherPayload::fromJson(const QJsonValue& value, QStringList* dropped) {
    return fromTree(value, dropped, nullptr);
}

Coded<CachedWeatherPayload> CachedWeatherPayload::decode(const QByteArray& bytes, QStringList* dropped) {
    if (auto readAhead = readHourlyAhead(bytes)) {
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(readAhead->rest, &parseError);
        // The strict reader took the bytes, so Qt takes the rest; were it ever not so, the whole decode
        // below says what is wrong with the bytes themselves.
        if (parseError.error == QJsonParseError::NoError) {
            readAhead->rest = QByteArray();
            return decodedTree(
                document, [&](const QJsonObject& o) { return fromTree(o, dropped, &readAhead->hourly); });
        }
    }
    return decodeThroughTree(bytes, dropped);
}

Coded<CachedWeatherPayload> CachedWeatherPayload::decodeThroughTree(const QByteArray& bytes,
                                                                    QStringList* dropped) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt, QStringLiteral("Invalid JSON at offset %1: %2")
                                  .arg(parseError.offset)
                                  .arg(parseError.errorString())};
    return decodedTree(document, [&](const QJsonObject& o) { return fromTree(o, dropped, nullptr); });
}

} // namespace nimbra
