#include "WeatherStore.h"

#include "FreedMemory.h"
#include "Log.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>
#include <QTimer>

namespace nimbra {
namespace {

QString setAsideNotice(const QString& copy, bool placesFromMirror) {
    return (placesFromMirror
                ? QCoreApplication::translate(
                      "nimbra::WeatherStore",
                      "Your saved weather data could not be read; your places were brought back from "
                      "the synced copy. The unreadable file was kept as %1.")
                : QCoreApplication::translate(
                      "nimbra::WeatherStore",
                      "Your saved places could not be read, so Nimbra started without them. "
                      "The unreadable file was kept as %1."))
        .arg(copy);
}

// The leading part read ahead for this store's file, taken (once), or read now.
WeatherCacheReading launchReading(std::shared_ptr<SnapshotReadAhead> ahead, const WeatherCache& cache) {
    if (ahead && ahead->cache()->filePath() == cache.filePath())
        return ahead->take();
    return cache.readOutlined();
}

} // namespace

WeatherStore::WeatherStore(std::shared_ptr<WeatherCache> cache, std::shared_ptr<LocationSyncStore> syncStore,
                           std::shared_ptr<CurrentLocationService> currentLocationService,
                           std::shared_ptr<WeatherProviderCredentialStore> credentialStore,
                           WeatherStoreEnvironment environment, QObject* parent)
    : QObject(parent), m_cache(std::move(cache)), m_syncStore(std::move(syncStore)),
      m_currentLocationService(std::move(currentLocationService)), m_environment(std::move(environment)) {
    if (!m_environment.providers.session)
        m_environment.providers.session = std::make_shared<HTTPSession>();
    // Everything the store and its refreshes stamp goes to the snapshot, which keeps whole seconds.
    m_environment.clock = std::make_shared<WholeSecondClock>(m_environment.clock);
    m_environment.providers.clock = m_environment.clock;
    m_keys = std::make_unique<ProviderKeys>(std::move(credentialStore), m_environment.providers,
                                            m_environment.keyCheckTimeout);
    connect(m_keys.get(), &ProviderKeys::willChange, this, &WeatherStore::objectWillChange);
    connect(m_keys.get(), &ProviderKeys::saveReported, this, &WeatherStore::reportKeySave);
    WeatherCacheReading read = launchReading(std::exchange(m_environment.launchReading, nullptr), *m_cache);
    // A launch that changed nothing need not rewrite (and flush) the file it just read.
    m_writer = std::make_unique<SnapshotWriter>(m_cache, m_syncStore, read.bytes);
    connect(m_writer.get(), &SnapshotWriter::written, this, &WeatherStore::saveFinished);
    // A file to decode whole, or places that come from the mirror alone (no file, or one that could not be
    // read), take a second at many places.
    if (read.status != WeatherCacheReading::Status::loaded) {
        loadWholeLater(std::move(read));
        return;
    }
    // The tables of a large snapshot take long to decode: the places, the settings and the selected place's
    // forecast come first, the rest on a worker once the tray is up.
    const LaunchStart start = LaunchLoader::launchStart(std::move(read), *m_syncStore, *m_environment.clock);
    const WeatherCacheReading& reading = start.reading;
    adoptLaunchPlaces(start.places);
    // With the tables still to come, the save waits for them (finishLaunchLoad()).
    if (reading.outline) {
        loadRestLater(reading.outline, start.moves, reading.payload.settings.useICloudSync);
        return;
    }
    adoptLaunchTables(
        launchTables(start.moves.applied({reading.payload.forecasts, reading.payload.providerForecasts})));
    persist();
}

void WeatherStore::adoptLaunchPlaces(const CachedWeatherPayload& places) {
    m_locations = places.locations;
    m_settings = places.settings;
    m_settings.enabledProviders.insert(WeatherProviderKind::openMeteo);
    if (!m_settings.menuBarLocationID || !isListed(*m_settings.menuBarLocationID))
        m_settings.menuBarLocationID = m_locations.first().id;
    m_accuracyScores = places.accuracyScores;
    m_deletedLocations = places.deletedLocations;
}

ForecastTables WeatherStore::launchTables(ForecastTables tables) const {
    if (tables.forecasts.isEmpty()) {
        const WeatherLocation& first = m_locations.first();
        tables.forecasts.insert(first.id, placeholderForecast(first));
        tables.providerForecasts.insert(first.id, {});
    }
    return tables;
}

void WeatherStore::adoptLaunchTables(const ForecastTables& tables) {
    m_forecasts = tables.forecasts;
    m_providerForecasts = tables.providerForecasts;
}

void WeatherStore::loadRestLater(std::shared_ptr<const SnapshotOutline> outline, const ForecastMoves& moves,
                                 bool sync) {
    // Until the tables land the tray shows the selected place, so its forecast is decoded now. Its
    // providers' forecasts (five times the bytes) wait for the rest: only the dashboard's sources and a
    // refresh's outcome look at them, and a refresh waits for the tables.
    const QUuid selected = *m_settings.menuBarLocationID;
    const ForecastTables part = moves.applied({outline->forecastsOf(moves.sourcesOf(selected)), {}});
    ForecastTables provisional;
    if (part.forecasts.contains(selected))
        provisional.forecasts.insert(selected, part.forecasts.value(selected));
    adoptLaunchTables(launchTables(provisional));

    m_launchLoad = std::make_shared<LaunchLoader>(std::move(outline), moves, sync ? m_syncStore : nullptr);
    connect(m_launchLoad.get(), &LaunchLoader::restRead, this, &WeatherStore::finishLaunchLoad);
    // Started once the launch's own work is done: before the first turn the worker's allocations would
    // contend with it for the one heap, and while the dashboard is built they would interleave with its
    // long-lived ones, leaving a heap that cannot shrink (some 2.7 MB more at 3 places).
    m_launchLoad->startLater(launchRestDelay);
}

void WeatherStore::loadWholeLater(WeatherCacheReading reading) {
    // Until then the tray and the dashboard show a lone current location, as on a first launch.
    ForecastMoves none;
    adoptLaunchPlaces(LaunchLoader::launchPlaces({}, none, *m_environment.clock));
    adoptLaunchTables(launchTables({}));
    m_settingsBeforeFile = m_settings;
    m_launchLoad = std::make_shared<LaunchLoader>(std::move(reading), m_cache, m_syncStore, now());
    connect(m_launchLoad.get(), &LaunchLoader::restRead, this, &WeatherStore::finishLaunchLoad);
    m_launchLoad->startLater(launchRestDelay);
}

void WeatherStore::takeInWholeFile(const LaunchStart& start, const LaunchLoader& load) {
    const CachedWeatherPayload meanwhile = snapshot();
    m_unreadableSnapshotPending = start.reading.status == WeatherCacheReading::Status::unreadable;
    m_placesFromMirror = start.placesFromMirror;
    adoptLaunchPlaces(start.places);
    // Without a current-location entry of the file's, the stand-in is the one (with any fix it got
    // meanwhile).
    const auto isCurrent = [](const WeatherLocation& l) { return l.isCurrentLocation; };
    const QList<WeatherLocation>& filePlaces = start.reading.payload.locations;
    const auto standIn = std::find_if(meanwhile.locations.cbegin(), meanwhile.locations.cend(), isCurrent);
    const auto current = std::find_if(m_locations.begin(), m_locations.end(), isCurrent);
    if (std::none_of(filePlaces.cbegin(), filePlaces.cend(), isCurrent) &&
        standIn != meanwhile.locations.cend() && current != m_locations.end())
        *current = *standIn;
    for (const LocationDeletion& deletion : meanwhile.deletedLocations)
        m_deletedLocations.append(deletion);
    // Settings the user changed meanwhile are theirs, but for the selection (of the stand-in place then);
    // the file's otherwise.
    if (meanwhile.settings != m_settingsBeforeFile) {
        const std::optional<QUuid> selected = m_settings.menuBarLocationID;
        m_settings = meanwhile.settings;
        m_settings.menuBarLocationID = selected;
    }
    const CachedWeatherPayload& file = start.reading.payload;
    adoptLaunchTables(launchTables(start.moves.applied({file.forecasts, file.providerForecasts})));
    // Places added meanwhile follow the file's (the current location is the file's), tidied as at launch.
    QList<WeatherLocation> added;
    for (const WeatherLocation& l : meanwhile.locations) {
        if (!l.isCurrentLocation && !isListed(l.id))
            added.append(l);
    }
    if (!added.isEmpty()) {
        CachedWeatherPayload places = snapshot();
        places.locations += added;
        ForecastMoves moves;
        const CachedWeatherPayload tidied =
            LaunchLoader::launchPlaces(std::move(places), moves, *m_environment.clock);
        m_locations = tidied.locations;
        m_settings.menuBarLocationID = tidied.settings.menuBarLocationID;
        adoptLaunchTables(moves.applied({m_forecasts, m_providerForecasts}));
    }
    if (!m_settings.menuBarLocationID || !isListed(*m_settings.menuBarLocationID))
        m_settings.menuBarLocationID = m_locations.first().id;
    adoptLaunchTables(load.overlaid({m_forecasts, m_providerForecasts},
                                    {meanwhile.forecasts, meanwhile.providerForecasts}, idsOf(m_locations)));
}

void WeatherStore::finishLaunchLoad() {
    if (!m_launchLoad || m_closed)
        return;
    std::shared_ptr<LaunchLoader> load = std::move(m_launchLoad);
    const LaunchLoader::Rest rest = load->takeRest();
    const SignalledFacts before = announceChange();
    if (rest.start) {
        takeInWholeFile(*rest.start, *load);
    } else {
        qCInfo(cacheLog, "Weather store took in the file's forecasts=%lld",
               static_cast<long long>(rest.tables.forecasts.size()));
        const ForecastTables loaded = launchTables(load->moves().applied(rest.tables));
        adoptLaunchTables(load->overlaid(loaded, {m_forecasts, m_providerForecasts}, idsOf(m_locations)));
        if (rest.mirrorPlaces)
            takeInMirrorPlaces(*rest.mirrorPlaces);
    }
    signalChanges(before);
    // Saves asked for meanwhile waited for the whole state.
    persist();
    load->finish();
    // With it go the file's bytes, which the worker held.
    load.reset();
    releaseFreedMemorySoon();
}

void WeatherStore::takeInMirrorPlaces(const CachedWeatherPayload& mirror) {
    ForecastMoves moves;
    const CachedWeatherPayload tidied =
        LaunchLoader::launchPlaces(LocationSyncStore::merge(snapshot(), mirror), moves, *m_environment.clock);
    // Mostly the mirror holds what this computer wrote last, and nothing changes.
    if (tidied.locations == m_locations && tidied.settings.menuBarLocationID == m_settings.menuBarLocationID)
        return;
    const ForecastTables tables = moves.applied({m_forecasts, m_providerForecasts});
    Q_EMIT objectWillChange();
    m_locations = tidied.locations;
    m_settings.menuBarLocationID = tidied.settings.menuBarLocationID;
    if (!m_settings.menuBarLocationID || !isListed(*m_settings.menuBarLocationID))
        m_settings.menuBarLocationID = m_locations.first().id;
    adoptLaunchTables(tables);
}

std::optional<WeatherStore::StateAsRead> WeatherStore::launchStateAsRead() const {
    const LaunchLoader& load = *m_launchLoad;
    auto entries = load.entriesAsRead({m_forecasts, m_providerForecasts}, idsOf(m_locations));
    if (!entries)
        return std::nullopt;
    StateAsRead state{snapshot(), std::move(entries->asRead)};
    CachedWeatherPayload& payload = state.payload;
    payload.forecasts = entries->winners.forecasts;
    payload.providerForecasts = entries->winners.providerForecasts;
    // The selected place's forecast is written twice: decoded from the file when it comes from there.
    payload.selectedForecast.reset();
    if (const auto selected = selectedLocation()) {
        if (payload.forecasts.contains(selected->id))
            payload.selectedForecast = payload.forecasts.value(selected->id);
        else if (state.asRead.forecasts.contains(selected->id))
            payload.selectedForecast = load.outline().forecastsOf({selected->id}).value(selected->id);
    }
    return state;
}

void WeatherStore::stopSaving() {
    if (m_closed)
        return;
    if (m_launchLoad && m_launchLoad->saveAsked()) {
        // The mirror, not read yet, is left as it is: writing it would drop places another computer added
        // there. The next launch merges the two and writes it.
        if (auto state = launchStateAsRead())
            m_writer->submit(std::move(state->payload),
                             m_settings.useICloudSync && !m_launchLoad->readsMirror(),
                             std::move(state->asRead));
        else
            finishLaunchLoad();
    }
    if (m_launchLoad)
        m_launchLoad->stop();
    m_closed = true;
}

void WeatherStore::close() {
    Q_ASSERT(QThread::currentThread() == thread());
    stopSaving();
    m_writer->finish();
}

WeatherStore::~WeatherStore() {
    // A change made while the tables were loading is saved without decoding them; nobody is told any more.
    // The worker, stopped, ends within a few places' decode.
    blockSignals(true);
    stopSaving();
    m_writer->waitUntilWritten();
    // Refreshes waiting for the tables end.
    if (m_launchLoad)
        m_launchLoad->abandon();
}

void WeatherStore::setSettings(const WeatherSettings& settings) {
    Q_ASSERT(QThread::currentThread() == thread());
    const SignalledFacts before = announceChange();
    m_settings = settings;
    signalChanges(before);
}

std::optional<WeatherLocation> WeatherStore::currentLocation() const {
    for (const WeatherLocation& l : m_locations) {
        if (l.isCurrentLocation)
            return l;
    }
    return std::nullopt;
}

std::optional<WeatherLocation> WeatherStore::selectedLocation() const {
    if (m_settings.menuBarLocationID) {
        for (const WeatherLocation& l : m_locations) {
            if (l.id == *m_settings.menuBarLocationID)
                return l;
        }
    }
    if (m_locations.isEmpty())
        return std::nullopt;
    return m_locations.first();
}

std::optional<ConsensusForecast> WeatherStore::selectedForecast() const {
    const auto selected = selectedLocation();
    if (!selected)
        return std::nullopt;
    const auto it = m_forecasts.constFind(selected->id);
    if (it == m_forecasts.constEnd())
        return std::nullopt;
    return *it;
}

QList<WeatherLocation> WeatherStore::savedLocations() const {
    QList<WeatherLocation> saved;
    for (const WeatherLocation& l : m_locations) {
        if (!l.isCurrentLocation)
            saved.append(l);
    }
    return saved;
}

CachedWeatherPayload WeatherStore::snapshot() const {
    return {m_locations,         m_settings,       selectedForecast(), m_forecasts,
            m_providerForecasts, m_accuracyScores, deletedLocations()};
}

QList<LocationDeletion> WeatherStore::deletedLocations() const {
    // A place added again (or brought back by a newer copy) is no longer deleted.
    QList<LocationDeletion> records = m_deletedLocations;
    records.removeIf([this](const LocationDeletion& r) { return isListed(r.id); });
    return records;
}

void WeatherStore::persist() {
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_closed)
        return;
    if (m_launchLoad) {
        m_launchLoad->noteSaveAsked();
        return;
    }
    if (m_unreadableSnapshotPending && !setAsideUnreadableSnapshot()) {
        setSaveError(m_snapshotSaveError, m_lastError);
        return;
    }
    m_writer->submit(snapshot(), m_settings.useICloudSync);
}

