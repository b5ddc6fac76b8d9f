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

const ProviderSet kKeyedKinds{WeatherProviderKind::openWeather, WeatherProviderKind::tomorrowIO};

QStringList keyedAccounts(const ProviderSet& kinds) {
    QStringList accounts;
    if (kinds.contains(WeatherProviderKind::openWeather))
        accounts += kOpenWeather;
    if (kinds.contains(WeatherProviderKind::tomorrowIO))
        accounts += kTomorrowIO;
    return accounts;
}

std::optional<QString> saveOutcome(bool saved) {
    if (saved)
        return std::nullopt;
    return WeatherProviderCredentialStore::saveFailureMessage();
}

} // namespace

WeatherProviderCredentialStore::WeatherProviderCredentialStore(std::shared_ptr<UserDefaults> defaults,
                                                               std::shared_ptr<Keychain> keychain,
                                                               std::chrono::milliseconds keyringTimeout)
    : m_defaults(std::move(defaults)), m_keychain(std::move(keychain)), m_keyringTimeout(keyringTimeout) {}

WeatherProviderCredentialStore::~WeatherProviderCredentialStore() = default;

WeatherProviderCredentials WeatherProviderCredentialStore::load() {
    removeLegacyDefaults();
    return readKeys(*m_keychain);
}

std::optional<QString> WeatherProviderCredentialStore::save(const WeatherProviderCredentials& credentials) {
    const bool saved = writeKeys(*m_keychain, credentials, kKeyedKinds);
    removeDefaults(prefix(), everyAccount());
    return saveOutcome(saved);
}

QCoro::Task<std::optional<WeatherProviderCredentials>> WeatherProviderCredentialStore::loadInBackground() {
    removeLegacyDefaults();
    return worker().read<WeatherProviderCredentials>([keychain = m_keychain] { return readKeys(*keychain); });
}

QCoro::Task<std::optional<QString>>
WeatherProviderCredentialStore::saveInBackground(WeatherProviderCredentials credentials, ProviderSet kinds,
                                                 std::function<void(const std::optional<QString>&)> late) {
    removeDefaults(prefix(), keyedAccounts(kinds) + retiredAccounts());
    std::function<void(const bool&)> lateOutcome;
    if (late)
        lateOutcome = [late = std::move(late)](const bool& saved) { late(saveOutcome(saved)); };
    // Named, not temporaries of the co_await expression (GCC 12 may destroy those twice).
    std::function<bool()> job = [keychain = m_keychain, credentials, kinds] {
        return writeKeys(*keychain, credentials, kinds);
    };
    QCoro::Task<std::optional<bool>> writing = worker().write<bool>(std::move(job), std::move(lateOutcome));
    const std::optional<bool> saved = co_await std::move(writing);
    co_return saveOutcome(saved.value_or(false));
}

KeychainWorker& WeatherProviderCredentialStore::worker() {
    if (!m_worker)
        m_worker = std::make_unique<KeychainWorker>(m_keyringTimeout);
    return *m_worker;
}

WeatherProviderCredentials WeatherProviderCredentialStore::readKeys(Keychain& keychain) {
    removeLegacyKeychainItems(keychain);
    WeatherProviderCredentials credentials;
    credentials.openWeatherAPIKey = readKeychainItem(keychain, kOpenWeather).value_or(QString());
    credentials.tomorrowIOAPIKey = readKeychainItem(keychain, kTomorrowIO).value_or(QString());
    return credentials;
}

bool WeatherProviderCredentialStore::writeKeys(Keychain& keychain,
                                               const WeatherProviderCredentials& credentials,
                                               const ProviderSet& kinds) {
    bool saved = true;
    for (const WeatherProviderKind kind :
         {WeatherProviderKind::openWeather, WeatherProviderKind::tomorrowIO}) {
        if (kinds.contains(kind))
            saved = write(keychain, credentials.apiKey(kind), keyedAccounts({kind}).constFirst()) && saved;
    }
    // The Visual Crossing and WeatherAPI.com keys are never stored.
    for (const QString& account : retiredAccounts())
        write(keychain, QString(), account);
    return saved;
}

bool WeatherProviderCredentialStore::write(Keychain& keychain, const QString& key, const QString& account) {
    if (key.isEmpty()) {
        const KeychainStatus status = keychain.remove(service(), account);
        return status == Keychain::success || status == Keychain::itemNotFound;
    }
    return upsertKeychainItem(keychain, key, account);
}

bool WeatherProviderCredentialStore::upsertKeychainItem(Keychain& keychain, const QString& key,
                                                        const QString& account) {
    const QByteArray data = key.toUtf8();
    const KeychainStatus added = keychain.add(service(), account, data);
    if (added == Keychain::duplicateItem)
        return keychain.update(service(), account, data) == Keychain::success;
    return added == Keychain::success;
}

std::optional<QString> WeatherProviderCredentialStore::readKeychainItem(const Keychain& keychain,
                                                                        const QString& account) {
    const KeychainLookup found = keychain.find(service(), account);
    if (found.status != Keychain::success)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(found.data);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

void WeatherProviderCredentialStore::removeLegacyKeychainItems(Keychain& keychain) {
    for (const QString& account : everyAccount())
        keychain.remove(legacyService(), account);
    for (const QString& account : retiredAccounts())
        keychain.remove(service(), account);
}

void WeatherProviderCredentialStore::removeLegacyDefaults() {
    removeDefaults(legacyPrefix(), everyAccount());
    removeDefaults(prefix(), retiredAccounts());
}

void WeatherProviderCredentialStore::removeDefaults(const QString& prefix, const QStringList& accounts) {
    for (const QString& account : accounts)
        m_defaults->removeObject(prefix + account);
}

} // namespace nimbra
