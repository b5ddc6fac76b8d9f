#pragma once

#include "AppGroupContainer.h"
#include "InMemoryKeychain.h"
#include "LoopbackHTTPServer.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QTemporaryDir>

#include <QCoro/QCoroSignal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

// A store over a temporary snapshot file, in-memory keyring and mirror, a manual clock, a scripted location
// service and provider clients pointed at a loopback server.
namespace nimbra::storetest {

// Location services turned off: every resolution fails at once.
class LocationServicesOff final : public CurrentLocationService {
public:
    QCoro::Task<CurrentLocationResult> resolveCurrentLocation(QUuid) override {
        co_return CurrentLocationResult{std::nullopt, QStringLiteral("Location services are turned off.")};
    }
};

// The store's published state, as a snapshot of it would hold it.
inline CachedWeatherPayload stateOf(const WeatherStore& store) {
    return {store.locations(),         store.settings(),       store.selectedForecast(), store.forecasts(),
            store.providerForecasts(), store.accuracyScores(), store.deletedLocations()};
}

// Answers every resolution with `answer` (the id replaced by the one asked for), or, without one, holds the
// caller until release().
class ScriptedCurrentLocationService final : public CurrentLocationService {
public:
    std::optional<CurrentLocationResult> answer;
    int calls = 0;
    // Requests withdrawn; a held caller still waits for release().
    int withdrawals = 0;

    QCoro::Task<CurrentLocationResult> resolveCurrentLocation(QUuid existingID) override {
        ++calls;
        std::optional<CurrentLocationResult> result = answer;
        if (!result) {
            const auto gate = m_gate;
            co_await qCoro(gate.get(), &Cancellation::cancelled);
            result = m_released;
        }
        if (result->location)
            result->location->id = existingID;
        co_return *result;
    }

    void cancelPendingRequest() override { ++withdrawals; }

    // Answers every held caller.
    void release(CurrentLocationResult result) {
        m_released = std::move(result);
        std::exchange(m_gate, makeCancellation())->cancel();
    }

    static CurrentLocationResult found(const QString& name, double latitude, double longitude) {
        return {place(0, name, latitude, longitude, QStringLiteral("Yorkshire"), true), {}};
    }
    static CurrentLocationResult failed(CurrentLocationError error) {
        return {std::nullopt, errorDescription(error), error};
    }

private:
    CancellationToken m_gate = makeCancellation();
    CurrentLocationResult m_released;
};

// Passes every call to another keychain and notes it ("find <account>", "remove <account>", ...).
class CountingKeychain final : public Keychain {
public:
    explicit CountingKeychain(std::shared_ptr<Keychain> inner) : m_inner(std::move(inner)) {}

    mutable QStringList calls;

    KeychainStatus add(const QString& service, const QString& account, const QByteArray& data) override {
        calls.append(QStringLiteral("add ") + account);
        return m_inner->add(service, account, data);
    }
    KeychainStatus update(const QString& service, const QString& account, const QByteArray& data) override {
        calls.append(QStringLiteral("update ") + account);
        return m_inner->update(service, account, data);
    }
    KeychainLookup find(const QString& service, const QString& account) const override {
        calls.append(QStringLiteral("find ") + account);
        return m_inner->find(service, account);
    }
    KeychainStatus remove(const QString& service, const QString& account) override {
        calls.append(QStringLiteral("remove ") + account);
        return m_inner->remove(service, account);
    }

private:
    std::shared_ptr<Keychain> m_inner;
};

// A keyring that does not answer: every call waits until release() (or, so that a store that still called it
// on the main thread cannot hang the test for good, until `giveUp` has passed), then goes to `inner`.
class HangingKeychain final : public Keychain {
public:
    explicit HangingKeychain(std::shared_ptr<Keychain> inner,
                             std::chrono::milliseconds giveUp = std::chrono::seconds(15))
        : m_inner(std::move(inner)), m_giveUp(giveUp) {}