void WeatherStore::flushSaves() {
    Q_ASSERT(QThread::currentThread() == thread());
    finishLaunchLoad();
    m_writer->flush();
}

void WeatherStore::saveFinished(const SnapshotWriteOutcome& outcome) {
    if (outcome.error) {
        QString text = outcome.error->description;
        if (m_setAsideNotice)
            text += QLatin1Char(' ') + *m_setAsideNotice;
        setLastError(text);
        setSaveError(m_snapshotSaveError, text);
        return;
    }
    m_setAsideNotice.reset();
    setSaveError(m_snapshotSaveError, std::nullopt);
    if (outcome.mirrorSaved)
        mirrorWriteFinished(*outcome.mirrorSaved);
    // Each persist asks for its reloads, also when a later state was written in its place.
    for (int i = 0; i < outcome.saves; ++i) {
        reloadWidgetTimelines(*m_environment.widgetCenter);
        // The delayed reload holds the widget centre, not the store, which may be gone by then.
        QTimer::singleShot(m_environment.widgetReloadDelay,
                           [center = m_environment.widgetCenter] { reloadWidgetTimelines(*center); });
    }
}

void WeatherStore::noteMirrorWrite(bool written) {
    // The change is kept in the snapshot, deletions included, so the next start does not undo it; only the
    // other computers miss it until a later write reaches the folder.
    if (written) {
        if (m_lastError == mirrorSaveErrorText())
            setLastError(std::nullopt);
        setSaveError(m_snapshotSaveError, std::nullopt);
        return;
    }
    setLastError(mirrorSaveErrorText());
    setSaveError(m_snapshotSaveError, mirrorSaveErrorText());
}

