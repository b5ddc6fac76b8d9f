#include "AppGroupContainer.h"
#include "FifoGuard.h"
#include "InMemoryKeychain.h"
#include "StoreHarness.h"
#include "StoreTestData.h"
#include "TestSupport.h"
#include "UserDefaults.h"
#include "WeatherStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace nimbra;
using namespace nimbra::storetest;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// One current-location entry leads the list, and every forecast key and the selection name a listed place.
bool invariantsHold(const WeatherStore& store) {
    QSet<QUuid> ids;
    for (const auto& l : store.locations())
        ids.insert(l.id);
    const auto keys = store.forecasts().keys() + store.providerForecasts().keys();
    const auto& list = store.locations();
    return !list.isEmpty() && list.first().isCurrentLocation &&
           std::count_if(list.cbegin(), list.cend(), [](const auto& l) { return l.isCurrentLocation; }) ==
               1 &&
           std::all_of(keys.cbegin(), keys.cend(), [&](const QUuid& id) { return ids.contains(id); }) &&
           ids.contains(store.settings().menuBarLocationID.value_or(QUuid()));
}

constexpr int reloadsPerPersist = 4;

// Which file a path names: a save replaces the file, so a new inode means it was written.
ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

} // namespace

class WeatherStoreTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    std::shared_ptr<UbiquitousKeyValueStoreInMemory> m_mirror;
    std::shared_ptr<InMemoryKeychain> m_keychain;
    std::shared_ptr<WidgetCenterRecorder> m_widgets;

    // The store as its constructor leaves it.
    std::unique_ptr<WeatherStore> launch(const QDateTime& now = kNoon.addDays(1)) {
        auto credentials = std::make_shared<WeatherProviderCredentialStore>(
            std::make_shared<InMemoryUserDefaults>(), m_keychain);
        const WeatherStoreEnvironment environment{std::make_shared<ManualClock>(now), m_widgets,
                                                  std::chrono::milliseconds(60)};
        return std::make_unique<WeatherStore>(
            std::make_shared<WeatherCache>(m_file), std::make_shared<LocationSyncStore>(m_mirror),
            std::make_shared<LocationServicesOff>(), credentials, environment);
    }

    std::unique_ptr<WeatherStore> makeStore(const QDateTime& now = kNoon.addDays(1)) {
        auto store = launch(now);
        store->flushSaves();
        return store;
    }

    void savePayload(const CachedWeatherPayload& payload) { writeFile(m_file, *payload.encoded()); }

    QStringList unreadableCopies() const {
        return QFileInfo(m_file).dir().entryList({QStringLiteral("*.unreadable-*")},
                                                 QDir::Files | QDir::System);
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_file = AppGroupContainer(m_dir->filePath(QStringLiteral("group")))
                     .filePath(QStringLiteral("Nimbra/weather-widget-cache-v3.json"));
        m_mirror = std::make_shared<UbiquitousKeyValueStoreInMemory>();
        m_keychain = std::make_shared<InMemoryKeychain>();
        m_widgets = std::make_shared<WidgetCenterRecorder>();
    }

    void firstLaunchStartsWithTheUnresolvedCurrentLocation() {
        const auto store = makeStore();
        QCOMPARE(store->locations().size(), 1);
        const WeatherLocation current = store->locations().first();
        QCOMPARE(current.name, QStringLiteral("Current Location"));
        QVERIFY(current.isCurrentLocation && current.latitude == 0 && current.longitude == 0);
        QCOMPARE(store->settings().menuBarLocationID, std::optional(current.id));
        QCOMPARE(store->selectedForecast(), store->placeholderForecast(current));
        QVERIFY(store->providerForecasts().contains(current.id) && !store->lastError());
        QCOMPARE(WeatherCache(m_file).load().locations, store->locations());
        QCOMPARE(LocationSyncStore(m_mirror).load()->locations, store->locations());
        QCOMPARE(m_widgets->kinds(),
                 (QStringList{"*", "NimbraCurrentWidget", "NimbraHourlyWidget", "NimbraTenDayWidget"}));
    }

    void launchFromAGoodFileKeepsItsStateAndRepairsIt() {
        CachedWeatherPayload saved = payloadWith(3);
        saved.settings.enabledProviders.clear();
        saved.forecasts.insert(idFor(77), consensusFor(place(77, QStringLiteral("Gone"), 1, 1)));
        savePayload(saved);
        WeatherProviderCredentials keys;
        keys.setAPIKey(QStringLiteral("ow-key"), WeatherProviderKind::openWeather);
        WeatherProviderCredentialStore(std::make_shared<InMemoryUserDefaults>(), m_keychain).save(keys);

        const auto store = makeStore();
        QCOMPARE(store->locations(), saved.locations);
        QCOMPARE(store->settings().enabledProviders, ProviderSet{WeatherProviderKind::openMeteo});
        QCOMPARE(store->selectedForecast(), saved.forecasts.value(idFor(2)));
        QCOMPARE(store->forecasts().size(), 3);
        QCOMPARE(store->accuracyScores(), saved.accuracyScores);
        store->readAPIKeys();
        QTRY_COMPARE(store->providerCredentials().openWeatherAPIKey, QStringLiteral("ow-key"));
        QVERIFY(invariantsHold(*store) && unreadableCopies().isEmpty());
    }

    // Writing (and flushing) the same bytes again only slows the launch; a launch that repaired something
    // must still write, and the widgets are asked to reload either way.
    void launchRewritesTheFileOnlyWhenItsStateChanged() {
        makeStore();
        // The first launch's second reload comes a second later; let it land before counting the next
        // launch's.
        QTRY_COMPARE(m_widgets->requests().size(), 2 * reloadsPerPersist);
        const QByteArray first = testing::readFile(m_file);
        const ino_t written = inodeOf(m_file);
        QVERIFY(written != 0);
        m_widgets->clear();

        const auto again = makeStore();
        QCOMPARE(inodeOf(m_file), written);
        QCOMPARE(testing::readFile(m_file), first);
        QCOMPARE(WeatherCache(m_file).load().locations, again->locations());
        QVERIFY(!again->lastError());
        QTRY_COMPARE(m_widgets->requests().size(), 2 * reloadsPerPersist);

        CachedWeatherPayload saved = payloadWith(2);
        saved.settings.enabledProviders.clear();
        savePayload(saved);
        const ino_t unrepaired = inodeOf(m_file);
        const auto repaired = makeStore();
        QVERIFY(inodeOf(m_file) != unrepaired);
        QCOMPARE(WeatherCache(m_file).load().settings, repaired->settings());
    }

    // The user learns once where the unreadable file went, and copies from earlier launches do not pile up.
    void unreadableFileIsSetAsideBeforeTheFirstSave() {
        QJsonObject o = payloadWith(2).toJson();
        o.insert(QStringLiteral("settings"), QJsonObject{{"refreshIntervalMinutes", "often"}});
        const QByteArray bytes = QJsonDocument(o).toJson();
        writeFile(m_file, bytes);
        const QString copy = m_file + QStringLiteral(".unreadable-");
        for (const char* stamp :
             {"20250305T090000Z", "20250302T090000Z-10", "20250301T090000Z", "20250302T090000Z-9"})
            writeFile(copy + QLatin1String(stamp), "older");
        writeFile(m_file + QStringLiteral(".unreadable-notes"), "not a copy of ours");
        const auto store = makeStore();

        QCOMPARE(unreadableCopies(),
                 (QStringList{"weather-widget-cache-v3.json.unreadable-20250302T090000Z-10",
                              "weather-widget-cache-v3.json.unreadable-20250305T090000Z",
                              "weather-widget-cache-v3.json.unreadable-20250311T120000Z",
                              "weather-widget-cache-v3.json.unreadable-notes"}));
        QCOMPARE(testing::readFile(copy + QStringLiteral("20250311T120000Z")), bytes);
        QCOMPARE(WeatherCache(m_file).read().status, WeatherCacheReading::Status::loaded);
        // A notice of its own: the launch refresh clears lastError() before anyone has seen it.
        QVERIFY(store->startupNotice());
        QVERIFY2(store->startupNotice()->contains(copy + QStringLiteral("20250311T120000Z.")),
                 qPrintable(*store->startupNotice()));
        QVERIFY(store->startupNotice()->contains(QStringLiteral("started without them")));
        QCOMPARE(store->lastError(), std::nullopt);
        store->persist();
        QCOMPARE(unreadableCopies().size(), 4);
        QVERIFY(store->startupNotice());
        store->dismissStartupNotice();
        QCOMPARE(store->startupNotice(), std::nullopt);
    }

    // A FIFO at the path (or any file that is not a regular one) is unreadable, set aside like a damaged
    // file: the launch neither waits for a writer nor reads it.
    void fifoAtThePathIsSetAside() {
        QVERIFY(QDir().mkpath(QFileInfo(m_file).absolutePath()));
        const FifoGuard fifo(m_file);
        QVERIFY(fifo.made());
        const auto store = makeStore();
        QVERIFY(!fifo.released());
        QCOMPARE(unreadableCopies().size(), 1);
        QVERIFY(store->startupNotice());
        QCOMPARE(WeatherCache(m_file).read().status, WeatherCacheReading::Status::loaded);
    }

    // Places that came back from the synced mirror are not "started without them"; beside no file (a new
    // computer) nothing is said. The mirror is read on the launch's worker: at many places that is a second
    // the tray would otherwise wait.
    void placesComeBackFromTheMirrorAfterTheLaunch_data() {
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("unreadable file") << true;
        QTest::newRow("no file") << false;
    }

    void placesComeBackFromTheMirrorAfterTheLaunch() {
        QFETCH(bool, unreadable);
        if (unreadable)
            writeFile(m_file, "{ not json");
        CachedWeatherPayload remote;
        remote.locations = {place(51, QStringLiteral("Oslo"), 59.9, 10.7)};
        LocationSyncStore(m_mirror).save(remote);
        const auto store = launch();
        QCOMPARE(namesOf(store->locations()), QStringList{QStringLiteral("Current Location")});
        QVERIFY(!store->hasLoadedForecasts() && !store->startupNotice());
        // Neither file nor mirror has this computer's position: the entry shown meanwhile stays.
        const QUuid current = store->locations().constFirst().id;
        QTRY_VERIFY(store->hasLoadedForecasts());
        QVERIFY(namesOf(store->locations()).contains(QStringLiteral("Oslo")));
        QCOMPARE(store->locations().constFirst().id, current);
        QCOMPARE(WeatherCache(m_file).load().locations, store->locations());
        if (!unreadable) {
            QCOMPARE(store->startupNotice(), std::nullopt);
            return;
        }
        QVERIFY(store->startupNotice());
        QVERIFY2(store->startupNotice()->contains(QStringLiteral("brought back from the synced copy")),
                 qPrintable(*store->startupNotice()));
        QVERIFY(!store->startupNotice()->contains(QStringLiteral("without them")));
    }

    void mirrorIsMergedOnlyWhenSyncIsOn_data() {
        QTest::addColumn<bool>("sync");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("on") << true << QStringList{"Leeds", "Oslo", "Place 2"};
        QTest::newRow("off") << false << QStringList{"Leeds", "Place 2"};
    }

    void mirrorIsMergedOnlyWhenSyncIsOn() {
        QFETCH(bool, sync);
        CachedWeatherPayload local = payloadWith(2);
        local.settings.useICloudSync = sync;
        savePayload(local);
        CachedWeatherPayload remote;
        remote.locations = {currentPlace(50, QStringLiteral("Atlanta"), 33.7, -84.4),
                            place(51, QStringLiteral("Oslo"), 59.9, 10.7)};
        LocationSyncStore(m_mirror).save(remote);

        const auto store = makeStore();
        QTEST(namesOf(store->locations()), "names");
        QCOMPARE(m_mirror->writeCount(), sync ? 2 : 1);
        QVERIFY(invariantsHold(*store));
    }

    // The widget host reads the file: it must see the state the application starts with. The system clock
    // has milliseconds, which the file does not keep.
    void startupFileHoldsTheStartupState() {
        CachedWeatherPayload local;
        local.locations = {place(2, QStringLiteral("Oslo"), 59.9, 10.7)};
        savePayload(local);
        CachedWeatherPayload remote;
        remote.locations = {
            place(3, QStringLiteral("Bergen"), 60.4, 5.3, QStringLiteral("Norway"), false, kNoon.addDays(2))};
        LocationSyncStore(m_mirror).save(remote);

        const auto store = makeStore(kNoon.addDays(1).addMSecs(250));
        QCOMPARE(namesOf(store->locations()), (QStringList{"Current Location", "Bergen", "Oslo"}));
        const CachedWeatherPayload state = stateOf(*store);
        QCOMPARE(WeatherCache(m_file).load(), state);
        QCOMPARE(LocationSyncStore(m_mirror).load(), std::optional(state));
    }

    void startupTidyDropsSamplesAndMergesDuplicates() {
        CachedWeatherPayload saved;
        const WeatherLocation oldCurrent = place(1, QStringLiteral("Current Location"), 40.71285, -74.00605,
                                                 QStringLiteral("New York"), true);
        const WeatherLocation london = place(2, "London", 51.5072, -0.1276, "United Kingdom");
        const WeatherLocation paris = place(4, "Paris", 48.85, 2.35, "France");
        const WeatherLocation parisLater =
            place(5, "Paris", 48.851, 2.351, "Île-de-France, France", false, kNoon);
        saved.locations = {oldCurrent, london, place(3, "London", 51.5080, -0.1276, "United Kingdom"), paris,
                           parisLater};
        saved.forecasts = {{london.id, consensusFor(london)}, {paris.id, consensusFor(paris)}};
        saved.providerForecasts.insert(paris.id,
                                       {providerForecast(paris.id, WeatherProviderKind::metNorway)});
        saved.settings.menuBarLocationID = paris.id;
        savePayload(saved);

        const auto store = makeStore();
        QCOMPARE(store->locations().at(0).id, oldCurrent.id);
        QVERIFY(store->locations().at(0).latitude == 0 && store->locations().at(0).longitude == 0);
        QCOMPARE(store->locations().at(1).id, idFor(3));
        QCOMPARE(store->locations().at(2), parisLater);
        QCOMPARE(store->selectedForecast()->location, parisLater);
        QCOMPARE(store->providerForecasts().value(parisLater.id).first().locationID, parisLater.id);
        QVERIFY(invariantsHold(*store));
    }

    // Beta duplicates both Alpha and Gamma, which are too far apart to duplicate each other. Beta takes
    // Alpha's place and then duplicates Gamma: one pass of merging leaves that pair, and whichever later pass
    // merged it (this launch's list shaping, the next launch, the mirror's re-sorting) dropped Gamma's
    // forecasts although its place lives on as Beta.
    void duplicateChainsMergeOnceAndForAll() {
        const WeatherLocation alpha = place(2, "Alpha", 10, 20);
        const WeatherLocation gamma = place(3, "Gamma", 10.012, 20);
        const WeatherLocation beta = place(4, "Beta", 10.006, 20, "Somewhere", false, kNoon.addSecs(60));
        CachedWeatherPayload saved = payloadWith(1);
        saved.locations += {alpha, gamma, beta};
        saved.forecasts.insert(gamma.id, consensusFor(gamma));
        saved.providerForecasts.insert(gamma.id,
                                       {providerForecast(gamma.id, WeatherProviderKind::metNorway)});
        saved.forecasts.insert(idFor(77), consensusFor(place(77, QStringLiteral("Gone"), 1, 1)));
        saved.settings.menuBarLocationID = gamma.id;

        const auto empty = makeStore();
        const CachedWeatherPayload once = empty->tidiedStartupPayload(saved);
        QCOMPARE(once.locations, (QList{currentPlace(1), beta}));
        QCOMPARE(once.forecasts.value(beta.id).location, beta);
        QCOMPARE(once.forecasts.keys().size(), 2);
        QCOMPARE(once.providerForecasts.value(beta.id).first().locationID, beta.id);
        QCOMPARE(once.settings.menuBarLocationID, std::optional(beta.id));
        QCOMPARE(empty->tidiedStartupPayload(once), once);

        // The same through the file and, on the second launch, the mirror the first one wrote.
        savePayload(saved);
        CachedWeatherPayload first = stateOf(*makeStore());
        QCOMPARE(first.locations, once.locations);
        QCOMPARE(first.forecasts.value(beta.id), once.forecasts.value(beta.id));
        QCOMPARE(first.providerForecasts.value(beta.id), once.providerForecasts.value(beta.id));
        QCOMPARE(first.selectedForecast->location, beta);
        QVERIFY(LocationSyncStore(m_mirror).load());
        QCOMPARE(stateOf(*makeStore()), first);
        QCOMPARE(WeatherCache(m_file).load(), first);
    }

    // With no current-location entry in the file, the unresolved one put first sits at (0, 0); a saved place
    // there duplicates it, so it merges at once rather than on the next launch.
    void unresolvedEntryTakesOverASavedPlaceAtItsPosition() {
        const WeatherLocation gulf = place(2, QStringLiteral("Gulf of Guinea"), 0.004, -0.003);
        CachedWeatherPayload saved;
        saved.locations = {gulf, place(3, QStringLiteral("Oslo"), 59.9, 10.7)};
        saved.forecasts.insert(gulf.id, consensusFor(gulf));
        savePayload(saved);

        const CachedWeatherPayload first = stateOf(*makeStore());
        QCOMPARE(namesOf(first.locations), (QStringList{"Current Location", "Oslo"}));
        const WeatherLocation current = first.locations.first();
        QCOMPARE(first.forecasts.value(current.id).location, current);
        QCOMPARE(first.forecasts.value(current.id).hourly, consensusFor(gulf).hourly);
        QCOMPARE(stateOf(*makeStore()), first);
    }

    void savedPlaceAtTheCurrentLocationGoesWithItsForecasts() {
        CachedWeatherPayload saved = payloadWith(2);
        const WeatherLocation nearby = place(3, QStringLiteral("Headingley"), 53.805, -1.555);
        saved.locations.append(nearby);
        saved.forecasts.insert(nearby.id, consensusFor(nearby));
        saved.settings.menuBarLocationID = nearby.id;
        savePayload(saved);

        const auto store = makeStore();
        QCOMPARE(namesOf(store->locations()), (QStringList{"Leeds", "Place 2"}));
        QCOMPARE(store->selectedLocation()->id, idFor(1));
        QVERIFY(invariantsHold(*store));
    }

    // A file written elsewhere may give two places one id; each keeps its own identity, so deleting one
    // never removes the other and neither shows the other's weather.
    void reusedIDGivesTheLaterPlaceItsOwn() {
        CachedWeatherPayload saved = payloadWith(3);
        const WeatherLocation madrid = place(2, QStringLiteral("Madrid"), 40.4, -3.7);
        saved.locations.append(madrid);
        savePayload(saved);

        const auto store = makeStore();
        QCOMPARE(namesOf(store->locations()), (QStringList{"Leeds", "Place 2", "Place 3", "Madrid"}));
        const WeatherLocation kept = store->locations().at(3);
        QVERIFY(kept.id != idFor(2) && !kept.id.isNull());
        QCOMPARE(store->forecasts().value(idFor(2)).location.name, QStringLiteral("Place 2"));
        QVERIFY(!store->forecasts().contains(kept.id) && invariantsHold(*store));

        store->deleteSavedLocations({2});
        QCOMPARE(namesOf(store->locations()), (QStringList{"Leeds", "Place 2", "Place 3"}));
        QVERIFY(store->forecasts().contains(idFor(2)));
    }

    // The program stopped after writing the snapshot and before writing the mirror: the next start must not
    // take the deleted place back from the mirror. Other changes made meanwhile hold as well.
    void aDeletionSurvivesAStopBeforeTheMirrorWrite() {
        savePayload(payloadWith(4));
        makeStore();
        const QByteArray mirrorBefore = *m_mirror->data(LocationSyncStore::payloadKey);
        {
            const auto store = makeStore(kNoon.addDays(2));
            store->deleteSavedLocations({1});
            store->updateSettings([](WeatherSettings& s) { s.refreshIntervalMinutes = 45; });
        }
        QVERIFY(m_mirror->setData(mirrorBefore, LocationSyncStore::payloadKey));

        const auto restarted = makeStore(kNoon.addDays(3));
        QCOMPARE(namesOf(restarted->locations()), (QStringList{"Leeds", "Place 2", "Place 4"}));
        QCOMPARE(restarted->settings().refreshIntervalMinutes, 45);
        QCOMPARE(namesOf(LocationSyncStore(m_mirror).load()->locations), namesOf(restarted->locations()));
        QVERIFY(!restarted->lastError());

        // Added again, the place is listed and no longer recorded as deleted.
        restarted->addLocation(place(3, QStringLiteral("Place 3"), 12, 22));
        restarted->flushSaves();
        QCOMPARE(restarted->locations().size(), 4);
        QVERIFY(WeatherCache(m_file).load().deletedLocations.isEmpty());
    }

    void persistReloadsWidgetsAtOnceAndAgainLater() {
        const auto store = makeStore();
        QTRY_COMPARE(m_widgets->requests().size(), 2 * reloadsPerPersist);
        m_widgets->clear();
        store->persist();
        store->flushSaves();
        QTest::qWait(30);
        store->persist();
        store->flushSaves();
        QCOMPARE(m_widgets->requests().size(), 2 * reloadsPerPersist);
        QTRY_COMPARE(m_widgets->requests().size(), 4 * reloadsPerPersist);
        QTest::qWait(150);
        QCOMPARE(m_widgets->requests().size(), 4 * reloadsPerPersist);
        const auto& r = m_widgets->requests();
        QVERIFY(r[0].at.msecsTo(r[2 * reloadsPerPersist].at) >= 55);
        QVERIFY(r[reloadsPerPersist].at.msecsTo(r[3 * reloadsPerPersist].at) >= 55);
    }

    void uncreatableContainerBecomesLastErrorWithoutReloads() {
        writeFile(m_dir->filePath(QStringLiteral("group")), "a file where the container should be");
        const auto store = makeStore();
        QVERIFY(store->lastError() && store->lastError()->contains(QStringLiteral("group")));
        QTest::qWait(100);
        QVERIFY(m_widgets->requests().isEmpty());
        QCOMPARE(m_mirror->writeCount(), 0);
    }

    void addLocationAddsOrSelectsTheDuplicate_data() {
        QTest::addColumn<WeatherLocation>("candidate");
        QTest::addColumn<int>("selected");
        QTest::newRow("same name and subtitle far away") << place(40, "Place 2", -30, 100) << 1;
        QTest::newRow("another name within 0.01 degree") << place(40, "Nearby", 11.009, 21.009) << 1;
        QTest::newRow("near the current location") << place(40, "Leeds centre", 53.801, -1.549) << 0;
        QTest::newRow("just over 0.01 degree away") << place(40, "Nearby", 11.011, 21) << 2;
        QTest::newRow("claims to be current, reuses a listed id")
            << place(2, "York", 53.96, -1.08, "England", true) << 2;
    }

    void addLocationAddsOrSelectsTheDuplicate() {
        QFETCH(WeatherLocation, candidate);
        QFETCH(int, selected);
        CachedWeatherPayload saved = payloadWith(2);
        saved.settings.menuBarLocationID = idFor(1);
        savePayload(saved);
        const auto store = makeStore();
        QSignalSpy willChange(store.get(), &WeatherStore::objectWillChange);

        store->addLocation(candidate);
        QCOMPARE(store->locations().size(), selected == 2 ? 3 : 2);
        const WeatherLocation chosen = store->locations().at(selected);
        QCOMPARE(store->selectedLocation(), chosen);
        QVERIFY(!willChange.isEmpty() && invariantsHold(*store));
        if (selected == 2) {
            QVERIFY(!chosen.isCurrentLocation && chosen.id != idFor(2));
            QCOMPARE(store->selectedForecast(), store->placeholderForecast(chosen));
        }
        store->flushSaves();
        QCOMPARE(WeatherCache(m_file).load().locations, store->locations());
    }

    void deleteAndMoveKeepTheListWhole_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QList<int>>("offsets");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QStringList>("names");
        const QStringList all{"Leeds", "Place 2", "Place 3", "Place 4"};
        QTest::newRow("delete the selected saved place")
            << "deleteSaved" << QList{0, 9, -1} << 0 << QStringList{"Leeds", "Place 3", "Place 4"};
        QTest::newRow("delete the current entry") << "delete" << QList{0, 4} << 0 << all;
        QTest::newRow("move to the front stops behind the current entry")
            << "move" << QList{3} << 0 << QStringList{"Leeds", "Place 4", "Place 2", "Place 3"};
        QTest::newRow("move past the end is clamped")
            << "move" << QList{1, 0, 8} << 99 << QStringList{"Leeds", "Place 3", "Place 4", "Place 2"};
        QTest::newRow("move saved, bad offsets ignored")
            << "moveSaved" << QList{0, 7, -3} << 50 << QStringList{"Leeds", "Place 3", "Place 4", "Place 2"};
        QTest::newRow("move saved with no valid offset") << "moveSaved" << QList{3} << 0 << all;
    }

    void deleteAndMoveKeepTheListWhole() {
        QFETCH(QString, operation);
        QFETCH(QList<int>, offsets);
        QFETCH(int, destination);
        QFETCH(QStringList, names);
        savePayload(payloadWith(4));
        const auto store = makeStore();
        m_widgets->clear();

        const IndexSet set(offsets.cbegin(), offsets.cend());
        if (operation == u"deleteSaved")
            store->deleteSavedLocations(set);
        else if (operation == u"delete")
            store->deleteLocations(set);
        else if (operation == u"move")
            store->moveLocations(set, destination);
        else
            store->moveSavedLocations(set, destination);

        QCOMPARE(namesOf(store->locations()), names);
        store->flushSaves();
        const bool changed = names.size() != 4 || names[1] != u"Place 2";
        QCOMPARE(!m_widgets->requests().isEmpty(), changed);
        QVERIFY(invariantsHold(*store));
        QCOMPARE(store->forecasts().size(), store->locations().size());
        QCOMPARE(WeatherCache(m_file).load().locations, store->locations());
    }

    void normalisationMergesDuplicatesAndLeadsWithOneCurrentEntry_data() {
        QTest::addColumn<QList<WeatherLocation>>("input");
        QTest::addColumn<QList<QUuid>>("ids");
        const auto later = kNoon.addSecs(60);
        QTest::newRow("empty") << QList<WeatherLocation>{} << QList<QUuid>{QUuid()};
        QTest::newRow("current entry moves first, a second one is dropped")
            << QList{place(2, "A", 1, 1), currentPlace(1), currentPlace(3, "York", 54, -1)}
            << QList{idFor(1), idFor(2)};
        QTest::newRow("saved duplicate of the current entry dropped")
            << QList{place(2, "Leeds", 53.805, -1.555, "Yorkshire", false, later), currentPlace(1)}
            << QList{idFor(1)};
        QTest::newRow("equal dates keep the earlier")
            << QList{currentPlace(1), place(2, "A", 1, 1, "X"), place(3, "B", 1.005, 1, "Y")}
            << QList{idFor(1), idFor(2)};
        QTest::newRow("longer subtitle, same date, replaces in place")
            << QList{currentPlace(1), place(2, "A", 1, 1, "X"), place(4, "C", 5, 5),
                     place(3, "B", 1.005, 1, "XY")}
            << QList{idFor(1), idFor(3), idFor(4)};
        QTest::newRow("canonically equal names")
            << QList{currentPlace(1), place(2, QStringLiteral("Mal\u00F6"), 1, 1),
                     place(3, QStringLiteral("Malo\u0308"), 9, 9)}
            << QList{idFor(1), idFor(2)};
    }

    void normalisationMergesDuplicatesAndLeadsWithOneCurrentEntry() {
        QFETCH(QList<WeatherLocation>, input);
        QFETCH(QList<QUuid>, ids);
        const QList<WeatherLocation> out = normalizedLocations(input, kNoon);
        QCOMPARE(out.size(), ids.size());
        for (qsizetype i = 0; i < out.size(); ++i) {
            QCOMPARE(out[i].isCurrentLocation, i == 0);
            QVERIFY(ids[i].isNull() || out[i].id == ids[i]);
        }
    }

    void deduplicationRedirectsEarlierReplacements() {
        const auto later = kNoon.addSecs(60);
        const auto merged =
            deduplicatedLocations({place(2, "A", 1, 1), place(3, "B", 1.005, 1, "S", false, later),
                                   place(4, "C", 1.009, 1, "S", false, later.addSecs(1))});
        QCOMPARE(merged.locations.size(), 1);
        QCOMPARE(merged.keptID(idFor(2)), idFor(4));
        QCOMPARE(merged.keptID(idFor(3)), idFor(4));
    }
};

QTEST_GUILESS_MAIN(WeatherStoreTest)
#include "tst_weather_store.moc"
