#pragma once

#include "WeatherStore.h"

#include <QPointer>

namespace nimbra {

// How every settings control writes: one user action is one whole-settings assignment and one persist,
// even when the value is the one already stored. Nothing is clamped, rounded or compared.
class SettingsBinding {
public:
    explicit SettingsBinding(WeatherStore* store) : m_store(store) {}

    WeatherStore* store() const { return m_store; }
    const WeatherSettings& settings() const { return m_store->settings(); }

    template <typename T> T read(T WeatherSettings::*field) const { return m_store->settings().*field; }

    template <typename T> void write(T WeatherSettings::*field, T value) const {
        m_store->updateSettings([&](WeatherSettings& s) { s.*field = std::move(value); });
    }

    bool isProviderEnabled(WeatherProviderKind kind) const;
    // Inserts or removes the kind; persists even when the set did not change.
    void setProviderEnabled(WeatherProviderKind kind, bool enabled) const;

private:
    QPointer<WeatherStore> m_store;
};

} // namespace nimbra
