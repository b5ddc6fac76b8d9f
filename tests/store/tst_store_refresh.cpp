#include "StoreHarness.h"

#include <QTest>

using namespace nimbra;
using namespace nimbra::storetest;
using namespace std::chrono_literals;

namespace {

const QString kOpenMeteo = QStringLiteral("/v1/forecast");
const QString kMETNorway = QStringLiteral("/weatherapi/locationforecast/2.0/compact");

QByteArray providerDocument(const QString& name) {
    return testing::readFile(testing::testDataPath(QStringLiteral("providers/") + name));
}

CannedResponse openMeteo(bool withCurrent = true) {
    QJsonObject document =
        QJsonDocument::fromJson(providerDocument("open-meteo/forecast-new-york.json")).object();
    if (!withCurrent)
        document.remove(QStringLiteral("current"));
    return CannedResponse::json(QJsonDocument(document).toJson());
}

CannedResponse metNorway() {
    return CannedResponse::json(providerDocument("met-norway/compact-oslo.json"));
}

const CannedResponse kFailure = CannedResponse::json("{}", 500);

// A forecast that holds no weather yet, as a new place has.
void makePlaceholder(CachedWeatherPayload& payload, const QUuid& id) {
    ConsensusForecast& f = payload.forecasts[id];
    f.current.reset();
    f.providerCount = 0;
    f.state = ConsensusState::unavailable;
    payload.providerForecasts[id] = {};
}

// Leeds (the current location) and Place 2 (selected), both with weather; Open-Meteo and MET Norway enabled.
CachedWeatherPayload twoPlaces() {
    CachedWeatherPayload payload = payloadWith(2);
    payload.settings.enabledProviders = {WeatherProviderKind::openMeteo, WeatherProviderKind::metNorway};
    return payload;
}

// The same with the current-location entry still waiting for its first fix and without a forecast.
CachedWeatherPayload unresolvedCurrent() {
    CachedWeatherPayload payload = twoPlaces();
    payload.locations[0] = unresolvedCurrentLocation(idFor(1), kNoon);
    payload.forecasts.remove(idFor(1));
    payload.providerForecasts.remove(idFor(1));
    return payload;
}

enum class Outcome { fresh, keptStale, unavailable };

} // namespace

Q_DECLARE_METATYPE(nimbra::CannedResponse)
Q_DECLARE_METATYPE(nimbra::CurrentLocationResult)

class StoreRefreshTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refreshOutcome_data() {
        QTest::addColumn<CannedResponse>("openMeteoAnswer");
        QTest::addColumn<CannedResponse>("metAnswer");
        QTest::addColumn<bool>("previousHasWeather");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<bool>("providerListReplaced");
        QTest::newRow("both answer") << openMeteo() << metNorway() << true << Outcome::fresh << true;
        QTest::newRow("one answers") << kFailure << metNorway() << true << Outcome::fresh << true;
        QTest::newRow("all fail") << kFailure << kFailure << true << Outcome::keptStale << false;
        QTest::newRow("hourly only") << openMeteo(false) << kFailure << true << Outcome::keptStale << false;
        QTest::newRow("all fail, nothing before")
            << kFailure << kFailure << false << Outcome::unavailable << true;
    }

    // Also the whole road end to end: what the store keeps is what the snapshot file gives back.
    void refreshOutcome() {
        QFETCH(CannedResponse, openMeteoAnswer);
        QFETCH(CannedResponse, metAnswer);
        QFETCH(bool, previousHasWeather);
        QFETCH(Outcome, outcome);
        QFETCH(bool, providerListReplaced);
        StoreHarness h;
        h.server->route(kOpenMeteo, openMeteoAnswer);
        h.server->route(kMETNorway, metAnswer);
        CachedWeatherPayload saved = twoPlaces();
        if (!previousHasWeather)
            makePlaceholder(saved, idFor(2));
        h.save(saved);
        const auto store = h.makeStore();
        h.clock->advance(3600);

        QVERIFY(run(store->refreshSelected()));
        const ConsensusForecast stored = store->forecasts().value(idFor(2));
        const ConsensusForecast previous = saved.forecasts.value(idFor(2));
        QCOMPARE(store->lastError().has_value(), outcome == Outcome::keptStale);
        if (outcome == Outcome::keptStale) {
            QCOMPARE(*store->lastError(), WeatherStore::staleFallbackMessage());
            QCOMPARE(stored.state, ConsensusState::stale);
            QCOMPARE(stored.generatedAt, previous.generatedAt);
            QCOMPARE(stored.current, previous.current);
        } else {
            QCOMPARE(stored.current.has_value(), outcome == Outcome::fresh);
            QCOMPARE(stored.generatedAt, h.clock->now());
        }
        const QList<ProviderForecast> list = store->providerForecasts().value(idFor(2));
        if (providerListReplaced)
            QCOMPARE(list.size(), 2);
        else
            QCOMPARE(list, saved.providerForecasts.value(idFor(2)));
        QVERIFY(!store->isRefreshing());
        store->flushSaves();
        const CachedWeatherPayload reloaded = WeatherCache(h.file).load();
        QCOMPARE(reloaded.forecasts, store->forecasts());
        QCOMPARE(reloaded.providerForecasts, store->providerForecasts());
    }

    // Nothing is queued while a refresh runs, the unresolved current location is never fetched, and a place
    // deleted while its weather was on the way gets none.
    void guardsAndDrops() {
        StoreHarness h;
        h.server->route(kOpenMeteo, openMeteo().delayed(300ms));
        h.server->route(kMETNorway, metNorway().delayed(300ms));
        h.save(unresolvedCurrent());
        const auto store = h.makeStore();

        QVERIFY(run(store->refresh(store->locations().first())));
        QCOMPARE(store->lastError(), std::optional(WeatherStore::unresolvedRefreshMessage()));
        QCOMPARE(store->forecasts().value(idFor(1)), store->placeholderForecast(store->locations().first()));
        QVERIFY(store->providerForecasts().contains(idFor(1)) &&
                store->providerForecasts()[idFor(1)].isEmpty());
        store->flushSaves();
        QVERIFY(h.server->requests().isEmpty() && !h.widgets->requests().isEmpty());

        Running first = start(store->refreshSelected());
        QVERIFY(store->isRefreshing() && !store->lastError());
        h.widgets->clear();
        QVERIFY(run(store->refreshSelected(), 0ms));
        store->deleteSavedLocations({0});
        QTRY_VERIFY(*first.done);
        QVERIFY(!store->isRefreshing() && !store->lastError());
        QCOMPARE(h.server->requests().size(), 2);
        QVERIFY(!store->forecasts().contains(idFor(2)) && !store->providerForecasts().contains(idFor(2)));
        QVERIFY(!WeatherCache(h.file).load().forecasts.contains(idFor(2)));
    }

    void resolution_data() {
        QTest::addColumn<CurrentLocationResult>("answer");
        QTest::addColumn<bool>("cityWasSelected");
        QTest::addColumn<QString>("status");
        QTest::newRow("named, current selected")
            << ScriptedCurrentLocationService::found("Harrogate", 54, -1.54) << false
            << WeatherStore::resolvedStatusText();
        QTest::newRow("named, city selected") << ScriptedCurrentLocationService::found("Harrogate", 54, -1.54)
                                              << true << WeatherStore::resolvedStatusText();
        QTest::newRow("unnamed fix") << ScriptedCurrentLocationService::found("Current Location", 54, -1.54)
                                     << false << WeatherStore::resolvedStatusText();
        QTest::newRow("denied") << ScriptedCurrentLocationService::failed(
                                       CurrentLocationError::permissionDenied)
                                << false << WeatherStore::unavailableStatusText();
    }

    // A fix gets weather even when it could not be named; a failure leaves the entry as it was.
    void resolution() {
        QFETCH(CurrentLocationResult, answer);
        QFETCH(bool, cityWasSelected);
        QFETCH(QString, status);
        StoreHarness h;
        h.server->route(kOpenMeteo, openMeteo());
        h.server->route(kMETNorway, metNorway());
        CachedWeatherPayload saved = unresolvedCurrent();
        saved.settings.menuBarLocationID = idFor(cityWasSelected ? 2 : 1);
        h.save(saved);
        const auto store = h.makeStore();
        h.location->answer = answer;

        QVERIFY(run(cityWasSelected ? store->refreshCurrentLocationForBackground()
                                    : store->refreshSelectedResolvingCurrentLocation()));
        QCOMPARE(h.location->calls, 1);
        QCOMPARE(store->currentLocationStatus(), status);
        QVERIFY(!store->isResolvingCurrentLocation() && !store->isRefreshing());
        QCOMPARE(store->settings().menuBarLocationID, std::optional(idFor(cityWasSelected ? 2 : 1)));
        const WeatherLocation entry = store->locations().first();
        QCOMPARE(entry.id, idFor(1));
        const ConsensusForecast forecast = store->forecasts().value(idFor(1));
        if (answer) {
            QCOMPARE(entry.name, answer.location->name);
            QVERIFY(!store->currentLocationNeedsResolution() && !store->lastError());
            QVERIFY(forecast.current && forecast.location.latitude == 54);
        } else {
            QCOMPARE(store->lastError(), std::optional(answer.errorDescription));
            QCOMPARE(entry, saved.locations.first());
            QCOMPARE(forecast, store->placeholderForecast(entry));
        }
    }

    // A location service that never answers holds the resolution for a bounded time only.
    void hangingResolutionEnds() {
        StoreHarness h;
        h.environment.currentLocationTimeout = 150ms;
        h.save(unresolvedCurrent());
        const auto store = h.makeStore();

        Running hanging = start(store->resolveCurrentLocation());
        QVERIFY(run(store->resolveCurrentLocation(), 0ms));
        QCOMPARE(h.location->calls, 1);
        QTRY_VERIFY(*hanging.done);
        QCOMPARE(store->currentLocationStatus(), WeatherStore::unavailableStatusText());
        QCOMPARE(store->lastError(), std::optional(errorDescription(CurrentLocationError::unavailable)));
        QVERIFY(!store->isResolvingCurrentLocation());

        h.location->release(ScriptedCurrentLocationService::found("Late", 1, 1));
        QCOMPARE(store->locations().first().name, QStringLiteral("Current Location"));
        h.location->answer = ScriptedCurrentLocationService::failed(CurrentLocationError::servicesDisabled);
        QVERIFY(run(store->resolveCurrentLocation()));
        QCOMPARE(h.location->calls, 2);
    }

    void selectedForecastNeedsRefresh_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ageMinutes");
        QTest::addColumn<bool>("holdsWeather");
        QTest::addColumn<bool>("due");
        QTest::newRow("floor of 15, 14 min") << 5 << 14 << true << false;
        QTest::newRow("floor of 15, 15 min") << 5 << 15 << true << true;
        QTest::newRow("30, 29 min") << 30 << 29 << true << false;
        QTest::newRow("30, 30 min") << 30 << 30 << true << true;
        QTest::newRow("no weather yet") << 30 << 0 << false << true;
    }

    void selectedForecastNeedsRefresh() {
        QFETCH(int, interval);
        QFETCH(int, ageMinutes);
        QFETCH(bool, holdsWeather);
        StoreHarness h;
        CachedWeatherPayload saved = twoPlaces();
        saved.settings.refreshIntervalMinutes = interval;
        if (!holdsWeather)
            makePlaceholder(saved, idFor(2));
        h.save(saved);
        const auto store = h.makeStore();
        h.clock->advance(60 * ageMinutes);
        QTEST(store->selectedForecastNeedsRefresh(), "due");
    }
};

QTEST_GUILESS_MAIN(StoreRefreshTest)
#include "tst_store_refresh.moc"
