// The store's settings and API-key operations.
#include "WeatherStore.h"

#include "TaskDeadline.h"
#include "WeatherRefreshPipeline.h"

#include <QPointer>
#include <QThread>

namespace nimbra {
namespace {

// Keeps the client alive for as long as its answer is pending, even when the check has stopped waiting.
QCoro::Task<ProviderForecast> forecastHolding(WeatherProviderClientPtr client, WeatherLocation location,
                                              CancellationToken cancel) {
    co_return co_await client->forecast(std::move(location), std::move(cancel));
}

} // namespace

void WeatherStore::updateSettings(const std::function<void(WeatherSettings&)>& change) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherSettings copy = m_settings;
    change(copy);
    setSettings(copy);
    persist();
}

void WeatherStore::updateAPIKey(const QString& key, WeatherProviderKind kind) {
    updateAPIKeyInMemory(key, kind);
    saveAPIKeys();
}

void WeatherStore::updateAPIKeyInMemory(const QString& key, WeatherProviderKind kind) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherProviderCredentials copy = providerCredentials();
    copy.setAPIKey(key, kind);
    setProviderCredentials(copy);
    setAPIKeyCheckStatus(kind, copy.apiKey(kind).isEmpty() ? APIKeyCheckStatus::missing()
                                                           : APIKeyCheckStatus::notChecked());
}

void WeatherStore::saveAPIKeys() {
    Q_ASSERT(QThread::currentThread() == thread());
    // A key the keyring did not take works until quit and is then gone: the user must know.
    const auto failure = m_credentialStore->save(providerCredentials());
    setSaveError(m_keySaveError, failure);
    if (failure)
        setLastError(*failure);
    else if (m_lastError == WeatherProviderCredentialStore::saveFailureMessage())
        setLastError(std::nullopt);
}

APIKeyCheckStatus WeatherStore::apiKeyCheckStatus(WeatherProviderKind kind) const {
    if (providerCredentials().apiKey(kind).isEmpty())
        return APIKeyCheckStatus::missing();
    return m_apiKeyCheckStatuses.value(kind, APIKeyCheckStatus::notChecked());
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
    Q_ASSERT(QThread::currentThread() == thread());
    if (!ProviderClientFactory::takesKey(kind))
        co_return;
    const QString key = providerCredentials().apiKey(kind);
    if (key.isEmpty()) {
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::missing());
        co_return;
    }
    const quint64 generation = ++m_keyCheckGenerations[kind];
    setAPIKeyCheckStatus(kind, APIKeyCheckStatus::checking());

    // Enabled or not: a provider can be checked before it is switched on.
    const QList<WeatherProviderClientPtr> clients = providerClients(ProviderSet{kind}, false);
    if (clients.isEmpty()) {
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::invalid(providerUnavailableMessage()));
        co_return;
    }
    const CancellationToken cancel = makeCancellation();
    const QPointer<WeatherStore> self(this);
    const std::optional<ProviderForecast> answer = co_await withDeadline(
        forecastHolding(clients.first(), validationLocation(), cancel), m_environment.keyCheckTimeout);
    if (!answer)
        cancel->cancel();
    if (!self)
        co_return;
    // The badge vouches only for the key that was tested, and only the latest check of a kind speaks.
    if (providerCredentials().apiKey(kind) != key || m_keyCheckGenerations.value(kind) != generation)
        co_return;

    if (!answer)
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::invalid(WeatherRefreshPipeline::timeoutMessage()));
    else if (answer->errorMessage && !answer->errorMessage->isEmpty())
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::invalid(*answer->errorMessage));
    else if (!answer->current)
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::invalid(noCurrentWeatherMessage()));
    else
        setAPIKeyCheckStatus(kind, APIKeyCheckStatus::valid(now()));
}

const WeatherProviderCredentials& WeatherStore::providerCredentials() const {
    Q_ASSERT(QThread::currentThread() == thread());
    if (!m_providerCredentials)
        m_providerCredentials = m_credentialStore->load();
    return *m_providerCredentials;
}

void WeatherStore::setProviderCredentials(const WeatherProviderCredentials& credentials) {
    if (providerCredentials() == credentials)
        return;
    Q_EMIT objectWillChange();
    m_providerCredentials = credentials;
}

void WeatherStore::setAPIKeyCheckStatus(WeatherProviderKind kind, const APIKeyCheckStatus& status) {
    const auto it = m_apiKeyCheckStatuses.constFind(kind);
    if (it != m_apiKeyCheckStatuses.constEnd() && *it == status)
        return;
    Q_EMIT objectWillChange();
    m_apiKeyCheckStatuses.insert(kind, status);
}

} // namespace nimbra
