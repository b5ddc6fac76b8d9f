// The snapshot file (and the synced mirror's payload): a snapshot that loads, saved and loaded again, is
// unchanged.
#include "FuzzSupport.h"

using namespace nimbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    const Coded<CachedWeatherPayload> loaded = CachedWeatherPayload::decode(fuzz::bytes(data, size));
    if (!loaded)
        return 0;
    fuzz::requireRoundTrip(*loaded, "a loaded snapshot, saved and loaded again");
    return 0;
}
