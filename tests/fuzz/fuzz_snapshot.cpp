// The snapshot file (and the synced mirror's payload): a snapshot that loads, saved and loaded again, is
// unchanged. Outlined (how a launch reads it), the same bytes decode in parts to what they decode to whole,
// and whatever the outline takes Qt's parser takes too.
#include "FuzzSupport.h"
#include "SnapshotOutline.h"

using namespace nimbra;

namespace {

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
    const Coded<CachedWeatherPayload> loaded = CachedWeatherPayload::decode(bytes);
    requireOutlineAgrees(bytes, loaded);
    if (!loaded)
        return 0;
    fuzz::requireRoundTrip(*loaded, "a loaded snapshot, saved and loaded again");
    return 0;
}
