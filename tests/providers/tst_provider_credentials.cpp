#include "InMemoryKeychain.h"
#include "UserDefaults.h"
#include "WeatherProviderCredentialStore.h"

#include <QTest>

using namespace nimbra;
using Kind = WeatherProviderKind;
using Store = WeatherProviderCredentialStore;

namespace {

const QStringList kAccounts{"openWeather", "tomorrowIO", "visualCrossing", "weatherAPI", "pirateWeather"};

WeatherProviderCredentials keys(QString openWeather, QString tomorrowIO) {
    WeatherProviderCredentials credentials;
    credentials.openWeatherAPIKey = std::move(openWeather);
    credentials.tomorrowIOAPIKey = std::move(tomorrowIO);
    return credentials;
}

} // namespace

class ProviderCredentialsTest : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<InMemoryKeychain> m_keychain;
    std::shared_ptr<InMemoryUserDefaults> m_defaults;
    std::optional<Store> m_store;

private Q_SLOTS:
    void init() {
        m_keychain = std::make_shared<InMemoryKeychain>();
        m_defaults = std::make_shared<InMemoryUserDefaults>();
        m_store.emplace(m_defaults, m_keychain);
    }

    void setAPIKeyTrimsAndTouchesOnlyKeyedKinds_data() {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks and line break") << Kind::openWeather << "  abc123 \n"
                                               << "abc123";
        QTest::newRow("Unicode spaces")
            << Kind::tomorrowIO << QStringLiteral("\u00a0k e y\u2003\r\n") << "k e y";
        QTest::newRow("visual crossing") << Kind::visualCrossing << "\tvc"
                                         << "vc";
        QTest::newRow("weatherapi") << Kind::weatherAPI << "wa "
                                    << "wa";
        QTest::newRow("no key for MET Norway") << Kind::metNorway << "ignored"
                                               << "";
        QTest::newRow("no key for Pirate Weather") << Kind::pirateWeather << "ignored"
                                                   << "";
    }
    void setAPIKeyTrimsAndTouchesOnlyKeyedKinds() {
        QFETCH(Kind, kind);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        WeatherProviderCredentials credentials;
        credentials.setAPIKey(typed, kind);
        QCOMPARE(credentials.apiKey(kind), stored);
        int nonEmpty = 0;
        for (const Kind other : providers::everyKind())
            nonEmpty += credentials.apiKey(other).isEmpty() ? 0 : 1;
        QCOMPARE(nonEmpty, stored.isEmpty() ? 0 : 1);
    }

    void configurationTurnsEmptyKeysIntoAbsent() {
        const WeatherProviderConfiguration configuration = keys("", " spaced ").configuration();
        QCOMPARE(configuration.openWeatherAPIKey, std::nullopt);
        QCOMPARE(configuration.tomorrowIOAPIKey, QStringLiteral(" spaced ")); // not trimmed again
        QCOMPARE(configuration.visualCrossingAPIKey, std::nullopt);
        QVERIFY(configuration.appUserAgent.startsWith("Nimbra/0.1 "));
        const QString contact = configuration.appUserAgent.mid(11);
        QVERIFY(contact.contains('@') && !contact.contains(' ') && !contact.contains('<'));
    }

    void savedKeysAreLoadedAgain() {
        WeatherProviderCredentials credentials = keys("ow-key", "tio-key");
        credentials.visualCrossingAPIKey = "never stored";
        m_defaults->setValue(Store::prefix() + "openWeather", "copy from an earlier version");
        QCOMPARE(m_store->save(credentials), std::nullopt);
        QCOMPARE(m_keychain->itemCount(), 2);
        QVERIFY(!m_defaults->contains(Store::prefix() + "openWeather"));
        QCOMPARE(Store(m_defaults, m_keychain).load(), keys("ow-key", "tio-key"));
    }

    void savingReplacesAnExistingKey() {
        QCOMPARE(m_keychain->add(Store::service(), "openWeather", "old"), Keychain::success);
        QCOMPARE(m_store->save(keys("new", "")), std::nullopt);
        QCOMPARE(m_keychain->find(Store::service(), "openWeather").data, QByteArray("new"));
        QCOMPARE(m_store->load(), keys("new", ""));
    }

    void anEmptyKeyDeletesItsItem() {
        QCOMPARE(m_store->save(keys("ow", "tio")), std::nullopt);
        QCOMPARE(m_store->save(keys("", "tio")), std::nullopt);
        QCOMPARE(m_keychain->find(Store::service(), "openWeather").status, Keychain::itemNotFound);
        QCOMPARE(m_store->load(), keys("", "tio"));
    }

    // Earlier schemes' items and defaults, and the retired providers' current ones, go; nothing is carried
    // over.
    void loadRemovesWhatEarlierSchemesLeft() {
        for (const QString& account : kAccounts) {
            QCOMPARE(m_keychain->add(Store::legacyService(), account, "legacy"), Keychain::success);
            m_defaults->setValue(Store::legacyPrefix() + account, "legacy");
            m_defaults->setValue(Store::prefix() + account, "copy");
        }
        for (const char* retired : {"visualCrossing", "weatherAPI", "pirateWeather"})
            QCOMPARE(m_keychain->add(Store::service(), retired, "retired"), Keychain::success);

        QCOMPARE(m_store->load(), WeatherProviderCredentials{});
        QCOMPARE(m_keychain->itemCount(), 0);
        QCOMPARE(m_defaults->values().keys(),
                 (QStringList{Store::prefix() + "openWeather", Store::prefix() + "tomorrowIO"}));
    }

    void unreadableKeysLoadEmpty() {
        QCOMPARE(m_keychain->add(Store::service(), "openWeather", QByteArray("\xff\xfe bad", 6)),
                 Keychain::success);
        QCOMPARE(m_keychain->add(Store::service(), "tomorrowIO", "fine"), Keychain::success);
        QCOMPARE(m_store->load(), keys("", "fine"));
    }

    // A keyring that refuses the key must not look like a saved key.
    void aFailingKeyringIsReported_data() {
        QTest::addColumn<KeychainStatus>("failure");
        QTest::newRow("no secret service") << Keychain::notAvailable;
        QTest::newRow("locked") << Keychain::interactionNotAllowed;
    }
    void aFailingKeyringIsReported() {
        QFETCH(KeychainStatus, failure);
        QCOMPARE(m_store->save(keys("ow", "")), std::nullopt);
        m_keychain->failWith(failure);
        QCOMPARE(m_store->load(), WeatherProviderCredentials{});
        QCOMPARE(m_store->save(keys("ow2", "")), Store::saveFailureMessage());
        QCOMPARE(m_store->save(keys("", "")), Store::saveFailureMessage()); // the old key would stay behind
        m_keychain->failWith(Keychain::success);
        QCOMPARE(m_store->load(), keys("ow", ""));
    }
};

QTEST_GUILESS_MAIN(ProviderCredentialsTest)
#include "tst_provider_credentials.moc"