bool WeatherStore::setAsideUnreadableSnapshot() {
    const auto moved = m_cache->setAsideUnreadableFile(now());
    if (!moved) {
        setLastError(tr("The saved weather data could not be read and could not be set aside (%1). "
                        "It was left untouched.")
                         .arg(moved.error));
        return false;
    }
    m_unreadableSnapshotPending = false;
    if (moved->isEmpty())
        return true;
    Q_EMIT objectWillChange();
    m_startupNotice = setAsideNotice(*moved, m_placesFromMirror);
    m_setAsideNotice = m_startupNotice;
    return true;
}

void WeatherStore::dismissStartupNotice() {
    if (!m_startupNotice)
        return;
    Q_EMIT objectWillChange();
    m_startupNotice.reset();
}

void WeatherStore::mirrorWriteFinished(bool saved) {
    if (!saved)
        qCInfo(cacheLog, "Weather store could not write the synced mirror");
    noteMirrorWrite(saved);
}

void WeatherStore::ensureForecastEntry(const WeatherLocation& location) {
    if (m_forecasts.contains(location.id) || !isListed(location.id))
        return;
    storeStandIns(location, true, true);
    persist();
}

void WeatherStore::storeStandIns(const WeatherLocation& location, bool forecast, bool providerList) {
    if (forecast)
        storeForecast(location.id, placeholderForecast(location));
    if (providerList)
        storeProviderForecasts(location.id, {});
    if (m_launchLoad && (forecast || providerList)) {
        m_launchLoad->noteStandIn(location.id);
    }
}

