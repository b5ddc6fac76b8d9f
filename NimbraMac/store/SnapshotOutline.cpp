#include "SnapshotOutline.h"

#include <algorithm>
#include <array>

namespace nimbra {
namespace {

constexpr std::array tableKeys = {QByteArrayView("forecasts"), QByteArrayView("providerForecasts")};

bool isTable(QByteArrayView key) {
    return std::find(tableKeys.cbegin(), tableKeys.cend(), key) != tableKeys.cend();
}

// The id a table's key names, when it is a plain string that reads as one.
std::optional<QUuid> keyID(QByteArrayView key) {
    if (key.size() < 2 || !key.startsWith('"') || key.contains('\\'))
        return std::nullopt;
    try {
        return json::asUUID(QJsonValue(QString::fromUtf8(key.sliced(1, key.size() - 2))), u"key");
    } catch (const DecodingError&) {
        return std::nullopt;
    }
}

ForecastTables tablesIn(const Coded<CachedWeatherPayload>& decoded) {
    if (!decoded)
        return {};
    return {decoded->forecasts, decoded->providerForecasts};
}

} // namespace

std::optional<SnapshotOutline> SnapshotOutline::of(QByteArray bytes) {
    auto outline = JsonOutline::of(bytes);
    if (!outline)
        return std::nullopt;
    return SnapshotOutline(std::move(bytes), std::move(*outline));
}

template <typename Keep>
Coded<CachedWeatherPayload> SnapshotOutline::decodedMembers(Keep keep, QStringList* dropped) const {
    QByteArray document("{");
    for (const JsonMember& m : m_outline.members()) {
        if (!keep(m))
            continue;
        if (document.size() > 1)
            document += ',';
        document.append('"' + m.key + "\":").append(m.value.in(m_bytes));
    }
    document += '}';
    return CachedWeatherPayload::decode(document, dropped);
}

Coded<CachedWeatherPayload> SnapshotOutline::leading(QStringList* dropped) const {
    return decodedMembers([](const JsonMember& m) { return !isTable(m.key); }, dropped);
}

Coded<CachedWeatherPayload> SnapshotOutline::places() const {
    return decodedMembers(
        [](const JsonMember& m) {
            return m.key == "locations" || m.key == "settings" || m.key == "deletedLocations";
        },
        nullptr);
}

ForecastTables SnapshotOutline::tables(QStringList* dropped) const {
    return tablesIn(decodedMembers([](const JsonMember& m) { return isTable(m.key); }, dropped));
}

const QList<JsonSpan>* SnapshotOutline::pairsOf(const JsonMember& table) const {
    if (!table.value.in(m_bytes).startsWith('[') || table.elements.size() % 2 != 0)
        return nullptr;
    return &table.elements;
}

QByteArray SnapshotOutline::selectedPairs(const JsonMember& table, const QSet<QUuid>& ids) const {
    QByteArray array("[");
    // Not an array of pairs: decoding drops the whole table, so nothing of it is selected either.
    if (!pairsOf(table))
        return array + ']';
    for (qsizetype i = 0; i + 1 < table.elements.size(); i += 2) {
        const auto id = keyID(table.elements[i].in(m_bytes));
        if (!id || !ids.contains(*id))
            continue;
        if (array.size() > 1)
            array += ',';
        array.append(table.elements[i].in(m_bytes)).append(',').append(table.elements[i + 1].in(m_bytes));
    }
    return array + ']';
}

template <typename Keep>
ForecastTables SnapshotOutline::selectedTables(const QSet<QUuid>& ids, Keep keep,
                                               QStringList* dropped) const {
    if (ids.isEmpty())
        return {};
    QByteArray document("{");
    for (const JsonMember& m : m_outline.members()) {
        if (!isTable(m.key) || !keep(m.key))
            continue;
        if (document.size() > 1)
            document += ',';
        document += '"' + m.key + "\":" + selectedPairs(m, ids);
    }
    document += '}';
    return tablesIn(CachedWeatherPayload::decode(document, dropped));
}

std::optional<QHash<QUuid, QByteArrayView>> SnapshotOutline::entryBytes(QByteArrayView key) const {
    QHash<QUuid, QByteArrayView> entries;
    const JsonMember* table = m_outline.member(key);
    const QList<JsonSpan>* pairs = table ? pairsOf(*table) : nullptr;
    if (!pairs)
        return entries;
    for (qsizetype i = 0; i + 1 < pairs->size(); i += 2) {
        const QByteArrayView text = (*pairs)[i].in(m_bytes);
        if (text.contains('\\'))
            return std::nullopt;
        // A later pair of the same key wins, as in decoding; one that names no id is dropped there too.
        if (const auto id = keyID(text))
            entries.insert(*id, (*pairs)[i + 1].in(m_bytes));
    }
    return entries;
}

std::optional<ForecastTables> SnapshotOutline::tables(const std::atomic<bool>& stop,
                                                      QStringList* dropped) const {
    // Each part is every pair of its places, so a key written twice decodes as in the whole table.
    constexpr qsizetype partSize = 4;
    const auto forecasts = entryBytes("forecasts");
    const auto providerForecasts = entryBytes("providerForecasts");
    if (!forecasts || !providerForecasts)
        return tables(dropped);
    QSet<QUuid> all(forecasts->keyBegin(), forecasts->keyEnd());
    all.unite(QSet<QUuid>(providerForecasts->keyBegin(), providerForecasts->keyEnd()));
    const QList<QUuid> ids = all.values();
    ForecastTables out;
    for (qsizetype first = 0; first < ids.size(); first += partSize) {
        if (stop.load())
            return std::nullopt;
        const QList<QUuid> part = ids.mid(first, partSize);
        const ForecastTables decoded = selectedTables(
            QSet<QUuid>(part.cbegin(), part.cend()), [](QByteArrayView) { return true; }, dropped);
        out.forecasts.insert(decoded.forecasts);
        out.providerForecasts.insert(decoded.providerForecasts);
    }
    return out;
}

ForecastTables SnapshotOutline::tablesOf(const QSet<QUuid>& ids) const {
    return selectedTables(ids, [](QByteArrayView) { return true; });
}

ForecastsByLocation SnapshotOutline::forecastsOf(const QSet<QUuid>& ids) const {
    return selectedTables(ids, [](QByteArrayView key) { return key == "forecasts"; }).forecasts;
}

} // namespace nimbra
