// Start-up with a snapshot file and a synced mirror (joined by a NUL byte; one document alone is both): the
// file the store writes at start-up holds exactly the state it starts with, and the mirror the same bytes.
// A second start-up over what the first wrote starts with the same state: nothing is merged or dropped
// twice (only the mirror's re-sorting may change the order of the places).
#include "AppGroupContainer.h"
#include "FuzzSupport.h"
#include "InMemoryKeychain.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

using namespace nimbra;

namespace {

class SilentWidgetCenter final : public WidgetCenter {
public:
    void reloadAllTimelines() override {}
    void reloadTimelines(const QString&) override {}
};

// Start-up never asks for a fix.
class NoCurrentLocation final : public CurrentLocationService {
public:
    QCoro::Task<CurrentLocationResult> resolveCurrentLocation(QUuid) override {
        co_return CurrentLocationResult{std::nullopt, QStringLiteral("No fix in a fuzz run."), std::nullopt};
    }
};

// In memory where the system offers it: every start-up syncs its snapshot to disk, which on a real disk
// would make this target a hundred times slower.
QString temporaryTemplate() {
    const QString shared = QStringLiteral("/dev/shm");
    return (QDir(shared).exists() ? shared : QDir::tempPath()) + QStringLiteral("/nimbra-fuzz-XXXXXX");
}

struct Fixture {
    QTemporaryDir dir{temporaryTemplate()};
    QString folder =
        AppGroupContainer(dir.filePath(QStringLiteral("group"))).filePath(QStringLiteral("Nimbra"));
    QString file = QDir(folder).filePath(QStringLiteral("weather-widget-cache-v3.json"));
    std::shared_ptr<HTTPSession> session = std::make_shared<HTTPSession>();
    std::shared_ptr<CurrentLocationService> location = std::make_shared<NoCurrentLocation>();
    std::shared_ptr<WidgetCenter> widgets = std::make_shared<SilentWidgetCenter>();
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

CachedWeatherPayload stateOf(const WeatherStore& store) {
    return {store.locations(),         store.settings(),       store.selectedForecast(), store.forecasts(),
            store.providerForecasts(), store.accuracyScores(), store.deletedLocations()};
}

// The state with its places in id order.
CachedWeatherPayload inIDOrder(CachedWeatherPayload state) {
    std::sort(state.locations.begin(), state.locations.end(),
              [](const WeatherLocation& a, const WeatherLocation& b) { return a.id < b.id; });
    return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ensureApplication();
    Fixture& f = fixture();
    const QList<QByteArray> documents = fuzz::parts(fuzz::bytes(data, size), 2);

    // A fresh folder each time: set-aside copies of unreadable files would pile up.
    QDir(f.folder).removeRecursively();
    QDir().mkpath(f.folder);
    {
        QFile file(f.file);
        fuzz::require(file.open(QIODevice::WriteOnly) && file.write(documents[0]) == documents[0].size(),
                      "the fuzz run can write its snapshot file");
    }
    auto mirror = std::make_shared<UbiquitousKeyValueStoreInMemory>();
    mirror->setData(documents[1], LocationSyncStore::payloadKey);

    WeatherStoreEnvironment environment{
        std::make_shared<ManualClock>(QDateTime(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC)), f.widgets,
        std::chrono::milliseconds(0)};
    environment.providers.session = f.session;
    environment.calendar = fuzz::calendarFor(size);
    const auto credentials = std::make_shared<WeatherProviderCredentialStore>(
        std::make_shared<InMemoryUserDefaults>(), std::make_shared<InMemoryKeychain>());
    const auto launch = [&] {
        return std::make_unique<WeatherStore>(std::make_shared<WeatherCache>(f.file),
                                              std::make_shared<LocationSyncStore>(mirror), f.location,
                                              credentials, environment);
    };
    CachedWeatherPayload first;
    {
        const auto launched = launch();
        launched->flushSaves();
        const WeatherStore& store = *launched;
        first = stateOf(store);
        QFile file(f.file);
        fuzz::require(file.open(QIODevice::ReadOnly), "the store wrote its snapshot at start-up",
                      store.lastError().value_or(QString()));
        const QByteArray written = file.readAll();
        QStringList dropped;
        const Coded<CachedWeatherPayload> reread = CachedWeatherPayload::decode(written, &dropped);
        fuzz::require(bool(reread), "the snapshot written at start-up reads back", reread.error);
        fuzz::require(dropped.isEmpty(), "the snapshot written at start-up reads back whole",
                      dropped.join(u'\n'));
        fuzz::require(*reread == stateOf(store), "the snapshot written at start-up holds the store's state",
                      QString::fromUtf8(written));
        if (store.settings().useICloudSync)
            fuzz::require(mirror->data(LocationSyncStore::payloadKey) == written,
                          "the mirror holds what the file holds");
    }
    {
        // Once its forecasts and the mirror's places, read on a worker, are taken in.
        const auto again = launch();
        again->flushSaves();
        const CachedWeatherPayload second = stateOf(*again);
        const bool same = inIDOrder(second) == inIDOrder(first);
        fuzz::require(same, "a second start-up over the first one's file starts with the same state",
                      same ? QString() : QString::fromUtf8(second.encoded().value.value_or(QByteArray())));
    }
    // The delayed widget reloads.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return 0;
}