ConsensusForecast WeatherStore::placeholderForecast(const WeatherLocation& location) const {
    ConsensusForecast forecast;
    forecast.location = location;
    forecast.generatedAt = now();
    forecast.providerCount = 0;
    forecast.confidence = 0;
    forecast.nextPrecipitationSummary = tr("Refresh to fetch live weather");
    forecast.attributionLine = tr("No live weather loaded yet");
    forecast.state = ConsensusState::unavailable;
    return forecast;
}

void WeatherStore::reloadWidgetTimelines(WidgetCenter& center) {
    center.reloadAllTimelines();
    for (const QString& kind : widgetKinds)
        center.reloadTimelines(kind);
}

CachedWeatherPayload WeatherStore::tidiedStartupPayload(CachedWeatherPayload payload) const {
    ForecastMoves moves;
    payload = LaunchLoader::tidiedPlaces(std::move(payload), moves, *m_environment.clock);
    const ForecastTables tables = moves.applied({payload.forecasts, payload.providerForecasts});
    payload.forecasts = tables.forecasts;
    payload.providerForecasts = tables.providerForecasts;
    return payload;
}

bool WeatherStore::isListed(const QUuid& id) const {
    return std::any_of(m_locations.cbegin(), m_locations.cend(),
                       [&](const WeatherLocation& l) { return l.id == id; });
}

