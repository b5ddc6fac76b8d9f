#pragma once

#include "WeatherService.h"

#include <QCoreApplication>

namespace nimbra {

// There is no Apple Weather on Linux: every call fails at once with a reason the user can read, so the
// provider shows as failed like any other.
class UnavailableWeatherService final : public WeatherService {
public:
    static QString unavailableDescription() {
        return QCoreApplication::translate("UnavailableWeatherService",
                                           "Apple Weather is not available on this system.");
    }

    QCoro::Task<WeatherServiceAnswer> weather(double latitude, double longitude,
                                              CancellationToken cancel) override;
};

} // namespace nimbra
