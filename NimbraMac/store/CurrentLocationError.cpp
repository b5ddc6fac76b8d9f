#include "CurrentLocationError.h"

#include <QCoreApplication>

namespace nimbra {

QString errorDescription(CurrentLocationError error) {
    switch (error) {
    case CurrentLocationError::servicesDisabled:
        return QCoreApplication::translate(
            "CurrentLocationError",
            "Location Services are disabled. Enable Location Services or search for a city manually.");
    case CurrentLocationError::permissionDenied:
        return QCoreApplication::translate(
            "CurrentLocationError",
            "Nimbra does not have location permission. Allow location access or search for a city manually.");
    case CurrentLocationError::unavailable:
        return QCoreApplication::translate("CurrentLocationError",
                                           "Nimbra could not determine your current location.");
    case CurrentLocationError::cancelled:
        return QCoreApplication::translate("CurrentLocationError", "Current location lookup was cancelled.");
    }
    return {};
}

} // namespace nimbra
