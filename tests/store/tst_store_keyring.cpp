#include "StoreHarness.h"

#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

using K = WeatherProviderKind;
const QString kOpenMeteo = QStringLiteral("/v1/forecast");
const QString kMETNorway = QStringLiteral("/weatherapi/locationforecast/2.0/compact");
const QString kTomorrow = QStringLiteral("/v4/weather/forecast");

CannedResponse document(const QString& name) {
    return CannedResponse::json(
        testing::readFile(testing::testDataPath(QStringLiteral("providers/") + name)));
}

void seedKeys(const StoreHarness& h, const QString& openWeather, const QString& tomorrowIO) {
    WeatherProviderCredentials keys;
    keys.openWeatherAPIKey = openWeather;
    keys.tomorrowIOAPIKey = tomorrowIO;
    QCOMPARE(h.credentials()->save(keys), std::nullopt);
}

// The value of `name` in every request the providers made, in order.
QStringList sent(const StoreHarness& h, const QString& name) {
    QStringList values;
    for (const RecordedRequest& request : h.server->requests())
        values += request.queryValues(name);
    return values;
}

QStringList lookups(const StoreHarness& h) {
    return h.storeKeychain->calls.filter(QStringLiteral("find "));
}

CachedWeatherPayload withProviders(ProviderSet kinds) {
    CachedWeatherPayload payload = payloadWith(2);
    payload.settings.enabledProviders = std::move(kinds);
    return payload;
}

enum class Edit { inMemory, saved, none };

constexpr std::chrono::milliseconds kKeyringTimeout{300};

// A store whose keyring hangs until released, waited for kKeyringTimeout at a time.
struct HungKeyring {
    StoreHarness h;
    std::shared_ptr<HangingKeychain> keyring = std::make_shared<HangingKeychain>(h.keychain);
    std::unique_ptr<WeatherStore> store;

    explicit HungKeyring(ProviderSet providers = {},
                         std::chrono::milliseconds keyringTimeout = kKeyringTimeout) {
        seedKeys(h, QStringLiteral("ow-key"), QStringLiteral("tm-key"));
        h.save(withProviders(std::move(providers)));
        h.server->route(kOpenMeteo, document(QStringLiteral("open-meteo/forecast-new-york.json")));
        store = h.makeStore(std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), keyring, keyringTimeout));
    }
    ~HungKeyring() {
        // Whatever still waits for the keyring ends before the harness goes.
        keyring->release();
        Q_UNUSED(QTest::qWaitFor([this] { return !store || !store->isWaitingForKeyring(); }));
        QCoreApplication::processEvents();
    }

    QString failureOf(K kind) const {
        for (const ProviderForecast& f : store->providerForecasts().value(store->selectedLocation()->id)) {
            if (f.provider == kind)
                return f.errorMessage.value_or(QStringLiteral("(none)"));
        }
        return QStringLiteral("(not refreshed)");
    }
};

constexpr char kExitChildVariable[] = "NIMBRA_KEYRING_EXIT_CHILD";

// Stands for the state of the library a keyring call runs in (libsecret's, GLib's): it goes with the
// process's other static objects.
std::atomic_bool g_libraryGone = false;
struct LibraryState {
    ~LibraryState() { g_libraryGone = true; }
};

// Holds every call until the process's static objects go, then lets it return into the library's state, as
// a call that hangs may end while the process exits. Made before the library's state, so it goes after it.
class HeldUntilExit {
public:
    ~HeldUntilExit() {
        std::unique_lock lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(2), [this] { return m_holding == 0; });
    }
    void hold() {
        std::unique_lock lock(m_mutex);
        ++m_holding;
        m_changed.wait(lock, [this] { return m_released; });
        --m_holding;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    int m_holding = 0;
};

HeldUntilExit g_heldUntilExit;
LibraryState g_library;

class KeyringHungUntilExit final : public Keychain {
public:
    KeychainStatus add(const QString&, const QString&, const QByteArray&) override { return call(); }
    KeychainStatus update(const QString&, const QString&, const QByteArray&) override { return call(); }
    KeychainLookup find(const QString&, const QString&) const override { return {call(), {}}; }
    KeychainStatus remove(const QString&, const QString&) override { return call(); }

private:
    static KeychainStatus call() {
        g_heldUntilExit.hold();
        if (g_libraryGone) {
            // A real library may crash here; the test's own crash handler would still exit 0.
            std::fputs("keyring call returned into a library that has gone\n", stderr);
            std::_Exit(3);
        }
        return Keychain::notAvailable;
    }
};

