#pragma once

#include "APIKeyCheckStatus.h"
#include "ProviderClientFactory.h"
#include "WeatherLocation.h"
#include "WeatherProviderCredentialStore.h"

#include <QHash>
#include <QObject>
#include <QScopeGuard>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// The store's API keys: read from the keyring when first needed, edited, saved back, and checked against
// their providers; and the provider clients built with them. Lives on the store's thread; willChange() goes
// out just before each change of what it publishes.
class ProviderKeys : public QObject {
    Q_OBJECT
public:
    static QString noCurrentWeatherMessage();
    static QString providerUnavailableMessage();

    // `providers` is what the clients are built over, its clock the one key checks stamp with.
    ProviderKeys(std::shared_ptr<WeatherProviderCredentialStore> credentialStore,
                 ProviderEnvironment providers, std::chrono::milliseconds checkTimeout);

    // The keys known so far: empty until read() has read them from the keyring, but for those the user set
    // meanwhile.
    const WeatherProviderCredentials& credentials() const { return m_credentials; }
    // Reads the keys from the keyring unless they were read already, waiting at most the credential store's
    // time-out (the keyring may not answer at all).
    QCoro::Task<void> read();
    // The key and its check state change in memory only.
    void setInMemory(const QString& key, WeatherProviderKind kind);
    // Writes the keys to the keyring, off the main thread and in the order of the calls; only the latest
    // save's outcome is reported (saveReported()), also when it comes after the time-out. A key never read
    // from the keyring and not set by the user is left as it is there.
    QCoro::Task<void> save();
    // A key read or save has not ended yet (it may be waiting for a keyring that does not answer).
    bool isWaitingForKeyring() const { return m_keyringCallsRunning > 0; }

    const QHash<WeatherProviderKind, APIKeyCheckStatus>& checkStatuses() const { return m_checkStatuses; }
    APIKeyCheckStatus checkStatus(WeatherProviderKind kind) const;
    // Asks the provider for one forecast at `where()` with the kind's key. Only keyed kinds are checked. The
    // answer is dropped when the key changed meanwhile or a newer check of the kind started.
    QCoro::Task<void> check(WeatherProviderKind kind, std::function<WeatherLocation()> where);

    // The clients of `kinds`. A keyed kind whose key is not known (the keyring did not answer) gets a
    // placeholder that says so.
    QList<WeatherProviderClientPtr> clients(const ProviderSet& kinds, bool useFixtures) const;
    // clients() once the keys are read (or the keyring did not answer in time); nothing when the keys went
    // meanwhile.
    QCoro::Task<QList<WeatherProviderClientPtr>> clientsAfterReading(ProviderSet kinds, bool useFixtures);

Q_SIGNALS:
    void willChange();
    // Why the latest save failed, or nothing when it succeeded.
    void saveReported(const std::optional<QString>& failure);

private:
    // Takes the keys read from the keyring, keeping those the user set before they arrived.
    void adoptRead(const WeatherProviderCredentials& read);
    // The keyed kinds whose key is known: all once the keys were read, else those the user set.
    ProviderSet known() const;
    // Counts a keyring call until the returned guard goes.
    QScopeGuard<std::function<void()>> keyringCall();
    void setCredentials(const WeatherProviderCredentials& credentials);
    void setCheckStatus(WeatherProviderKind kind, const APIKeyCheckStatus& status);

    std::shared_ptr<WeatherProviderCredentialStore> m_credentialStore;
    ProviderEnvironment m_providers;
    std::chrono::milliseconds m_checkTimeout;
    WeatherProviderCredentials m_credentials;
    bool m_read = false;
    // The kinds whose key the user set before the keys were read: a read that arrives later keeps them.
    ProviderSet m_setBeforeRead;
    // Counts the saves: only the latest one's outcome may set or clear the failure.
    quint64 m_saveGeneration = 0;
    int m_keyringCallsRunning = 0;
    QHash<WeatherProviderKind, APIKeyCheckStatus> m_checkStatuses;
    // Counts the checks started per kind: only the latest one's answer may set the badge.
    QHash<WeatherProviderKind, quint64> m_checkGenerations;
};

} // namespace nimbra
