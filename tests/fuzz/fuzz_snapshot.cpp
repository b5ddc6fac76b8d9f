// The snapshot file (and the synced mirror's payload): a snapshot that loads, saved and loaded again, is
// unchanged. Its hourly samples read straight from the bytes decode to what the whole text decodes to
// through Qt's tree, down to the samples' bits, the dropped entries and the error. Outlined (how a launch
// reads it), the same bytes decode in parts to what they decode to whole, and whatever the outline takes
// Qt's parser takes too.
#include "FuzzSupport.h"
#include "SnapshotOutline.h"

#include <bit>

using namespace nimbra;

namespace {

bool sameBits(const std::optional<double>& a, const std::optional<double>& b) {
    return a.has_value() == b.has_value() && (!a || std::bit_cast<quint64>(*a) == std::bit_cast<quint64>(*b));
}

bool identical(const QList<WeatherSample>& a, const QList<WeatherSample>& b) {
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const auto& x, const auto& y) {
        return x == y && sameBits(x.temperatureC, y.temperatureC) &&
               sameBits(x.apparentTemperatureC, y.apparentTemperatureC) && sameBits(x.humidity, y.humidity) &&
               sameBits(x.windKph, y.windKph) &&
               sameBits(x.precipitationProbability, y.precipitationProbability) &&
               sameBits(x.precipitationIntensityMmPerHour, y.precipitationIntensityMmPerHour);
    });
}

void requireTreeAgrees(const QByteArray& bytes, const Coded<CachedWeatherPayload>& decoded,
                       const QStringList& dropped) {
    QStringList treeDropped;
    const Coded<CachedWeatherPayload> tree = CachedWeatherPayload::decodeThroughTree(bytes, &treeDropped);
    fuzz::require(bool(decoded) == bool(tree) && decoded.error == tree.error,
                  "the decode fails as the tree's does", decoded.error + QStringLiteral(" / ") + tree.error);
    fuzz::require(dropped == treeDropped, "the decode drops what the tree's drops");
    if (!tree)
        return;
    fuzz::require(*decoded == *tree, "the decode gives the tree's records");
    if (decoded->selectedForecast)
        fuzz::require(identical(decoded->selectedForecast->hourly, tree->selectedForecast->hourly),
                      "the selected forecast's hours are the tree's to the bit");
    for (auto it = decoded->forecasts.cbegin(); it != decoded->forecasts.cend(); ++it)
        fuzz::require(identical(it->hourly, tree->forecasts.value(it.key()).hourly),
                      "a forecast's hours are the tree's to the bit");
    for (auto it = decoded->providerForecasts.cbegin(); it != decoded->providerForecasts.cend(); ++it) {
        const QList<ProviderForecast> other = tree->providerForecasts.value(it.key());
        for (qsizetype i = 0; i < it->size(); ++i)
            fuzz::require(identical(it->at(i).hourly, other[i].hourly),
                          "a provider forecast's hours are the tree's to the bit");
    }
}

void requireOutlineAgrees(const QByteArray& bytes, const Coded<CachedWeatherPayload>& whole) {
    const auto outline = SnapshotOutline::of(bytes);
    if (!outline)
        return;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    fuzz::require(error.error == QJsonParseError::NoError && document.isObject(),
                  "bytes the outline takes are a JSON object to Qt", error.errorString());
    const Coded<CachedWeatherPayload> leading = outline->leading();
    fuzz::require(bool(leading) == bool(whole), "the outlined snapshot fails where the whole one fails",
                  whole.error);
    if (!whole)
        return;
    CachedWeatherPayload parts = *leading;
    const ForecastTables tables = outline->tables();
    parts.forecasts = tables.forecasts;
    parts.providerForecasts = tables.providerForecasts;
    fuzz::require(parts == *whole, "the outlined snapshot decodes in parts to the whole");
    // Keys written with escapes are left to the whole tables.
    if (bytes.contains('\\'))
        return;
    const QList<QUuid> keys = whole->forecasts.keys() + whole->providerForecasts.keys();
    fuzz::require(outline->tablesOf(QSet<QUuid>(keys.cbegin(), keys.cend())) == tables,
                  "the entries of every place are the whole tables");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    const QByteArray bytes = fuzz::bytes(data, size);
    QStringList dropped;
    const Coded<CachedWeatherPayload> loaded = CachedWeatherPayload::decode(bytes, &dropped);
    requireTreeAgrees(bytes, loaded, dropped);
    requireOutlineAgrees(bytes, loaded);
    if (!loaded)
        return 0;
    fuzz::requireRoundTrip(*loaded, "a loaded snapshot, saved and loaded again");
    return 0;
}
