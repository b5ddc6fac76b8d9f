#pragma once

#include "CurrentLocationError.h"
#include "WeatherLocation.h"

#include <QObject>
#include <QString>
#include <QUuid>

#include <QCoro/QCoroTask>

#include <optional>

namespace nimbra {

// The outcome of one current-location resolution: the place, or the text that tells the user why there is
// none.
struct CurrentLocationResult {
    std::optional<WeatherLocation> location;
    QString errorDescription;
    // The service's own reason; absent when the location service itself failed (its text is the description).
    std::optional<CurrentLocationError> error = std::nullopt;

    explicit operator bool() const { return location.has_value(); }
};

// The device's position, named by reverse geocoding. Lives on the main thread, as the store does.
class CurrentLocationService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CurrentLocationService() override = default;

    // One fix. A found place keeps `existingID` as its id and has `isCurrentLocation` and
    // `allowsApproximateLocation` set.
    virtual QCoro::Task<CurrentLocationResult> resolveCurrentLocation(QUuid existingID) = 0;
    // Withdraws the request still waiting for a fix, if any: its caller hears that the lookup was cancelled.
    virtual void cancelPendingRequest() {}
};

} // namespace nimbra
