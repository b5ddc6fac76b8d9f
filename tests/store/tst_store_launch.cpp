// A launch from a well-formed file: the selected place's forecast is there at once, the other forecasts and
// the mirror's places come in from a worker, and nothing changed in between is lost or undone.
#include "AppGroupContainer.h"
#include "InMemoryKeychain.h"
#include "StoreHarness.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>

#include <sys/stat.h>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

// A mirror whose first read waits until the test lets it go: the worker, which reads it after the tables,
// then holds its results back while the test acts.
class GatedMirror final : public UbiquitousKeyValueStore {
public:
    std::optional<QByteArray> data(const QString& key) const override {
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [this] { return m_open; });
        return m_inner.data(key);
    }
    bool setData(const QByteArray& value, const QString& key) override { return m_inner.setData(value, key); }
    bool synchronize() override { return true; }

    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_opened.notify_all();
    }

private:
    UbiquitousKeyValueStoreInMemory m_inner;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_opened;
    bool m_open = false;
};

// The same document with a top-level key written with an escape: Qt reads it as before, but it does not
// outline, so the store decodes it whole, on the launch's worker.
QByteArray notOutlined(QByteArray bytes) {
    return bytes.replace("\"settings\":", "\"s\\u0065ttings\":");
}

// A snapshot that needs tidying: a duplicate whose forecasts go to the place kept (and selected), a sample
// place, a forecast of a place no longer listed.
CachedWeatherPayload untidyPayload() {
    CachedWeatherPayload saved = payloadWith(4);
    const WeatherLocation paris = place(8, "Paris", 48.85, 2.35, "France");
    const WeatherLocation parisLater =
        place(9, "Paris", 48.851, 2.351, "Île-de-France, France", false, kNoon.addSecs(60));
    saved.locations += {paris, place(10, "London", 51.5072, -0.1276, "United Kingdom"), parisLater};
    saved.forecasts.insert(paris.id, consensusFor(paris));
    saved.providerForecasts.insert(paris.id, {providerForecast(paris.id, WeatherProviderKind::metNorway)});
    saved.forecasts.insert(idFor(77), consensusFor(place(77, QStringLiteral("Gone"), 1, 1)));
    saved.settings.menuBarLocationID = paris.id;
    saved.settings.useICloudSync = false;
    return saved;
}

// The file's identity: a rewrite (a new file renamed over it) changes it.
ino_t inodeOf(const QString& path) {
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Each entry of a table as the file holds it.
QHash<QUuid, QByteArray> entriesIn(const QByteArray& bytes, QByteArrayView table) {
    QHash<QUuid, QByteArray> entries;
    const auto outline = SnapshotOutline::of(bytes);
    if (!outline)
        return entries;
    const QHash<QUuid, QByteArrayView> views =
        outline->entryBytes(table).value_or(QHash<QUuid, QByteArrayView>());
    for (auto it = views.cbegin(); it != views.cend(); ++it)
        entries.insert(it.key(), it->toByteArray());
    return entries;
}

enum class QuitChange { none, setting, places };

// What a change-signal row does: the first three are the launch's own, the rest come after it.
enum class StoreChange {
    tablesLand,
    mirrorAddsAPlace,
    mirrorReplacesTheSelected,
    settingEdited,
    settingsKept,
    otherSelected,
    selectedAgain,
    placeAdded,
    selectedDeleted,
    otherDeleted,
    placesMoved,
    selectedRefreshed,
    otherRefreshed,
    currentFixed,
    keyEdited,
};

} // namespace

Q_DECLARE_METATYPE(QuitChange)
Q_DECLARE_METATYPE(StoreChange)

class StoreLaunchTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    std::shared_ptr<UbiquitousKeyValueStoreInMemory> m_mirror;

    // The store as its constructor leaves it: the worker's part may not have come in yet.
    std::unique_ptr<WeatherStore> launch(bool fixtures = false,
                                         std::shared_ptr<UbiquitousKeyValueStore> mirror = nullptr,
                                         std::shared_ptr<SnapshotReadAhead> readAhead = nullptr) {
        auto credentials = std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), std::make_shared<InMemoryKeychain>());
        WeatherStoreEnvironment environment{std::make_shared<ManualClock>(kNoon.addDays(1)),
                                            std::make_shared<WidgetCenterRecorder>(),
                                            std::chrono::milliseconds(0)};
        environment.useFixtures = fixtures;
        environment.launchReading = std::move(readAhead);
        return std::make_unique<WeatherStore>(std::make_shared<WeatherCache>(m_file),
                                              std::make_shared<LocationSyncStore>(mirror ? mirror : m_mirror),
                                              std::make_shared<LocationServicesOff>(), credentials,
                                              environment);
    }

    void writeFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    CachedWeatherPayload onDisk() const { return WeatherCache(m_file).load(); }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = AppGroupContainer(m_dir->filePath(QStringLiteral("group")))
                     .filePath(QStringLiteral("Nimbra/weather-widget-cache-v3.json"));
        m_mirror = std::make_shared<UbiquitousKeyValueStoreInMemory>();
    }

    // Whether the tables come from the worker or were decoded with the rest, the store starts with the same
    // state, tidied alike; the selected place's forecast is the one it ends with from the start.
    void outlinedLaunchStartsAsAWholeDecodeDoes() {
        const QByteArray bytes = *untidyPayload().encoded();
        writeFile(notOutlined(bytes));
        const auto whole = launch();
        // The tray does not wait for the whole decode: it shows a lone current location until then.
        QVERIFY(!whole->hasLoadedForecasts());
        QCOMPARE(whole->locations().size(), 1);
        QTRY_VERIFY(whole->hasLoadedForecasts());
        const CachedWeatherPayload expected = stateOf(*whole);
        QCOMPARE(expected.selectedForecast->location.subtitle, QStringLiteral("Île-de-France, France"));
        QCOMPARE(expected.forecasts.size(), 5);

        writeFile(bytes);
        const auto outlined = launch();
        QVERIFY(!outlined->hasLoadedForecasts());
        QCOMPARE(outlined->locations(), expected.locations);
        QCOMPARE(outlined->selectedForecast(), expected.selectedForecast);
        QTRY_VERIFY(outlined->hasLoadedForecasts());
        QCOMPARE(stateOf(*outlined), expected);
        outlined->flushSaves();
        QCOMPARE(onDisk(), expected);

        // Read ahead on a thread, the same; read ahead of another file, not taken for this one.
        const QString otherFile = m_dir->filePath(QStringLiteral("other.json"));
        QVERIFY(WeatherCache(otherFile).save(payloadWith(1)) == std::nullopt);
        for (const QString& aheadOf : {m_file, otherFile}) {
            const auto readAhead = launch(
                false, nullptr, std::make_shared<SnapshotReadAhead>(std::make_shared<WeatherCache>(aheadOf)));
            QTRY_VERIFY(readAhead->hasLoadedForecasts());
            QCOMPARE(stateOf(*readAhead), expected);
        }
    }

    // Everything a user (or a refresh) does before the forecasts have come in is kept, and the forecasts
    // that came in fill the rest: a save made meanwhile never writes a snapshot without them.
    void changesBeforeTheTablesLandLoseNothing() {
        const CachedWeatherPayload saved = payloadWith(5);
        writeFile(*saved.encoded());
        const auto store = launch();
        QVERIFY(!store->hasLoadedForecasts());
        store->updateSettings([](WeatherSettings& s) { s.showAlerts = !s.showAlerts; });
        // Place 3's forecast has not come in: a placeholder stands in for it until it does.
        store->select(saved.locations.at(2));
        store->deleteSavedLocations({2});
        store->addLocation(place(20, QStringLiteral("Bergen"), 60.4, 5.3));
        // A new fix of the current place keeps its forecast, which has not come in yet either.
        store->updateCurrentLocation(currentPlace(1, QStringLiteral("Leeds"), 53.81, -1.56));
        store->select(saved.locations.at(2));
        store->flushSaves();

        QVERIFY(store->hasLoadedForecasts());
        QCOMPARE(namesOf(store->locations()),
                 (QStringList{"Leeds", "Place 2", "Place 3", "Place 5", "Bergen"}));
        QCOMPARE(store->settings().showAlerts, !saved.settings.showAlerts);
        for (const int n : {1, 2, 3, 5}) {
            QCOMPARE(store->forecasts().value(idFor(n)), saved.forecasts.value(idFor(n)));
            QCOMPARE(store->providerForecasts().value(idFor(n)), saved.providerForecasts.value(idFor(n)));
        }
        QCOMPARE(store->selectedForecast(), saved.forecasts.value(idFor(3)));
        QVERIFY(!store->forecasts().contains(idFor(4)));
        QCOMPARE(store->forecasts().value(idFor(20)).providerCount, 0);
        QCOMPARE(onDisk(), stateOf(*store));

        // A file decoded whole on the worker: what was done before it came in is kept beside its state.
        writeFile(notOutlined(*saved.encoded()));
        const auto whole = launch(false, std::make_shared<UbiquitousKeyValueStoreInMemory>());
        QVERIFY(!whole->hasLoadedForecasts());
        whole->updateSettings([](WeatherSettings& s) { s.showAlerts = !s.showAlerts; });
        whole->addLocation(place(20, QStringLiteral("Bergen"), 60.4, 5.3));
        whole->flushSaves();
        QCOMPARE(namesOf(whole->locations()),
                 (QStringList{"Leeds", "Place 2", "Place 3", "Place 4", "Place 5", "Bergen"}));
        QCOMPARE(whole->settings().showAlerts, !saved.settings.showAlerts);
        QCOMPARE(whole->settings().menuBarLocationID, saved.settings.menuBarLocationID);
        QCOMPARE(whole->forecasts().value(idFor(4)), saved.forecasts.value(idFor(4)));
        QCOMPARE(onDisk(), stateOf(*whole));
    }

    // A refresh that ends before the file's forecasts are in waits for them: had it failed, it would keep
    // the file's entry, not the stand-in; its result then stands over the file's.
    void refreshEndingFirstWaitsForTheFile() {
        CachedWeatherPayload saved = payloadWith(3);
        saved.settings.useICloudSync = true;
        writeFile(*saved.encoded());
        const auto mirror = std::make_shared<GatedMirror>();
        const auto store = launch(true, mirror);
        auto refresh = store->refresh(saved.locations.at(2));
        QTest::qWait(100);
        QVERIFY(store->isRefreshing() && !store->hasLoadedForecasts());
        QCOMPARE(store->forecasts().value(idFor(2)), saved.forecasts.value(idFor(2)));
        mirror->open();
        QTRY_VERIFY(!store->isRefreshing());
        QVERIFY(store->hasLoadedForecasts());
        const ConsensusForecast fresh = store->forecasts().value(idFor(3));
        QVERIFY(fresh != saved.forecasts.value(idFor(3)) && fresh.providerCount > 0);
        QCOMPARE(store->forecasts().value(idFor(2)), saved.forecasts.value(idFor(2)));
        store->flushSaves();
        QCOMPARE(onDisk().forecasts.value(idFor(3)), fresh);

        // Of a file decoded whole the selected place is known once it has come in: a refresh of the selected
        // place asked before waits for it, and does not fetch for the stand-in.
        writeFile(notOutlined(*saved.encoded()));
        const auto whole = launch(true, std::make_shared<UbiquitousKeyValueStoreInMemory>());
        auto selected = whole->refreshSelectedResolvingCurrentLocation();
        QTRY_VERIFY(whole->hasLoadedForecasts());
        const QUuid id = whole->selectedLocation()->id;
        QCOMPARE(id, *saved.settings.menuBarLocationID);
        QTRY_VERIFY(whole->forecasts().value(id) != saved.forecasts.value(id));
        QVERIFY(whole->forecasts().value(id).providerCount > 0);
    }

    // After a close the file's forecasts never come in: a refresh waiting for them ends when the store goes.
    void refreshWaitingForTheFileEndsWithTheStore() {
        const CachedWeatherPayload saved = payloadWith(3);
        writeFile(*saved.encoded());
        auto store = launch(true);
        auto refresh = store->refresh(saved.locations.at(2));
        store->close();
        QTest::qWait(200);
        QVERIFY(!refresh.isReady());
        store.reset();
        QTRY_VERIFY(refresh.isReady());
    }

    // A store closed before the worker is done still writes the change made meanwhile, with every forecast.
    void closingBeforeTheTablesLandSavesEverything() {
        const CachedWeatherPayload saved = payloadWith(4);
        writeFile(*saved.encoded());
        {
            const auto store = launch();
            store->updateSettings([](WeatherSettings& s) { s.refreshIntervalMinutes = 15; });
        }
        const CachedWeatherPayload written = onDisk();
        QCOMPARE(written.settings.refreshIntervalMinutes, 15);
        QCOMPARE(written.forecasts, saved.forecasts);
        QCOMPARE(written.providerForecasts, saved.providerForecasts);
    }

    void quitBeforeTheTablesLandWritesOnlyTheChange_data() {
        QTest::addColumn<QuitChange>("change");
        QTest::addColumn<bool>("sync");
        QTest::newRow("nothing") << QuitChange::none << false;
        QTest::newRow("nothing, synced") << QuitChange::none << true;
        QTest::newRow("a setting, synced") << QuitChange::setting << true;
        QTest::newRow("places") << QuitChange::places << false;
    }

    // A quit before the forecasts have come in waits for no decode: with nothing to save neither the file
    // nor the mirror is written, and a change is written to the file with its own bytes of every entry it
    // did not touch (here with spaces the encoder would not write).
    void quitBeforeTheTablesLandWritesOnlyTheChange() {
        QFETCH(QuitChange, change);
        QFETCH(bool, sync);
        CachedWeatherPayload saved = payloadWith(5);
        saved.settings.useICloudSync = sync;
        QByteArray bytes = *saved.encoded();
        bytes.replace("\"hourly\":[", "\"hourly\": [");
        writeFile(bytes);
        if (sync)
            QVERIFY(LocationSyncStore(m_mirror).saveEncoded(bytes));
        const int mirrorWrites = m_mirror->writeCount();
        const ino_t inode = inodeOf(m_file);

        const auto store = launch();
        if (change == QuitChange::setting)
            store->updateSettings([](WeatherSettings& s) { s.refreshIntervalMinutes = 15; });
        if (change == QuitChange::places) {
            store->deleteSavedLocations({2});
            store->addLocation(place(20, QStringLiteral("Bergen"), 60.4, 5.3));
        }
        store->close();
        QVERIFY(!store->hasLoadedForecasts());
        if (change == QuitChange::none) {
            QCOMPARE(contentsOf(m_file), bytes);
            QCOMPARE(inodeOf(m_file), inode);
            QCOMPARE(m_mirror->writeCount(), mirrorWrites);
            return;
        }

        const QByteArray written = contentsOf(m_file);
        for (const QByteArrayView table : {"forecasts", "providerForecasts"}) {
            QHash<QUuid, QByteArray> expected = entriesIn(bytes, table);
            if (change == QuitChange::places)
                expected.remove(idFor(4));
            const QHash<QUuid, QByteArray> entries = entriesIn(written, table);
            for (auto it = expected.cbegin(); it != expected.cend(); ++it)
                QCOMPARE(entries.value(it.key()), it.value());
            QCOMPARE(entries.size(), expected.size() + (change == QuitChange::places ? 1 : 0));
        }
        const CachedWeatherPayload state = onDisk();
        QCOMPARE(state.settings.refreshIntervalMinutes,
                 change == QuitChange::setting ? 15 : saved.settings.refreshIntervalMinutes);
        QCOMPARE(state.selectedForecast, state.forecasts.value(*state.settings.menuBarLocationID));
        if (change == QuitChange::places) {
            QCOMPARE(namesOf(state.locations),
                     (QStringList{"Leeds", "Place 2", "Place 3", "Place 5", "Bergen"}));
            QCOMPARE(state.forecasts.value(idFor(20)).providerCount, 0);
        } else {
            QCOMPARE(state.selectedForecast, saved.forecasts.value(idFor(2)));
        }
        // The mirror, not read yet, waits for the next launch, which merges it with the file and writes it.
        QCOMPARE(m_mirror->writeCount(), mirrorWrites);
    }

    void changeSignalsFollowTheirFacts_data() {
        QTest::addColumn<StoreChange>("change");
        QTest::addColumn<bool>("settingsChange");
        QTest::addColumn<bool>("selectedForecastChange");
        QTest::newRow("the tables land") << StoreChange::tablesLand << false << false;
        QTest::newRow("the mirror adds a place") << StoreChange::mirrorAddsAPlace << false << false;
        QTest::newRow("the mirror's newer copy of the selected place replaces it")
            << StoreChange::mirrorReplacesTheSelected << true << true;
        QTest::newRow("a setting edited") << StoreChange::settingEdited << true << false;
        QTest::newRow("settings set to what they are") << StoreChange::settingsKept << false << false;
        QTest::newRow("another place selected") << StoreChange::otherSelected << true << true;
        QTest::newRow("the selected place selected again") << StoreChange::selectedAgain << false << false;
        QTest::newRow("a place added") << StoreChange::placeAdded << true << true;
        QTest::newRow("the selected place deleted") << StoreChange::selectedDeleted << true << true;
        QTest::newRow("another place deleted") << StoreChange::otherDeleted << false << false;
        QTest::newRow("places moved") << StoreChange::placesMoved << false << false;
        QTest::newRow("the selected place refreshed") << StoreChange::selectedRefreshed << false << true;
        QTest::newRow("another place refreshed") << StoreChange::otherRefreshed << false << false;
        QTest::newRow("a new fix of the current place") << StoreChange::currentFixed << false << false;
        QTest::newRow("an API key edited") << StoreChange::keyEdited << false << false;
    }

    // settingsChanged() and selectedForecastChanged() follow every path that alters their fact, and only
    // those; a receiver reads the fact as the change left it.
    void changeSignalsFollowTheirFacts() {
        QFETCH(StoreChange, change);
        QFETCH(bool, settingsChange);
        QFETCH(bool, selectedForecastChange);
        // Leeds (current), Place 2 (selected), Place 3 and Place 4; synced, the mirror as this computer wrote
        // it.
        CachedWeatherPayload saved = payloadWith(4);
        saved.settings.useICloudSync = true;
        writeFile(*saved.encoded());
        CachedWeatherPayload remote = saved;
        if (change == StoreChange::mirrorAddsAPlace)
            remote.locations.append(place(30, QStringLiteral("Oslo"), 59.9, 10.7));
        if (change == StoreChange::mirrorReplacesTheSelected)
            remote.locations.append(place(31, QStringLiteral("Place 2"), 11.001, 21.001,
                                          QStringLiteral("Somewhere"), false, kNoon.addSecs(60)));
        QVERIFY(LocationSyncStore(m_mirror).save(remote));
        const auto store = launch(true);
        if (change > StoreChange::mirrorReplacesTheSelected)
            store->flushSaves();

        QSignalSpy settingsSignals(store.get(), &WeatherStore::settingsChanged);
        QSignalSpy forecastSignals(store.get(), &WeatherStore::selectedForecastChanged);
        const WeatherSettings settingsBefore = store->settings();
        const std::optional<ConsensusForecast> forecastBefore = store->selectedForecast();
        WeatherSettings settingsSeen = settingsBefore;
        std::optional<ConsensusForecast> forecastSeen = forecastBefore;
        connect(store.get(), &WeatherStore::settingsChanged, store.get(),
                [&] { settingsSeen = store->settings(); });
        connect(store.get(), &WeatherStore::selectedForecastChanged, store.get(),
                [&] { forecastSeen = store->selectedForecast(); });

        switch (change) {
        case StoreChange::tablesLand:
        case StoreChange::mirrorAddsAPlace:
        case StoreChange::mirrorReplacesTheSelected:
            store->flushSaves();
            break;
        case StoreChange::settingEdited:
            store->updateSettings([](WeatherSettings& s) { s.refreshIntervalMinutes = 15; });
            break;
        case StoreChange::settingsKept:
            store->updateSettings([](WeatherSettings&) {});
            break;
        case StoreChange::otherSelected:
            store->select(saved.locations.at(2));
            break;
        case StoreChange::selectedAgain:
            store->select(saved.locations.at(1));
            break;
        case StoreChange::placeAdded:
            store->addLocation(place(20, QStringLiteral("Bergen"), 60.4, 5.3));
            break;
        case StoreChange::selectedDeleted:
            store->deleteSavedLocations({0});
            break;
        case StoreChange::otherDeleted:
            store->deleteSavedLocations({1});
            break;
        case StoreChange::placesMoved:
            store->moveSavedLocations({2}, 0);
            break;
        case StoreChange::selectedRefreshed:
            QVERIFY(run(store->refreshSelected()));
            break;
        case StoreChange::otherRefreshed:
            QVERIFY(run(store->refresh(saved.locations.at(2))));
            break;
        case StoreChange::currentFixed:
            store->updateCurrentLocation(currentPlace(1, QStringLiteral("Leeds"), 53.81, -1.56));
            break;
        case StoreChange::keyEdited:
            store->updateAPIKeyInMemory(QStringLiteral("key"), WeatherProviderKind::openWeather);
            break;
        }

        // The row names a change that alters the fact, or one that leaves it as it was.
        QCOMPARE(store->settings() != settingsBefore, settingsChange);
        QCOMPARE(store->selectedForecast() != forecastBefore, selectedForecastChange);
        QCOMPARE(!settingsSignals.isEmpty(), settingsChange);
        QCOMPARE(!forecastSignals.isEmpty(), selectedForecastChange);
        QCOMPARE(settingsSeen, store->settings());
        QCOMPARE(forecastSeen, store->selectedForecast());
    }

    // The mirror is read on the worker: its places from another computer come in with the forecasts, but a
    // place deleted here meanwhile does not come back from its older copy there.
    void mirrorPlacesComeInWithoutUndoingADeletion() {
        CachedWeatherPayload local = payloadWith(3);
        local.settings.useICloudSync = true;
        writeFile(*local.encoded());
        CachedWeatherPayload remote = local;
        remote.locations.append(place(30, QStringLiteral("Oslo"), 59.9, 10.7));
        LocationSyncStore(m_mirror).save(remote);

        const auto store = launch();
        QCOMPARE(namesOf(store->locations()), (QStringList{"Leeds", "Place 2", "Place 3"}));
        store->deleteSavedLocations({1});
        store->flushSaves();
        QCOMPARE(namesOf(store->locations()), (QStringList{"Leeds", "Oslo", "Place 2"}));
        QCOMPARE(store->forecasts().value(idFor(2)), local.forecasts.value(idFor(2)));
        QCOMPARE(LocationSyncStore(m_mirror).load(), std::optional(onDisk()));
    }
};

QTEST_GUILESS_MAIN(StoreLaunchTest)
#include "tst_store_launch.moc"
