// The store's settings and API-key operations.
#include "WeatherStore.h"

#include "TaskDeadline.h"
#include "WeatherRefreshPipeline.h"

#include <QPointer>
#include <QScopeGuard>
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

QCoro::Task<void> WeatherStore::updateAPIKey(const QString& key, WeatherProviderKind kind) {
    updateAPIKeyInMemory(key, kind);
    return saveAPIKeys();
}

void WeatherStore::updateAPIKeyInMemory(const QString& key, WeatherProviderKind kind) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherProviderCredentials copy = m_providerCredentials;
    copy.setAPIKey(key, kind);
    if (!m_keysRead)
        m_keysSetBeforeRead.insert(kind);
    setProviderCredentials(copy);
    setAPIKeyCheckStatus(kind, copy.apiKey(kind).isEmpty() ? APIKeyCheckStatus::missing()
                                                           : APIKeyCheckStatus::notChecked());
}

QCoro::Task<void> WeatherStore::saveAPIKeys() {
    Q_ASSERT(QThread::currentThread() == thread());
    const quint64 generation = ++m_keySaveGeneration;
    const QPointer<WeatherStore> self(this);
    const auto call = keyringCall();
    // A save that outlasts the time-out may still end: its outcome then replaces the failure shown.
    const auto report = [self, generation](const std::optional<QString>& failure) {
        if (self && self->m_keySaveGeneration == generation)
            self->reportKeySave(failure);
    };
    QCoro::Task<std::optional<QString>> saving =
        m_credentialStore->saveInBackground(m_providerCredentials, knownKeys(), report);
    const std::optional<QString> failure = co_await std::move(saving);
    report(failure);
}

void WeatherStore::reportKeySave(const std::optional<QString>& failure) {
    // A key the keyring did not take works until quit and is then gone: the user must know.
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
    const QPointer<WeatherStore> self(this);
    if (!knownKeys().contains(kind)) {
        co_await readAPIKeys();
        if (!self)
            co_return;
        if (!knownKeys().contains(kind)) {
            setAPIKeyCheckStatus(kind, APIKeyCheckStatus::invalid(
                                           WeatherProviderCredentialStore::keyringNotAnsweringMessage()));
            co_return;
        }
    }
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

QScopeGuard<std::function<void()>> WeatherStore::keyringCall() {
    ++m_keyringCallsRunning;
    return QScopeGuard<std::function<void()>>([self = QPointer<WeatherStore>(this)] {
        if (self)
            --self->m_keyringCallsRunning;
    });
}

QCoro::Task<void> WeatherStore::readAPIKeys() {
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_keysRead)
        co_return;
    const QPointer<WeatherStore> self(this);
    const auto call = keyringCall();
    const std::optional<WeatherProviderCredentials> read = co_await m_credentialStore->loadInBackground();
    if (self && read)
        adoptReadKeys(*read);
}

void WeatherStore::adoptReadKeys(const WeatherProviderCredentials& read) {
    if (m_keysRead)
        return; // a second read that ended later
    WeatherProviderCredentials merged = read;
    for (const WeatherProviderKind kind : std::as_const(m_keysSetBeforeRead))
        merged.setAPIKey(m_providerCredentials.apiKey(kind), kind);
    m_keysRead = true;
    m_keysSetBeforeRead.clear();
    setProviderCredentials(merged);
}

ProviderSet WeatherStore::knownKeys() const {
    ProviderSet known;
    for (const WeatherProviderKind kind : providers::allCases()) {
        if (ProviderClientFactory::takesKey(kind) && (m_keysRead || m_keysSetBeforeRead.contains(kind)))
            known.insert(kind);
    }
    return known;
}

void WeatherStore::setProviderCredentials(const WeatherProviderCredentials& credentials) {
    if (m_providerCredentials == credentials)
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