// Whether the main thread's event loop turns while `task` runs, and whether the task then ended.
struct Turned {
    bool turned = false;
    bool ended = false;
};
Turned turnsWhile(QCoro::Task<void> task) {
    Turned result;
    QTimer::singleShot(0, [&result] { result.turned = true; });
    Running running = start(std::move(task));
    result.ended = QTest::qWaitFor([&] { return *running.done; }, 10'000);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(Edit)

// The keyring is a handful of synchronous D-Bus calls and loads libsecret: the store reads it only when
// something needs a key, and once.
class StoreKeyringTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A first launch, and launches whose providers take no key, with the refreshes a launch makes.
    void keylessLaunchesLeaveTheKeyringAlone() {
        StoreHarness first;
        seedKeys(first, QStringLiteral("ow-key"), QString());
        first.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::unavailable);
        const auto fresh = first.makeStore();
        QVERIFY(run(fresh->refreshSelectedResolvingCurrentLocation()));
        QCOMPARE(fresh->settings().enabledProviders, providers::liveSet());
        QCOMPARE(first.storeKeychain->calls, QStringList());

        StoreHarness h;
        seedKeys(h, QStringLiteral("ow-key"), QStringLiteral("tm-key"));
        h.save(withProviders({K::openMeteo, K::metNorway}));
        h.server->route(kOpenMeteo, document(QStringLiteral("open-meteo/forecast-new-york.json")));
        h.server->route(kMETNorway, document(QStringLiteral("met-norway/compact-oslo.json")));
        h.location->answer = ScriptedCurrentLocationService::found(QStringLiteral("Leeds"), 53.8, -1.55);
        const auto store = h.makeStore();
        h.clock->advance(3600);
        QVERIFY(run(store->refreshSelected()));
        QVERIFY(run(store->refreshCurrentLocationForBackground()));
        QCOMPARE(h.storeKeychain->calls, QStringList());
        // The refreshes themselves are what they always were.
        QVERIFY(!store->lastError());
        QCOMPARE(h.server->requests(kOpenMeteo).size(), 2);
        QCOMPARE(h.server->requests(kMETNorway).size(), 2);
        QCOMPARE(store->selectedForecast()->providerCount, 2);
        QCOMPARE(store->selectedForecast()->generatedAt, h.clock->now());
    }

    // With OpenWeather enabled the first refresh reads the keys (clearing what older versions left behind)
    // before it builds the clients, and no later refresh reads them again.
    void keyedRefreshReadsTheKeysOnce() {
        StoreHarness h;
        seedKeys(h, QStringLiteral("ow-key"), QString());
        QCOMPARE(h.keychain->add(WeatherProviderCredentialStore::legacyService(), "openWeather", "old"),
                 Keychain::success);
        h.save(withProviders({K::openMeteo, K::openWeather}));
        const auto store = h.makeStore();
        QCOMPARE(h.storeKeychain->calls, QStringList());

        QVERIFY(run(store->refreshSelected()));
        QCOMPARE(lookups(h), (QStringList{"find openWeather", "find tomorrowIO"}));
        QVERIFY(!sent(h, "appid").isEmpty());
        QCOMPARE(sent(h, "appid").filter("ow-key").size(), sent(h, "appid").size());
        QCOMPARE(h.keychain->find(WeatherProviderCredentialStore::legacyService(), "openWeather").status,
                 Keychain::itemNotFound);

        const int calls = h.storeKeychain->calls.size();
        QVERIFY(run(store->refreshSelected()));
        QCOMPARE(store->providerCredentials().openWeatherAPIKey, QStringLiteral("ow-key"));
        QCOMPARE(h.storeKeychain->calls.size(), calls);
    }

    // The settings window and a key check see the saved keys, whichever asks first.
    void settingsSeeTheSavedKeys() {
        StoreHarness h;
        seedKeys(h, QStringLiteral("ow-key"), QStringLiteral("tm-key"));
        const auto store = h.makeStore();
        QCOMPARE(store->apiKeyCheckStatus(K::tomorrowIO).kind, APIKeyCheckStatus::Kind::missing);
        QVERIFY(run(store->readAPIKeys()));
        QCOMPARE(store->apiKeyCheckStatus(K::tomorrowIO).kind, APIKeyCheckStatus::Kind::notChecked);
        QCOMPARE(store->providerCredentials().openWeatherAPIKey, QStringLiteral("ow-key"));
        QVERIFY(run(store->readAPIKeys()));
        QCOMPARE(lookups(h).size(), 2);

        StoreHarness checked;
        seedKeys(checked, QString(), QStringLiteral("tm-key"));
        checked.server->route(kTomorrow, document(QStringLiteral("tomorrow-io/forecast-paris.json")));
        const auto checking = checked.makeStore();
        QVERIFY(run(checking->checkAPIKey(K::tomorrowIO)));
        QCOMPARE(sent(checked, "apikey"), QStringList{"tm-key"});
        QCOMPARE(checking->apiKeyCheckStatus(K::tomorrowIO).kind, APIKeyCheckStatus::Kind::valid);
        QCOMPARE(lookups(checked).size(), 2);
    }

    void editsBeforeTheFirstReadAreKept_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("openWeather");
        QTest::newRow("typed") << Edit::inMemory << "ow-new";
        QTest::newRow("typed and saved") << Edit::saved << "ow-new";
        QTest::newRow("saved unchanged") << Edit::none << "ow-old";
    }

    // An edit or a save before the keys were read: the other key survives in the keyring and in memory, and
    // the read that follows does not undo the edit.
    void editsBeforeTheFirstReadAreKept() {
        QFETCH(Edit, edit);
        QFETCH(QString, openWeather);
        StoreHarness h;
        seedKeys(h, QStringLiteral("ow-old"), QStringLiteral("tm-saved"));
        h.save(withProviders({K::openWeather}));
        const auto store = h.makeStore();
        if (edit == Edit::inMemory)
            store->updateAPIKeyInMemory(QStringLiteral("ow-new"), K::openWeather);
        else if (edit == Edit::saved)
            QVERIFY(run(store->updateAPIKey(QStringLiteral("ow-new"), K::openWeather)));
        else
            QVERIFY(run(store->saveAPIKeys()));
        QCOMPARE(lookups(h).size(), 0);

        WeatherProviderCredentials expected;
        expected.openWeatherAPIKey = openWeather;
        expected.tomorrowIOAPIKey = QStringLiteral("tm-saved");
        QVERIFY(run(store->refreshSelected()));
        QCOMPARE(store->providerCredentials(), expected);
        QCOMPARE(sent(h, "appid").value(0), openWeather);
        QCOMPARE(lookups(h).size(), 2);
        QVERIFY(run(store->saveAPIKeys()));
        QCOMPARE(h.credentials()->load(), expected);
        QVERIFY(!store->saveError());
    }

    // A keyring that never answers holds up neither the main thread nor the keyless providers; the keyed ones
    // say why they have no key, later refreshes add no call behind the hung one, and once the keyring
    // answers the keys are read after all.
    void hungKeyringDoesNotHoldUpRefreshes() {
        HungKeyring k({K::openMeteo, K::openWeather, K::tomorrowIO});
        Turned first = turnsWhile(k.store->refreshSelected());
        QVERIFY(first.turned && first.ended);
        QCOMPARE(k.failureOf(K::openMeteo), QStringLiteral("(none)"));
        QCOMPARE(k.failureOf(K::openWeather), WeatherProviderCredentialStore::keyringNotAnsweringMessage());
        QCOMPARE(k.failureOf(K::tomorrowIO), WeatherProviderCredentialStore::keyringNotAnsweringMessage());
        QCOMPARE(k.store->selectedForecast()->providerCount, 1);
        QVERIFY(!k.store->isRefreshing());

        for (int i = 0; i < 5; ++i)
            QVERIFY(run(k.store->refreshSelected()));
        QVERIFY(run(k.store->checkAPIKey(K::openWeather)));
        QCOMPARE(k.store->apiKeyCheckStatus(K::openWeather).kind, APIKeyCheckStatus::Kind::missing);
        QCOMPARE(k.keyring->calls(), 1);
        QCOMPARE(sent(k.h, "appid"), QStringList());

        // Reads fail at once until the hung call has ended.
        k.keyring->release();
        QTRY_VERIFY(run(k.store->refreshSelected()) &&
                    k.store->providerCredentials().tomorrowIOAPIKey == QStringLiteral("tm-key"));
        QVERIFY(!sent(k.h, "appid").isEmpty());
    }

    // The providers that take no key are asked while the keyring has not answered yet (here it is waited
    // for longer than the test runs); the keyed ones are asked once it has, with the keys it gave.
    void keylessProvidersDoNotWaitForTheKeyring() {
        HungKeyring k({K::openMeteo, K::openWeather}, std::chrono::minutes(1));
        const Running refreshing = start(k.store->refreshSelected());
        QTRY_COMPARE(k.h.server->requests(kOpenMeteo).size(), 1);
        QVERIFY(k.store->isWaitingForKeyring());
        QCOMPARE(sent(k.h, "appid"), QStringList());

        k.keyring->release();
        QTRY_VERIFY(*refreshing.done);
        QStringList keys = sent(k.h, "appid");
        keys.removeDuplicates();
        QCOMPARE(keys, QStringList{"ow-key"});
        QCOMPARE(k.failureOf(K::openMeteo), QStringLiteral("(none)"));
        QCOMPARE(k.store->providerForecasts().value(k.store->selectedLocation()->id).size(), 2);
    }

    void quittingWhileAKeyringCallHangs_data() {
        QTest::addColumn<QString>("keyring");
        QTest::addColumn<bool>("mainGoesOn");
        QTest::newRow("answering") << "answering" << true;
        // The call cannot be cut short: the process ends without its static objects.
        QTest::newRow("hung") << "hung" << false;
    }

    // A child process quits as the application does while a keyring read hangs: it ends with status 0, no
    // keyring call runs into its static destructors, and the change made just before is on disk.
    void quittingWhileAKeyringCallHangs() {
        QFETCH(QString, keyring);
        QFETCH(bool, mainGoesOn);
        if (qEnvironmentVariableIsSet(kExitChildVariable))
            QSKIP("this is the child");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kExitChildVariable, keyring);
        environment.insert("TMPDIR", dir.path());
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"quitInsideTheChild"});
        QVERIFY(child.waitForFinished(60'000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QCOMPARE(output.contains("main goes on"), mainGoesOn);

        QDirIterator files(dir.path(), {"weather-widget-cache-v3.json"}, QDir::Files,
                           QDirIterator::Subdirectories);
        QVERIFY(files.hasNext());
        QCOMPARE(WeatherCache(files.next()).load().settings.refreshIntervalMinutes, 60);
    }

    // The child of quittingWhileAKeyringCallHangs: ends as main() does once the application has quit.
    void quitInsideTheChild() {
        const QString keyring = qEnvironmentVariable(kExitChildVariable);
        if (keyring.isEmpty())
            QSKIP("runs only as a child process");
        StoreHarness h;
        h.dir->setAutoRemove(false); // the parent reads the file, and removes it
        h.save(withProviders({K::openMeteo, K::openWeather}));
        const std::shared_ptr<Keychain> keychain = keyring == "hung"
                                                       ? std::make_shared<KeyringHungUntilExit>()
                                                       : std::shared_ptr<Keychain>(h.keychain);
        auto store = h.makeStore(std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), keychain, kKeyringTimeout));
        QVERIFY(run(store->refreshSelected()));
        store->updateSettings([](WeatherSettings& settings) { settings.refreshIntervalMinutes = 60; });
        store.reset();
        KeychainWorker::exitIfACallHangs(0, std::chrono::milliseconds(200));
        std::puts("main goes on");
        std::fflush(stdout);
    }

    // Saves do not wait for a hung keyring either: each says the key was not saved, they keep their order
    // (one not yet started gives way to a newer one), and a save that ends after all clears the warning.
    void hungKeyringDoesNotHoldUpSaves() {
        HungKeyring k;
        Turned first = turnsWhile(k.store->updateAPIKey(QStringLiteral("ow-1"), K::openWeather));
        QVERIFY(first.turned && first.ended);
        const auto failure = std::optional(WeatherProviderCredentialStore::saveFailureMessage());
        QCOMPARE(k.store->saveError(), failure);
        QCOMPARE(k.store->lastError(), failure);
        QVERIFY(run(k.store->updateAPIKey(QStringLiteral("ow-2"), K::openWeather)));
        QVERIFY(run(k.store->updateAPIKey(QStringLiteral("ow-3"), K::openWeather)));
        QCOMPARE(k.store->saveError(), failure);
        QCOMPARE(k.keyring->calls(), 1);

        k.keyring->release();
        QTRY_VERIFY(!k.store->saveError());
        QVERIFY(!k.store->lastError());
        QCOMPARE(k.h.credentials()->load().openWeatherAPIKey, QStringLiteral("ow-3"));
        // The first save and the last: ow-2 was never written.
        QCOMPARE(k.keyring->calls(), 2 * 5);
    }

    // Quitting waits (briefly) for the last key write, so a key typed just before is kept.
    void storeGoingAwayFinishesTheLastWrite() {
        HungKeyring k;
        k.store->updateAPIKey(QStringLiteral("ow-last"), K::openWeather);
        std::thread answerSoon([keyring = k.keyring] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            keyring->release();
        });
        k.store.reset();
        answerSoon.join();
        QCOMPARE(k.h.credentials()->load().openWeatherAPIKey, QStringLiteral("ow-last"));
    }
};

QTEST_GUILESS_MAIN(StoreKeyringTest)
#include "tst_store_keyring.moc"
