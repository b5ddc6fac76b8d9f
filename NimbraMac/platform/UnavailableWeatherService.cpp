#include "UnavailableWeatherService.h"

namespace nimbra {

QCoro::Task<WeatherServiceAnswer> UnavailableWeatherService::weather(double, double, CancellationToken) {
    co_return WeatherServiceAnswer::failure(unavailableDescription());
}

} // namespace nimbra
