#pragma once

#include "Cancellation.h"
#include "ProviderForecast.h"
#include "WeatherLocation.h"

#include <QCoro/QCoroTask>

#include <memory>

namespace nimbra {

// One weather provider behind a common face. forecast() never fails: a failure is a ProviderForecast whose
// errorMessage says why. Coroutines take their parameters by value: they outlive their caller's references.
class WeatherProviderClient {
public:
    virtual ~WeatherProviderClient() = default;
    virtual WeatherProviderKind provider() const = 0;
    virtual QCoro::Task<ProviderForecast> forecast(WeatherLocation location, CancellationToken cancel) = 0;
};

using WeatherProviderClientPtr = std::shared_ptr<WeatherProviderClient>;

} // namespace nimbra
