#pragma once

#include <QUrl>

namespace nimbra {

// The address NIMBRA_PROVIDER_BASE_URL names for every outside request: the weather providers, the place
// search and the naming of the current location (offline runs and checks that must not reach a real
// service). Empty when the variable is unset or empty: each service keeps its own address.
QUrl providerBaseURLOverride();

} // namespace nimbra
