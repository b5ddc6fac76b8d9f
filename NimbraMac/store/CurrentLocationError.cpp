#include "CurrentLocationError.h"

namespace nimbra {

QString errorDescription(CurrentLocationError error) {
    switch (error) {
    case CurrentLocationError::servicesDisabled:
        return QStringLiteral(
            "Location Services are disabled. Enable Location Services or search for a city manually.");
    case CurrentLocationError::permissionDenied:
        return QStringLiteral(
            "Nimbra does not have location permission. Allow location access or search for a city manually.");
    case CurrentLocationError::unavailable:
        return QStringLiteral("Nimbra could not determine your current location.");
    case CurrentLocationError::cancelled:
        return QStringLiteral("Current location lookup was cancelled.");
    }
    return {};
}

} // namespace nimbra