WeatherStore::SignalledFacts WeatherStore::announceChange() {
    Q_EMIT objectWillChange();
    return {m_settings, selectedForecast()};
}

void WeatherStore::signalChanges(const SignalledFacts& before) {
    if (m_settings != before.settings)
        Q_EMIT settingsChanged();
    if (selectedForecast() != before.selectedForecast)
        Q_EMIT selectedForecastChanged();
}

void WeatherStore::setLastError(std::optional<QString> text) {
    if (m_lastError == text)
        return;
    Q_EMIT objectWillChange();
    m_lastError = std::move(text);
}

void WeatherStore::setSaveError(std::optional<QString>& slot, std::optional<QString> text) {
    if (slot == text)
        return;
    Q_EMIT objectWillChange();
    slot = std::move(text);
}

void WeatherStore::setRefreshing(bool on) {
    if (m_isRefreshing == on)
        return;
    Q_EMIT objectWillChange();
    m_isRefreshing = on;
}

void WeatherStore::setResolvingCurrentLocation(bool on) {
    if (m_isResolvingCurrentLocation == on)
        return;
    Q_EMIT objectWillChange();
    m_isResolvingCurrentLocation = on;
}

void WeatherStore::setCurrentLocationStatus(const QString& text) {
    if (m_currentLocationStatus == text)
        return;
    Q_EMIT objectWillChange();
    m_currentLocationStatus = text;
}

