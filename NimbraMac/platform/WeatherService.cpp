#include "WeatherService.h"

#include "UnavailableWeatherService.h"

namespace nimbra {

std::shared_ptr<WeatherService> WeatherService::shared() {
    static const std::shared_ptr<WeatherService> service = std::make_shared<UnavailableWeatherService>();
    return service;
}

} // namespace nimbra
