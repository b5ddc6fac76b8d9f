// Nominatim's reverse-geocoding answer, named as the current-location entry is named.
#include "DeviceCurrentLocationService.h"
#include "FuzzSupport.h"
#include "Geocoder.h"

using namespace nimbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    const ReverseGeocodeResult result =
        NominatimGeocoder::result(HTTPResponse{200, {}, fuzz::bytes(data, size), {}, false});
    if (result.error)
        fuzz::require(result.placemarks.isEmpty(), "a failed lookup names no place");

    CachedWeatherPayload payload;
    const std::optional<Placemark> placemark =
        result.placemarks.isEmpty() ? std::nullopt : std::optional(result.placemarks.first());
    WeatherLocation location = fuzz::sampleLocation();
    location.name = DeviceCurrentLocationService::placeName(placemark);
    location.subtitle = DeviceCurrentLocationService::placeSubtitle(placemark, location.name);
    location.isCurrentLocation = true;
    fuzz::require(!location.name.trimmed().isEmpty(), "the current location has a name to show");
    fuzz::require(!location.subtitle.trimmed().isEmpty(), "the current location has a subtitle to show");
    payload.locations = {location};
    fuzz::requireRoundTrip(payload, "the named current location, in the snapshot");
    return 0;
}