void WeatherStore::setSelection(std::optional<QUuid> id) {
    const SignalledFacts before = announceChange();
    m_settings.menuBarLocationID = id;
    signalChanges(before);
}

void WeatherStore::storeForecast(const QUuid& id, const ConsensusForecast& forecast) {
    if (!isListed(id))
        return;
    const SignalledFacts before = announceChange();
    m_forecasts.insert(id, forecast);
    if (m_launchLoad)
        m_launchLoad->noteForecastStored(id);
    signalChanges(before);
}

void WeatherStore::storeProviderForecasts(const QUuid& id, const QList<ProviderForecast>& forecasts) {
    if (!isListed(id))
        return;
    Q_EMIT objectWillChange();
    m_providerForecasts.insert(id, forecasts);
    if (m_launchLoad)
        m_launchLoad->noteProviderListStored(id);
}

void WeatherStore::adoptLocations(const QList<WeatherLocation>& list, const DeduplicatedLocations& merges) {
    const SignalledFacts before = announceChange();
    const QSet<QUuid> ids = idsOf(list);
    QList<QUuid> gone;
    for (const WeatherLocation& l : std::as_const(m_locations)) {
        if (!l.isCurrentLocation && !ids.contains(l.id))
            gone.append(l.id);
    }
    if (!gone.isEmpty())
        m_deletedLocations = LocationDeletion::recorded(m_deletedLocations, gone, now());
    m_locations = list;
    keepOnlyIDs(m_forecasts, ids);
    keepOnlyIDs(m_providerForecasts, ids);
    const auto& selection = m_settings.menuBarLocationID;
    if (selection && !ids.contains(*selection)) {
        const QUuid replacement = merges.keptID(*selection);
        if (ids.contains(replacement))
            m_settings.menuBarLocationID = replacement;
        else if (m_locations.isEmpty())
            m_settings.menuBarLocationID.reset();
        else
            m_settings.menuBarLocationID = m_locations.first().id;
    }
    signalChanges(before);
}

