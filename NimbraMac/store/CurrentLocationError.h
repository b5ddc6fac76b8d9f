#pragma once

#include <QString>

namespace nimbra {

// Why the current location could not be found, beyond the location service's own errors.
enum class CurrentLocationError { servicesDisabled, permissionDenied, unavailable, cancelled };

// The text the user sees.
QString errorDescription(CurrentLocationError error);

} // namespace nimbra
