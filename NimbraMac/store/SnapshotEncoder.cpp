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

// The dictionaries' keys in the order the plain encoder writes them.
template <typename Value> QList<std::pair<QString, QUuid>> sortedKeys(const QHash<QUuid, Value>& dictionary) {
    QList<std::pair<QString, QUuid>> keys;
    keys.reserve(dictionary.size());
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        keys.append({uuidText(it.key()), it.key()});
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return keys;
}

void appendPair(QByteArray& out, const QString& key, const QByteArray& value) {
    if (out.size() > 1)
        out += ',';
    // Upper-case hexadecimal and dashes: nothing to escape.
    out += '"' + key.toLatin1() + "\"," + value;
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

QByteArray SnapshotEncoder::forecastsArray(const CachedWeatherPayload& payload, qsizetype* written) {
    QByteArray out("[");
    qsizetype count = 0;
    for (const auto& [text, id] : sortedKeys(payload.forecasts)) {
        if (const auto& bytes = forecastBytes(id, payload.forecasts.value(id))) {
            appendPair(out, text, *bytes);
            ++count;
        }
    }
    if (written)
        *written = count;
    return out + ']';
}

QByteArray SnapshotEncoder::providerForecastsArray(const CachedWeatherPayload& payload) {
    QByteArray out("[");
    for (const auto& [text, id] : sortedKeys(payload.providerForecasts))
        appendPair(out, text, providerForecastBytes(id, payload.providerForecasts.value(id)));
    return out + ']';
}

Coded<QByteArray> SnapshotEncoder::encode(const CachedWeatherPayload& payload, qsizetype* forecastsWritten) {
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

    QByteArray out("{");
    for (auto it = top.constBegin(); it != top.constEnd(); ++it) {
        if (out.size() > 1)
            out += ',';
        out += '"' + it.key().toUtf8() + "\":";
        if (it.key() == u"forecasts")
            out += forecastsArray(payload, forecastsWritten);
        else if (it.key() == u"providerForecasts")
            out += providerForecastsArray(payload);
        else if (it.key() == selectedKey)
            out += *selected;
        else
            out += compact(it.value());
    }
    out += '}';
    prune(m_forecasts, payload.forecasts);
    prune(m_providerForecasts, payload.providerForecasts);
    return {out, {}};
}

} // namespace nimbra
