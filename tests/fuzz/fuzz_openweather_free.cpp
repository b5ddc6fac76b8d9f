// OpenWeather's free 2.5 API: the current weather and the 3-hour forecast answers (joined by a NUL byte),
// decoded and combined as the client does.
#include "FuzzSupport.h"
#include "OpenWeatherMapping.h"

using namespace nimbra;

namespace {

std::optional<ProviderForecast> decode(const fuzz::Answer& a) {
    const QList<QByteArray> answers = fuzz::parts(a.input, 2);
    const auto current = decodeDocument<OpenWeatherFreeCurrentResponse>(answers[0]);
    const auto forecast = decodeDocument<OpenWeatherFreeForecastResponse>(answers[1]);
    if (!current || !forecast)
        return std::nullopt;
    return openweather::makeForecast(openweather::combined(*current, *forecast, a.calendar), a.location,
                                     a.now);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::checkForecastDecoder(data, size, QDateTime(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC),
                                      decode);
}