void WeatherStore::adoptNormalizedLocations(const QList<WeatherLocation>& list) {
    adoptLocations(nimbra::normalizedLocations(list, now()), nimbra::deduplicatedLocations(list));
}

QList<WeatherLocation> WeatherStore::normalizedLocations(const QList<WeatherLocation>& locations) const {
    return nimbra::normalizedLocations(locations, now());
}

DeduplicatedLocations WeatherStore::deduplicatedLocations(const QList<WeatherLocation>& locations) const {
    return nimbra::deduplicatedLocations(locations);
}

bool WeatherStore::containsDuplicateLocation(const WeatherLocation& location) const {
    return std::any_of(m_locations.cbegin(), m_locations.cend(),
                       [&](const WeatherLocation& l) { return isDuplicateLocation(l, location); });
}

void WeatherStore::addLocation(const WeatherLocation& location) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherLocation added = location;
    added.isCurrentLocation = false;
    added.updatedAt = now();
    for (const WeatherLocation& existing : std::as_const(m_locations)) {
        if (isDuplicateLocation(existing, added)) {
            select(existing);
            return;
        }
    }
    // Forecasts are keyed by id: two entries must never share one.
    if (isListed(added.id))
        added.id = QUuid::createUuid();
    adoptNormalizedLocations(m_locations + QList{added});
    select(added);
    persist();
}

void WeatherStore::select(const WeatherLocation& location) {
    Q_ASSERT(QThread::currentThread() == thread());
    if (!isListed(location.id))
        return;
    setSelection(location.id);
    persist();
    ensureForecastEntry(location);
}

void WeatherStore::deleteSavedLocations(const IndexSet& offsets) {
    const QList<WeatherLocation> saved = savedLocations();
    IndexSet listOffsets;
    for (const int offset : offsetsWithin(offsets, saved.size())) {
        for (qsizetype i = 0; i < m_locations.size(); ++i) {
            if (m_locations[i].id == saved[offset].id) {
                listOffsets.insert(int(i));
                break;
            }
        }
    }
    deleteLocations(listOffsets);
}

void WeatherStore::deleteLocations(const IndexSet& offsets) {
    Q_ASSERT(QThread::currentThread() == thread());
    QList<WeatherLocation> remaining;
    bool removed = false;
    const IndexSet valid = offsetsWithin(offsets, m_locations.size());
    for (qsizetype i = 0; i < m_locations.size(); ++i) {
        if (valid.count(int(i)) && !m_locations[i].isCurrentLocation)
            removed = true;
        else
            remaining.append(m_locations[i]);
    }
    if (!removed)
        return;
    adoptLocations(remaining);
    persist();
}

void WeatherStore::moveLocations(const IndexSet& offsets, int destination) {
    Q_ASSERT(QThread::currentThread() == thread());
    IndexSet movable;
    for (const int offset : offsetsWithin(offsets, m_locations.size())) {
        if (!m_locations[offset].isCurrentLocation)
            movable.insert(offset);
    }
    if (movable.empty())
        return;
    // Nothing moves in front of the current-location entry or past the end.
    const int to = std::clamp(destination, 1, int(m_locations.size()));
    adoptNormalizedLocations(movedElements(m_locations, movable, to));
    persist();
}

void WeatherStore::moveSavedLocations(const IndexSet& offsets, int destination) {
    Q_ASSERT(QThread::currentThread() == thread());
    const QList<WeatherLocation> saved = savedLocations();
    const IndexSet movable = offsetsWithin(offsets, saved.size());
    if (movable.empty())
        return;
    const QList<WeatherLocation> moved =
        movedElements(saved, movable, std::clamp(destination, 0, int(saved.size())));
    if (const auto current = currentLocation())
        adoptLocations(QList{*current} + moved);
    else
        adoptNormalizedLocations(moved);
    persist();
}

} // namespace nimbra
