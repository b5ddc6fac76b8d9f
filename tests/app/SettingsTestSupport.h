#pragma once

#include "LocationSearchController.h"
#include "StoreHarness.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <QCoro/QCoroSignal>

// Fakes and a store for the settings window's tests.
namespace nimbra::settingstest {

// A place search that answers only when the test says so; a cancelled call ends with an empty answer, as
// an aborted request does.
struct FakeSearch {
    struct Call {
        QString query;
        int count = 0;
        CancellationToken cancel;
        CancellationToken gate = makeCancellation();
        std::shared_ptr<LocationSearchResult> answer = std::make_shared<LocationSearchResult>();
    };
    QList<std::shared_ptr<Call>> calls;

    LocationSearchController::SearchFunction function() {
        return [this](QString query, int count, CancellationToken cancel) {
            auto call = std::make_shared<Call>(Call{query, count, cancel});
            if (cancel)
                QObject::connect(cancel.get(), &Cancellation::cancelled, call->gate.get(),
                                 &Cancellation::cancel);
            calls.append(call);
            return wait(call);
        };
    }
    static QCoro::Task<LocationSearchResult> wait(std::shared_ptr<Call> call) {
        if (!call->gate->isCancelled())
            co_await qCoro(call->gate.get(), &Cancellation::cancelled);
        co_return *call->answer;
    }
    void answer(int index, LocationSearchResult result) {
        *calls[index]->answer = std::move(result);
        calls[index]->gate->cancel();
        QCoreApplication::processEvents();
    }
    // Ends every call still waiting, so no coroutine is left suspended.
    ~FakeSearch() {
        for (const auto& call : calls)
            call->gate->cancel();
    }
};

inline WeatherLocation found(const QString& name, double latitude, double longitude,
                             const QString& subtitle = QStringLiteral("Somewhere")) {
    return {QUuid::createUuid(), name, subtitle, latitude, longitude, false, false, {}};
}

inline LocationSearchResult places(QList<WeatherLocation> locations) {
    return {std::move(locations), std::nullopt, {}};
}

inline LocationSearchResult failure(const QString& text) {
    return {{}, std::nullopt, text};
}

// A store over in-memory layers whose persists can be counted: each one asks for exactly one reload of
// all widget timelines (the delayed second reload is pushed out of every test's reach).
struct SettingsHarness : storetest::StoreHarness {
    std::unique_ptr<WeatherStore> store;

    explicit SettingsHarness(const CachedWeatherPayload& payload = {}) {
        environment.widgetReloadDelay = std::chrono::hours(1);
        save(payload);
        store = makeStore();
        widgets->clear();
    }
    // A key read or save the window started runs to its end, so nothing of it is left behind.
    ~SettingsHarness() {
        Q_UNUSED(QTest::qWaitFor([this] { return !store->isWaitingForKeyring(); }));
    }
    // Once the saves handed to the writer are written.
    int persists() const {
        store->flushSaves();
        return int(widgets->kinds().count(QStringLiteral("*")));
    }
    // The snapshot's folder becomes a file, so every later write fails.
    void blockSnapshotWrites() const {
        const QString folder = QFileInfo(file).absolutePath();
        QDir(folder).removeRecursively();
        QFile blocker(folder);
        blocker.open(QIODevice::WriteOnly);
    }
    void unblockSnapshotWrites() const { QFile::remove(QFileInfo(file).absolutePath()); }
};

} // namespace nimbra::settingstest
