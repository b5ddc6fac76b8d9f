// Open-Meteo's geocoding answer to a place search: the candidates the settings window offers.
#include "FuzzSupport.h"
#include "LocationManager.h"
#include "LocationSearchService.h"

#include <QSet>

using namespace nimbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    static const QDateTime now(QDate(2025, 6, 15), QTime(9, 30), Qt::UTC);
    const LocationSearchResult result =
        LocationSearchService::result(HTTPResponse{200, {}, fuzz::bytes(data, size), {}, false}, now);
    if (result.failed()) {
        fuzz::require(result.locations.isEmpty(), "a failed search offers no places");
        // A successful answer that cannot be read shows the fixed text, never a decoder's.
        fuzz::require(result.errorDescription == errorDescription(LocationSearchError::invalidResponse),
                      "an unreadable answer shows the fixed text", result.errorDescription);
        return 0;
    }
    QSet<QUuid> ids;
    CachedWeatherPayload payload;
    for (const WeatherLocation& location : result.locations) {
        fuzz::require(isValidCoordinate(location.latitude, location.longitude),
                      "a candidate lies on the globe", location.name);
        fuzz::require(!location.name.trimmed().isEmpty(), "a candidate has a name to show");
        ids.insert(location.id);
        payload.locations.append(location);
    }
    fuzz::require(ids.size() == result.locations.size(), "every candidate has its own id");
    fuzz::require(LocationSearchService::withoutNearDuplicates(result.locations) == result.locations,
                  "no candidate is a near-duplicate of an earlier one");
    // Any candidate may be added to the list, which the snapshot then holds.
    fuzz::requireRoundTrip(payload, "the found places, in the snapshot");
    return 0;
}
