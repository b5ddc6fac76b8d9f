// Visual Crossing's timeline answer, decoded and mapped as the client does with a successful answer.
#include "FuzzSupport.h"
#include "VisualCrossingMapping.h"

using namespace nimbra;

namespace {

std::optional<ProviderForecast> decode(const fuzz::Answer& a) {
    const auto decoded = decodeDocument<VisualCrossingResponse>(a.input);
    if (!decoded)
        return std::nullopt;
    return visualcrossing::makeForecast(*decoded, a.location, a.now, a.calendar);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::checkForecastDecoder(data, size, QDateTime(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC),
                                      decode);
}