    // Calls made so far, answered or not.
    int calls() const { return m_calls; }
    void release() {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    KeychainStatus add(const QString& service, const QString& account, const QByteArray& data) override {
        wait();
        return m_inner->add(service, account, data);
    }
    KeychainStatus update(const QString& service, const QString& account, const QByteArray& data) override {
        wait();
        return m_inner->update(service, account, data);
    }
    KeychainLookup find(const QString& service, const QString& account) const override {
        wait();
        return m_inner->find(service, account);
    }
    KeychainStatus remove(const QString& service, const QString& account) override {
        wait();
        return m_inner->remove(service, account);
    }

private:
    void wait() const {
        ++m_calls;
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, m_giveUp, [this] { return m_released; });
    }

    std::shared_ptr<Keychain> m_inner;
    std::chrono::milliseconds m_giveUp;
    mutable std::atomic_int m_calls = 0;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_released = false;
};

// A coroutine of the store left running while the test acts.
struct Running {
    std::shared_ptr<bool> done = std::make_shared<bool>(false);
    QCoro::Task<void> task;
};

inline QCoro::Task<void> markDone(QCoro::Task<void> task, std::shared_ptr<bool> done) {
    co_await task;
    *done = true;
}

inline Running start(QCoro::Task<void> task) {
    Running running;
    running.task = markDone(std::move(task), running.done);
    return running;
}

inline QCoro::Task<bool> completed(QCoro::Task<void> task) {
    co_await task;
    co_return true;
}

// Runs a store operation to its end; false when it did not end within `limit`.
inline bool run(QCoro::Task<void> task, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    return testing::runTask(completed(std::move(task)), limit).value_or(false);
}

struct StoreHarness {
    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    QString file = AppGroupContainer(dir->filePath(QStringLiteral("group")))
                       .filePath(QStringLiteral("Nimbra/weather-widget-cache-v3.json"));
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(kNoon);
    std::shared_ptr<InMemoryKeychain> keychain = std::make_shared<InMemoryKeychain>();
    // What the store asks of `keychain`; keys a test seeds through credentials() are not counted.
    std::shared_ptr<CountingKeychain> storeKeychain = std::make_shared<CountingKeychain>(keychain);
    std::shared_ptr<WidgetCenterRecorder> widgets = std::make_shared<WidgetCenterRecorder>();
    std::shared_ptr<ScriptedCurrentLocationService> location =
        std::make_shared<ScriptedCurrentLocationService>();
    std::unique_ptr<LoopbackHTTPServer> server = std::make_unique<LoopbackHTTPServer>();
    std::shared_ptr<HTTPSession> session = std::make_shared<HTTPSession>();
    WeatherStoreEnvironment environment{clock, widgets, std::chrono::milliseconds(10)};
    // The synced mirror's storage for the stores made from here on; none: each store gets an empty one.
    std::shared_ptr<UbiquitousKeyValueStoreInMemory> mirror;

    StoreHarness() {
        const bool listening = server->listen();
        Q_ASSERT(listening);
        Q_UNUSED(listening);
        environment.providers.session = session;
        for (const auto kind : providers::allCases())
            environment.providers.baseURLs.insert(kind, server->baseURL());
        environment.calendar = LocalCalendar(QTimeZone::utc(), QLocale::c());
    }

    void save(const CachedWeatherPayload& payload) {
        WeatherCache cache(file);
        const auto error = cache.save(payload);
        Q_ASSERT(!error);
    }

    std::shared_ptr<WeatherProviderCredentialStore> credentials() const {
        return std::make_shared<WeatherProviderCredentialStore>(std::make_shared<InMemoryUserDefaults>(),
                                                                keychain);
    }

    // The store, once the launch's save is on disk.
    std::unique_ptr<WeatherStore> makeStore() {
        return makeStore(std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), storeKeychain));
    }
    std::unique_ptr<WeatherStore> makeStore(std::shared_ptr<WeatherProviderCredentialStore> credentials) {
        auto store = std::make_unique<WeatherStore>(
            std::make_shared<WeatherCache>(file),
            std::make_shared<LocationSyncStore>(mirror ? mirror
                                                       : std::make_shared<UbiquitousKeyValueStoreInMemory>()),
            location, std::move(credentials), environment);
        store->flushSaves();
        return store;
    }
};

} // namespace nimbra::storetest
