#include "WeatherProviderCredentialStore.h"

#include <QStringDecoder>

namespace nimbra {

namespace {

const QString kOpenWeather = QStringLiteral("openWeather");
const QString kTomorrowIO = QStringLiteral("tomorrowIO");

QStringList retiredAccounts() {
    return {QStringLiteral("visualCrossing"), QStringLiteral("weatherAPI"), QStringLiteral("pirateWeather")};
}

QStringList everyAccount() {
    return QStringList{kOpenWeather, kTomorrowIO} + retiredAccounts();
}

} // namespace

WeatherProviderCredentialStore::WeatherProviderCredentialStore(std::shared_ptr<UserDefaults> defaults,
                                                               std::shared_ptr<Keychain> keychain)
    : m_defaults(std::move(defaults)), m_keychain(std::move(keychain)) {}

WeatherProviderCredentials WeatherProviderCredentialStore::load() {
    removeLegacyCredentials();
    WeatherProviderCredentials credentials;
    credentials.openWeatherAPIKey = readKeychainItem(kOpenWeather).value_or(QString());
    credentials.tomorrowIOAPIKey = readKeychainItem(kTomorrowIO).value_or(QString());
    return credentials;
}

std::optional<QString> WeatherProviderCredentialStore::save(const WeatherProviderCredentials& credentials) {
    const bool openWeatherSaved = write(credentials.openWeatherAPIKey, kOpenWeather);
    const bool tomorrowIOSaved = write(credentials.tomorrowIOAPIKey, kTomorrowIO);
    // The Visual Crossing and WeatherAPI.com keys are never stored.
    for (const QString& account : retiredAccounts())
        write(QString(), account);
    if (openWeatherSaved && tomorrowIOSaved)
        return std::nullopt;
    return saveFailureMessage();
}

bool WeatherProviderCredentialStore::write(const QString& key, const QString& account) {
    bool written = true;
    if (key.isEmpty()) {
        const KeychainStatus status = m_keychain->remove(service(), account);
        written = status == Keychain::success || status == Keychain::itemNotFound;
    } else {
        written = upsertKeychainItem(key, account);
    }
    m_defaults->removeObject(prefix() + account);
    return written;
}

bool WeatherProviderCredentialStore::upsertKeychainItem(const QString& key, const QString& account) {
    const QByteArray data = key.toUtf8();
    const KeychainStatus added = m_keychain->add(service(), account, data);
    if (added == Keychain::duplicateItem)
        return m_keychain->update(service(), account, data) == Keychain::success;
    return added == Keychain::success;
}

std::optional<QString> WeatherProviderCredentialStore::readKeychainItem(const QString& account) const {
    const KeychainLookup found = m_keychain->find(service(), account);
    if (found.status != Keychain::success)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(found.data);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

void WeatherProviderCredentialStore::deleteLegacyKeychainItem(const QString& account) {
    m_keychain->remove(legacyService(), account);
}

void WeatherProviderCredentialStore::removeLegacyCredentials() {
    const QStringList accounts = everyAccount();
    for (const QString& account : accounts)
        deleteLegacyKeychainItem(account);
    for (const QString& account : accounts)
        m_defaults->removeObject(legacyPrefix() + account);
    for (const QString& account : retiredAccounts())
        m_keychain->remove(service(), account);
    for (const QString& account : retiredAccounts())
        m_defaults->removeObject(prefix() + account);
}

} // namespace nimbra
