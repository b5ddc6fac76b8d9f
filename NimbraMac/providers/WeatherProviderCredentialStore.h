#pragma once

#include "Keychain.h"
#include "UserDefaults.h"
#include "WeatherProviderCredentials.h"

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <optional>

namespace nimbra {

// Keeps the API keys in the user's keychain, one generic-password item per provider account, and on every
// load removes what earlier key schemes left behind (their keys are not carried over: the user enters them
// again). Used from the main thread; keychain calls are synchronous.
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

    WeatherProviderCredentialStore(std::shared_ptr<UserDefaults> defaults,
                                   std::shared_ptr<Keychain> keychain);

    // The saved keys; a key that cannot be read is empty.
    WeatherProviderCredentials load();
    // Saves the OpenWeather and Tomorrow.io keys (an empty key deletes its item) and clears the retired
    // accounts. Returns saveFailureMessage() when the keyring did not take a key or kept a key the user
    // removed.
    std::optional<QString> save(const WeatherProviderCredentials& credentials);

    // Empty text deletes the item; otherwise the item is added or updated. True when the keychain did so.
    bool write(const QString& key, const QString& account);
    bool upsertKeychainItem(const QString& key, const QString& account);
    // Nothing when the item is missing, unreadable or not UTF-8.
    std::optional<QString> readKeychainItem(const QString& account) const;
    void deleteLegacyKeychainItem(const QString& account);
    void removeLegacyCredentials();

private:
    std::shared_ptr<UserDefaults> m_defaults;
    std::shared_ptr<Keychain> m_keychain;
};

} // namespace nimbra
