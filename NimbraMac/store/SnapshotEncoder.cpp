#include "SnapshotEncoder.h"

#include "UUIDText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace nimbra {
namespace {

QByteArray compact(const QJsonValue& value) {
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
}

// The keys of a dictionary and of the entries as read that it lacks, in the order the plain encoder writes
// them.
template <typename Value>
QList<std::pair<QString, QUuid>> sortedKeys(const QHash<QUuid, Value>& dictionary,
                                            const QHash<QUuid, QByteArrayView>& asRead) {
    QList<std::pair<QString, QUuid>> keys;
    keys.reserve(dictionary.size() + asRead.size());
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        keys.append({uuidText(it.key()), it.key()});
    for (auto it = asRead.cbegin(); it != asRead.cend(); ++it) {
        if (!dictionary.contains(it.key()))
            keys.append({uuidText(it.key()), it.key()});
    }
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return keys;
}

// A dictionary's flat array as its pieces: each key's quoted text and the entry's JSON. The bytes are shared
// with what the encoder keeps, so nothing is copied until the whole snapshot is joined once.
using Pairs = QList<std::pair<QByteArray, QByteArray>>;

qsizetype arraySize(const Pairs& pairs) {
    qsizetype size = 2;
    for (const auto& [key, value] : pairs)
        size += key.size() + value.size() + 2;
    return size;
}

void appendArray(QByteArray& out, const Pairs& pairs) {
    out += '[';
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (i > 0)
            out += ',';
        out += pairs[i].first;
        out += ',';
        out += pairs[i].second;
    }
    out += ']';
}

// Not copied: the view's bytes outlive the encoding.
QByteArray unowned(QByteArrayView bytes) {
    return QByteArray::fromRawData(bytes.data(), bytes.size());
}

QByteArray quoted(const QString& key) {
    // Upper-case hexadecimal and dashes: nothing to escape.
    return '"' + key.toLatin1() + '"';
}

// Keeps only the entries of ids the snapshot still has, so the cache never outgrows the state.
template <typename Cache, typename Dictionary> void prune(Cache& cache, const Dictionary& dictionary) {
    cache.removeIf([&](const auto& entry) { return !dictionary.contains(entry.key()); });
}

} // namespace

const std::optional<QByteArray>& SnapshotEncoder::forecastBytes(const QUuid& id,
                                                                const ConsensusForecast& forecast) {
    auto it = m_forecasts.find(id);
    if (it == m_forecasts.end() || !(it->value == forecast)) {
        it = m_forecasts.insert(id, {forecast, CachedWeatherPayload::forecastEntryBytes(id, forecast)});
    }
    return it->bytes;
}

const QByteArray& SnapshotEncoder::providerForecastBytes(const QUuid& id,
                                                         const QList<ProviderForecast>& list) {
    auto it = m_providerForecasts.find(id);
    if (it == m_providerForecasts.end() || !(it->value == list))
        it = m_providerForecasts.insert(id,
                                        {list, CachedWeatherPayload::providerForecastsEntryBytes(id, list)});
    return *it->bytes;
}

std::optional<QByteArray> SnapshotEncoder::selectedForecastBytes(const ConsensusForecast& forecast) {
    // Usually the selected place's entry of `forecasts`, encoded already.
    for (const auto& entry : std::as_const(m_forecasts)) {
        if (entry.value.location.id == forecast.location.id && entry.bytes && entry.value == forecast)
            return entry.bytes;
    }
    if (!m_selected || !(m_selected->value == forecast))
        m_selected =
            Entry<ConsensusForecast>{forecast, CachedWeatherPayload::selectedForecastBytes(forecast)};
    return m_selected->bytes;
}

QList<std::pair<QByteArray, QByteArray>>
SnapshotEncoder::forecastPairs(const CachedWeatherPayload& payload,
                               const QHash<QUuid, QByteArrayView>& asRead) {
    Pairs pairs;
    for (const auto& [text, id] : sortedKeys(payload.forecasts, asRead)) {
        const auto value = payload.forecasts.constFind(id);
        if (value == payload.forecasts.cend())
            pairs.append({quoted(text), unowned(asRead.value(id))});
        else if (const auto& bytes = forecastBytes(id, *value))
            pairs.append({quoted(text), *bytes});
    }
    return pairs;
}

QList<std::pair<QByteArray, QByteArray>>
SnapshotEncoder::providerForecastPairs(const CachedWeatherPayload& payload,
                                       const QHash<QUuid, QByteArrayView>& asRead) {
    Pairs pairs;
    for (const auto& [text, id] : sortedKeys(payload.providerForecasts, asRead)) {
        const auto value = payload.providerForecasts.constFind(id);
        pairs.append({quoted(text), value == payload.providerForecasts.cend()
                                        ? unowned(asRead.value(id))
                                        : providerForecastBytes(id, *value)});
    }
    return pairs;
}

Coded<QByteArray> SnapshotEncoder::encode(const CachedWeatherPayload& payload, qsizetype* forecastsWritten,
                                          const FileEntries& asRead) {
    // The small parts go through the plain encoder; the large dictionaries are spliced in where it puts them,
    // in the key order of its object.
    CachedWeatherPayload rest = payload;
    rest.selectedForecast.reset();
    rest.forecasts.clear();
    rest.providerForecasts.clear();
    QJsonObject top;
    try {
        top = rest.toJson();
    } catch (const EncodingError& e) {
        return {std::nullopt, e.message()};
    }
    const QString selectedKey = QStringLiteral("selectedForecast");
    std::optional<QByteArray> selected;
    if (payload.selectedForecast) {
        selected = selectedForecastBytes(*payload.selectedForecast);
        if (selected)
            top.insert(selectedKey, QJsonValue());
    }

    // Joined into one buffer of the final size: a snapshot of hundreds of places is tens of megabytes, and
    // growing it step by step would copy it several times over.
    const Pairs forecasts = forecastPairs(payload, asRead.forecasts);
    const Pairs providerForecasts = providerForecastPairs(payload, asRead.providerForecasts);
    Pairs parts;
    qsizetype size = 2;
    for (auto it = top.constBegin(); it != top.constEnd(); ++it) {
        const QByteArray key = '"' + it.key().toUtf8() + "\":";
        QByteArray value;
        if (it.key() == u"forecasts")
            size += arraySize(forecasts);
        else if (it.key() == u"providerForecasts")
            size += arraySize(providerForecasts);
        else
            value = it.key() == selectedKey ? *selected : compact(it.value());
        size += key.size() + value.size() + 1;
        parts.append({key, value});
    }
    QByteArray out;
    out.reserve(size);
    out += '{';
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += ',';
        const auto& [key, value] = parts[i];
        out += key;
        if (key == "\"forecasts\":")
            appendArray(out, forecasts);
        else if (key == "\"providerForecasts\":")
            appendArray(out, providerForecasts);
        else
            out += value;
    }
    out += '}';
    if (forecastsWritten)
        *forecastsWritten = forecasts.size();
    prune(m_forecasts, payload.forecasts);
    prune(m_providerForecasts, payload.providerForecasts);
    return {out, {}};
}

} // namespace nimbra
