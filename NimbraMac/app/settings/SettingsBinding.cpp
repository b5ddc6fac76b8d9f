#include "SettingsBinding.h"

namespace nimbra {

bool SettingsBinding::isProviderEnabled(WeatherProviderKind kind) const {
    return m_store->settings().enabledProviders.contains(kind);
}

void SettingsBinding::setProviderEnabled(WeatherProviderKind kind, bool enabled) const {
    m_store->updateSettings([&](WeatherSettings& s) {
        if (enabled)
            s.enabledProviders.insert(kind);
        else
            s.enabledProviders.remove(kind);
    });
}

} // namespace nimbra
