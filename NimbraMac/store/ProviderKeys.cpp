#include "ProviderKeys.h"

#include "PlaceholderWeatherClient.h"
#include "TaskDeadline.h"
#include "WeatherRefreshPipeline.h"

#include <QCoreApplication>
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

// The store's texts, where they were written first.
QString ProviderKeys::noCurrentWeatherMessage() {
    return QCoreApplication::translate("nimbra::WeatherStore", "No current weather returned.");
}

QString ProviderKeys::providerUnavailableMessage() {
    return QCoreApplication::translate("nimbra::WeatherStore", "Provider is unavailable.");
}

ProviderKeys::ProviderKeys(std::shared_ptr<WeatherProviderCredentialStore> credentialStore,
                           ProviderEnvironment providers, std::chrono::milliseconds checkTimeout)
    : m_credentialStore(std::move(credentialStore)), m_providers(std::move(providers)),
      m_checkTimeout(checkTimeout) {}

void ProviderKeys::setInMemory(const QString& key, WeatherProviderKind kind) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherProviderCredentials copy = m_credentials;
    copy.setAPIKey(key, kind);
    if (!m_read)
        m_setBeforeRead.insert(kind);
    setCredentials(copy);
    setCheckStatus(kind, copy.apiKey(kind).isEmpty() ? APIKeyCheckStatus::missing()
                                                     : APIKeyCheckStatus::notChecked());
}

QCoro::Task<void> ProviderKeys::save() {
    Q_ASSERT(QThread::currentThread() == thread());
    const quint64 generation = ++m_saveGeneration;
    const QPointer<ProviderKeys> self(this);
    const auto call = keyringCall();
    // A save that outlasts the time-out may still end: its outcome then replaces the failure shown.
    const auto report = [self, generation](const std::optional<QString>& failure) {
        if (self && self->m_saveGeneration == generation)
            Q_EMIT self->saveReported(failure);
    };
    QCoro::Task<std::optional<QString>> saving =
        m_credentialStore->saveInBackground(m_credentials, known(), report);
    const std::optional<QString> failure = co_await std::move(saving);
    report(failure);
}

APIKeyCheckStatus ProviderKeys::checkStatus(WeatherProviderKind kind) const {
    if (m_credentials.apiKey(kind).isEmpty())
        return APIKeyCheckStatus::missing();
    return m_checkStatuses.value(kind, APIKeyCheckStatus::notChecked());
}

QCoro::Task<void> ProviderKeys::check(WeatherProviderKind kind, std::function<WeatherLocation()> where) {
    Q_ASSERT(QThread::currentThread() == thread());
    if (!ProviderClientFactory::takesKey(kind))
        co_return;
    const QPointer<ProviderKeys> self(this);
    if (!known().contains(kind)) {
        co_await read();
        if (!self)
            co_return;
        if (!known().contains(kind)) {
            setCheckStatus(kind, APIKeyCheckStatus::invalid(
                                     WeatherProviderCredentialStore::keyringNotAnsweringMessage()));
            co_return;
        }
    }
    const QString key = m_credentials.apiKey(kind);
    if (key.isEmpty()) {
        setCheckStatus(kind, APIKeyCheckStatus::missing());
        co_return;
    }
    const quint64 generation = ++m_checkGenerations[kind];
    setCheckStatus(kind, APIKeyCheckStatus::checking());

    // Enabled or not: a provider can be checked before it is switched on.
    const QList<WeatherProviderClientPtr> built = clients(ProviderSet{kind}, false);
    if (built.isEmpty()) {
        setCheckStatus(kind, APIKeyCheckStatus::invalid(providerUnavailableMessage()));
        co_return;
    }
    const CancellationToken cancel = makeCancellation();
    const std::optional<ProviderForecast> answer =
        co_await withDeadline(forecastHolding(built.first(), where(), cancel), m_checkTimeout);
    if (!answer)
        cancel->cancel();
    if (!self)
        co_return;
    // The badge vouches only for the key that was tested, and only the latest check of a kind speaks.
    if (m_credentials.apiKey(kind) != key || m_checkGenerations.value(kind) != generation)
        co_return;

    if (!answer)
        setCheckStatus(kind, APIKeyCheckStatus::invalid(WeatherRefreshPipeline::timeoutMessage()));
    else if (answer->errorMessage && !answer->errorMessage->isEmpty())
        setCheckStatus(kind, APIKeyCheckStatus::invalid(*answer->errorMessage));
    else if (!answer->current)
        setCheckStatus(kind, APIKeyCheckStatus::invalid(noCurrentWeatherMessage()));
    else
        setCheckStatus(kind, APIKeyCheckStatus::valid(m_providers.clock->now()));
}

