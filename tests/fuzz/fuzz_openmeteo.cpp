// Open-Meteo's forecast answer, through the client's own reading of a successful body.
#include "FuzzSupport.h"
#include "OpenMeteoWeatherClient.h"

using namespace nimbra;

namespace {

std::optional<ProviderForecast> decode(const fuzz::Answer& a) {
    return OpenMeteoWeatherClient::forecastFromBody(a.input, a.location, a.now, a.calendar);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::checkForecastDecoder(data, size, QDateTime(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC),
                                      decode);
}
