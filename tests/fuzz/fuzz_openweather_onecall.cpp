// OpenWeather One Call 4.0: the current, hourly and daily answers (joined by NUL bytes; one document alone
// plays all three), decoded and combined as the client does.
#include "FuzzSupport.h"
#include "OpenWeatherMapping.h"

using namespace nimbra;

namespace {

std::optional<ProviderForecast> decode(const fuzz::Answer& a) {
    const QList<QByteArray> answers = fuzz::parts(a.input, 3);
    const auto current = decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(answers[0]);
    const auto hourly = decodeDocument<OpenWeatherTimelineResponse<OpenWeatherPoint>>(answers[1]);
    const auto daily = decodeDocument<OpenWeatherTimelineResponse<OpenWeatherDay>>(answers[2]);
    if (!current || !hourly || !daily)
        return std::nullopt;
    const QList<OpenWeatherPoint>& points = current->data;
    const OpenWeatherResponse response{points.isEmpty() ? std::nullopt : std::optional(points.first()),
                                       hourly->data, daily->data};
    return openweather::makeForecast(response, a.location, a.now);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::checkForecastDecoder(data, size, QDateTime(QDate(2025, 1, 20), QTime(14, 20), Qt::UTC),
                                      decode);
}