QList<WeatherProviderClientPtr> ProviderKeys::clients(const ProviderSet& kinds, bool useFixtures) const {
    QList<WeatherProviderClientPtr> built =
        ProviderClientFactory{m_credentials.configuration(), useFixtures, m_providers}.clients(kinds);
    if (useFixtures)
        return built;
    // A key the keyring did not give is not a missing key: the provider says why it has none.
    const ProviderSet knownKinds = known();
    for (WeatherProviderClientPtr& client : built) {
        const WeatherProviderKind kind = client->provider();
        if (ProviderClientFactory::takesKey(kind) && !knownKinds.contains(kind))
            client = std::make_shared<PlaceholderWeatherClient>(
                kind, WeatherProviderCredentialStore::keyringNotAnsweringMessage(), m_providers.clock);
    }
    return built;
}

QCoro::Task<QList<WeatherProviderClientPtr>> ProviderKeys::clientsAfterReading(ProviderSet kinds,
                                                                               bool useFixtures) {
    const QPointer<ProviderKeys> self(this);
    co_await read();
    if (!self)
        co_return QList<WeatherProviderClientPtr>();
    co_return clients(kinds, useFixtures);
}

QScopeGuard<std::function<void()>> ProviderKeys::keyringCall() {
    ++m_keyringCallsRunning;
    return QScopeGuard<std::function<void()>>([self = QPointer<ProviderKeys>(this)] {
        if (self)
            --self->m_keyringCallsRunning;
    });
}

QCoro::Task<void> ProviderKeys::read() {
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_read)
        co_return;
    const QPointer<ProviderKeys> self(this);
    const auto call = keyringCall();
    const std::optional<WeatherProviderCredentials> keys = co_await m_credentialStore->loadInBackground();
    if (self && keys)
        adoptRead(*keys);
}

void ProviderKeys::adoptRead(const WeatherProviderCredentials& read) {
    if (m_read)
        return; // a second read that ended later
    WeatherProviderCredentials merged = read;
    for (const WeatherProviderKind kind : std::as_const(m_setBeforeRead))
        merged.setAPIKey(m_credentials.apiKey(kind), kind);
    m_read = true;
    m_setBeforeRead.clear();
    setCredentials(merged);
}

ProviderSet ProviderKeys::known() const {
    ProviderSet kinds;
    for (const WeatherProviderKind kind : providers::allCases()) {
        if (ProviderClientFactory::takesKey(kind) && (m_read || m_setBeforeRead.contains(kind)))
            kinds.insert(kind);
    }
    return kinds;
}

void ProviderKeys::setCredentials(const WeatherProviderCredentials& credentials) {
    if (m_credentials == credentials)
        return;
    Q_EMIT willChange();
    m_credentials = credentials;
}

void ProviderKeys::setCheckStatus(WeatherProviderKind kind, const APIKeyCheckStatus& status) {
    const auto it = m_checkStatuses.constFind(kind);
    if (it != m_checkStatuses.constEnd() && *it == status)
        return;
    Q_EMIT willChange();
    m_checkStatuses.insert(kind, status);
}

} // namespace nimbra
