// The settings as the snapshot stores them: whatever reads must write and read back the same.
#include "FuzzSupport.h"
#include "JsonCodec.h"
#include "WeatherSettings.h"

using namespace nimbra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    const Coded<WeatherSettings> settings = decodeDocument<WeatherSettings>(fuzz::bytes(data, size));
    if (!settings)
        return 0;
    const Coded<WeatherSettings> again = decodeValue<WeatherSettings>(settings->toJson());
    fuzz::require(bool(again), "written settings read back", again.error);
    fuzz::require(*again == *settings, "settings read back unchanged",
                  QString::fromUtf8(QJsonDocument(settings->toJson()).toJson(QJsonDocument::Compact)));
    const int minutes = effectiveRefreshIntervalMinutes(settings->refreshIntervalMinutes);
    fuzz::require(minutes >= 15 && minutes <= 24 * 60, "the refresh interval the timers use is bounded",
                  QString::number(minutes));
    return 0;
}
