#pragma once

#include "Keychain.h"
#include "KeychainWorker.h"
#include "UserDefaults.h"
#include "WeatherProviderCredentials.h"

#include <QCoreApplication>
#include <QString>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// Keeps the API keys in the user's keychain, one generic-password item per provider account, and on every
// load removes what earlier key schemes left behind (their keys are not carried over: the user enters them
// again). Used from the main thread. load() and save() call the keychain in line; the application uses their
// background forms, so that a keyring that does not answer never holds up the main thread.
class WeatherProviderCredentialStore final {
public:
    static QString prefix() { return QStringLiteral("Nimbra.ProviderCredentials.v2."); }
    static QString service() { return QStringLiteral("com.tarnwick.Nimbra.userProviderCredentials.v2"); }
    static QString legacyPrefix() { return QStringLiteral("Nimbra.ProviderCredentials."); }
    static QString legacyService() { return QStringLiteral("com.tarnwick.Nimbra.providerCredentials"); }
    static QString saveFailureMessage() {
        return QCoreApplication::translate(
            "WeatherProviderCredentialStore",
            "The API key could not be saved to the keyring. It is used until Nimbra quits.");
    }
    static QString keyringNotAnsweringMessage() {
        return QStringLiteral("The keyring did not answer, so the API key could not be read.");
    }
    // How long a background load or save waits for the keyring.
    static constexpr std::chrono::milliseconds defaultKeyringTimeout{4000};

    WeatherProviderCredentialStore(std::shared_ptr<UserDefaults> defaults, std::shared_ptr<Keychain> keychain,
                                   std::chrono::milliseconds keyringTimeout = defaultKeyringTimeout);
    // Waits up to the timeout for a background save still to be written.
    ~WeatherProviderCredentialStore();

    // The saved keys; a key that cannot be read is empty.
    WeatherProviderCredentials load();
    // Saves the OpenWeather and Tomorrow.io keys (an empty key deletes its item) and clears the retired
    // accounts. Returns saveFailureMessage() when the keyring did not take a key or kept a key the user
    // removed.
    std::optional<QString> save(const WeatherProviderCredentials& credentials);

    // load() with the keychain calls on a thread of their own, one at a time: nothing when the keyring did
    // not answer within the timeout (or still hangs on an earlier call).
    QCoro::Task<std::optional<WeatherProviderCredentials>> loadInBackground();
    // save() in the same way, in the order of the calls, writing only the keys of `kinds` (a key never read
    // stays as it is). A keyring that did not answer within the timeout gives saveFailureMessage(); `late`
    // then gets the outcome once the save ends, if it ever does.
    QCoro::Task<std::optional<QString>>
    saveInBackground(WeatherProviderCredentials credentials, ProviderSet kinds,
                     std::function<void(const std::optional<QString>&)> late = {});

private:
    // The keychain halves of load() and save(): they touch nothing but the keychain, so they can run on the
    // keychain thread.
    static WeatherProviderCredentials readKeys(Keychain& keychain);
    static bool writeKeys(Keychain& keychain, const WeatherProviderCredentials& credentials,
                          const ProviderSet& kinds);
    // Empty text deletes the item; otherwise the item is added or updated. True when the keychain did so.
    static bool write(Keychain& keychain, const QString& key, const QString& account);
    static bool upsertKeychainItem(Keychain& keychain, const QString& key, const QString& account);
    // Nothing when the item is missing, unreadable or not UTF-8.
    static std::optional<QString> readKeychainItem(const Keychain& keychain, const QString& account);
    static void removeLegacyKeychainItems(Keychain& keychain);
    // Earlier versions kept copies of the keys in the user defaults.
    void removeLegacyDefaults();
    void removeDefaults(const QString& prefix, const QStringList& accounts);
    KeychainWorker& worker();

    std::shared_ptr<UserDefaults> m_defaults;
    std::shared_ptr<Keychain> m_keychain;
    std::chrono::milliseconds m_keyringTimeout;
    // Made at the first background call: a session that never needs a key starts no thread.
    std::unique_ptr<KeychainWorker> m_worker;
};

} // namespace nimbra
