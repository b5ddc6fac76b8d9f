// The store's settings and API-key operations.
#include "WeatherStore.h"

#include <QThread>

namespace nimbra {

void WeatherStore::updateSettings(const std::function<void(WeatherSettings&)>& change) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherSettings copy = m_settings;
    change(copy);
    setSettings(copy);
    persist();
}

QCoro::Task<void> WeatherStore::updateAPIKey(const QString& key, WeatherProviderKind kind) {
    updateAPIKeyInMemory(key, kind);
    return saveAPIKeys();
}

void WeatherStore::reportKeySave(const std::optional<QString>& failure) {
    // A key the keyring did not take works until quit and is then gone: the user must know.
    setSaveError(m_keySaveError, failure);
    if (failure)
        setLastError(*failure);
    else if (m_lastError == WeatherProviderCredentialStore::saveFailureMessage())
        setLastError(std::nullopt);
}

WeatherLocation WeatherStore::validationLocation() const {
    if (const auto selected = selectedLocation(); selected && hasPositionFix(*selected))
        return *selected;
    if (const auto current = currentLocation(); current && hasPositionFix(*current))
        return *current;
    return {QUuid::createUuid(),
            QStringLiteral("API Check"),
            QStringLiteral("Validation coordinate"),
            51.5072,
            -0.1276,
            false,
            true,
            now()};
}

QCoro::Task<void> WeatherStore::checkAPIKey(WeatherProviderKind kind) {
    return m_keys->check(kind, [this] { return validationLocation(); });
}

} // namespace nimbra
