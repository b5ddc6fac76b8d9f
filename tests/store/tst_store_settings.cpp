#include "StoreHarness.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace nimbra;
using namespace nimbra::storetest;
using namespace std::chrono_literals;

namespace {

using K = WeatherProviderKind;
using Status = APIKeyCheckStatus::Kind;
const QString kTomorrow = QStringLiteral("/v4/weather/forecast");

CannedResponse tomorrowForecast() {
    return CannedResponse::json(testing::readFile(
        testing::testDataPath(QStringLiteral("providers/tomorrow-io/forecast-paris.json"))));
}

std::shared_ptr<WeatherProviderCredentialStore> withKey(const StoreHarness& h, K kind, const QString& key) {
    const auto credentials = h.credentials();
    WeatherProviderCredentials keys;
    keys.setAPIKey(key, kind);
    credentials->save(keys);
    return credentials;
}

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)

class StoreSettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void updateAPIKey_data() {
        QTest::addColumn<K>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<Status>("status");
        QTest::addColumn<int>("keyringItems");
        QTest::newRow("trimmed") << K::openWeather << "  ow-new\n"
                                 << "ow-new" << Status::notChecked << 1;
        QTest::newRow("blank removes") << K::openWeather << " \n"
                                       << "" << Status::missing << 0;
        QTest::newRow("kind without key") << K::metNorway << "x"
                                          << "" << Status::missing << 1;
    }

    // Key edits reach the keyring but not the snapshot.
    void updateAPIKey() {
        QFETCH(K, kind);
        QFETCH(QString, text);
        StoreHarness h;
        withKey(h, K::openWeather, QStringLiteral("ow-old"));
        const auto store = h.makeStore();
        QTest::qWait(50); // the launch's second widget reload
        h.widgets->clear();
        QVERIFY(run(store->updateAPIKey(text, kind)));
        QTEST(store->providerCredentials().apiKey(kind), "stored");
        QTEST(store->apiKeyCheckStatus(kind).kind, "status");
        QTEST(h.keychain->itemCount(), "keyringItems");
        QVERIFY(!store->lastError() && h.widgets->requests().isEmpty());
    }

    void keyringFailureIsReported() {
        StoreHarness h;
        const auto store = h.makeStore();
        h.keychain->failWith(Keychain::notAvailable);
        QVERIFY(run(store->updateAPIKey(QStringLiteral("tm-key"), K::tomorrowIO)));
        const auto failure = std::optional(WeatherProviderCredentialStore::saveFailureMessage());
        QCOMPARE(store->lastError(), failure);
        QCOMPARE(store->saveError(), failure);
        QCOMPARE(store->providerCredentials().tomorrowIOAPIKey, QStringLiteral("tm-key"));
        h.keychain->failWith(Keychain::success);
        QVERIFY(run(store->updateAPIKey(QStringLiteral("tm-key"), K::tomorrowIO)));
        QVERIFY(!store->lastError() && !store->saveError());
    }

    // A key typed in memory is used at once (its badge follows) but reaches the keyring only when saved.
    void keyInMemoryUntilSaved() {
        StoreHarness h;
        const auto store = h.makeStore();
        store->updateAPIKeyInMemory(QStringLiteral(" ow-key "), K::openWeather);
        QCOMPARE(store->providerCredentials().openWeatherAPIKey, QStringLiteral("ow-key"));
        QCOMPARE(store->apiKeyCheckStatus(K::openWeather).kind, Status::notChecked);
        QCOMPARE(h.keychain->itemCount(), 0);
        QVERIFY(run(store->saveAPIKeys()));
        QCOMPARE(h.keychain->itemCount(), 1);
        QCOMPARE(h.credentials()->load().openWeatherAPIKey, QStringLiteral("ow-key"));
        store->updateAPIKeyInMemory(QString(), K::openWeather);
        QCOMPARE(store->apiKeyCheckStatus(K::openWeather).kind, Status::missing);
        QCOMPARE(h.keychain->itemCount(), 1);
    }

    // A snapshot that cannot be written is a save error until a write succeeds; refresh failures are not.
    void snapshotFailureIsASaveError() {
        StoreHarness h;
        const auto store = h.makeStore();
        QVERIFY(!store->saveError());
        const QString folder = QFileInfo(h.file).absolutePath();
        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        store->updateSettings([](WeatherSettings& s) { s.showAlerts = false; });
        store->flushSaves();
        QVERIFY(store->saveError() && store->saveError() == store->lastError());
        QVERIFY(QFile::remove(folder));
        // The same state again: the failed write did not count as written.
        store->persist();
        store->flushSaves();
        QVERIFY(!store->saveError());
        QCOMPARE(WeatherCache(h.file).load().settings, store->settings());
    }

    void checkAPIKey_data() {
        QTest::addColumn<K>("kind");
        QTest::addColumn<CannedResponse>("answer");
        QTest::addColumn<bool>("citySelected");
        QTest::addColumn<std::optional<Status>>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("askedAt");
        const auto refused = CannedResponse::json(R"({"code":401001,"message":"Invalid API key."})", 401);
        const auto empty = CannedResponse::json(R"({"timelines":{"hourly":[],"daily":[]}})");
        QTest::newRow("valid, no fix")
            << K::tomorrowIO << tomorrowForecast() << false << std::optional(Status::valid) << ""
            << "51.5072,-0.1276";
        QTest::newRow("valid, city") << K::tomorrowIO << tomorrowForecast() << true
                                     << std::optional(Status::valid) << ""
                                     << "11.0,21.0";
        QTest::newRow("no current") << K::tomorrowIO << empty << false << std::optional(Status::invalid)
                                    << WeatherStore::noCurrentWeatherMessage() << "51.5072,-0.1276";
        QTest::newRow("refused") << K::tomorrowIO << refused << false << std::optional(Status::invalid)
                                 << "Invalid API key."
                                 << "51.5072,-0.1276";
        QTest::newRow("stalled") << K::tomorrowIO << CannedResponse::stalled() << false
                                 << std::optional(Status::invalid) << WeatherRefreshPipeline::timeoutMessage()
                                 << "51.5072,-0.1276";
        QTest::newRow("no key") << K::openWeather << empty << false << std::optional(Status::missing) << ""
                                << "";
        QTest::newRow("keyless kind") << K::openMeteo << empty << false << std::optional<Status>() << ""
                                      << "";
    }

    void checkAPIKey() {
        QFETCH(K, kind);
        QFETCH(CannedResponse, answer);
        QFETCH(bool, citySelected);
        QFETCH(std::optional<Status>, status);
        QFETCH(QString, message);
        QFETCH(QString, askedAt);
        StoreHarness h;
        h.environment.keyCheckTimeout = 300ms;
        h.server->route(kTomorrow, answer);
        withKey(h, K::tomorrowIO, QStringLiteral("tm-key"));
        if (citySelected)
            h.save(payloadWith(2));
        const auto store = h.makeStore();

        QVERIFY(run(store->checkAPIKey(kind)));
        const auto stored = store->apiKeyCheckStatuses().constFind(kind);
        QCOMPARE(stored != store->apiKeyCheckStatuses().constEnd() ? std::optional(stored->kind)
                                                                   : std::nullopt,
                 status);
        if (status == Status::valid)
            QCOMPARE(stored->checkedAt, h.clock->now());
        if (status == Status::invalid)
            QVERIFY2(stored->message.contains(message), qPrintable(stored->message));
        const auto requests = h.server->requests(kTomorrow);
        QCOMPARE(requests.isEmpty() ? QString() : requests.first().queryValue("location").value_or("-"),
                 askedAt);
    }

    // The badge never vouches for a key it did not test.
    void answerForAChangedKeyIsDropped() {
        StoreHarness h;
        h.server->route(kTomorrow, tomorrowForecast().delayed(200ms));
        withKey(h, K::tomorrowIO, QStringLiteral("tm-key"));
        const auto store = h.makeStore();
        Running check = start(store->checkAPIKey(K::tomorrowIO));
        QTRY_COMPARE(store->apiKeyCheckStatus(K::tomorrowIO).kind, Status::checking);
        QVERIFY(run(store->updateAPIKey(QStringLiteral("tm-other"), K::tomorrowIO)));
        QTRY_VERIFY(*check.done);
        QCOMPARE(store->apiKeyCheckStatus(K::tomorrowIO).kind, Status::notChecked);
    }
};

QTEST_GUILESS_MAIN(StoreSettingsTest)
#include "tst_store_settings.moc"
