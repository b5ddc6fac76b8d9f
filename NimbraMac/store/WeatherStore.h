#pragma once

#include "APIKeyCheckStatus.h"
#include "CachedWeatherPayload.h"
#include "Cancellation.h"
#include "Clock.h"
#include "CurrentLocationService.h"
#include "ForecastMoves.h"
#include "LaunchLoader.h"
#include "LocalCalendar.h"
#include "LocationList.h"
#include "LocationSyncStore.h"
#include "ProviderClientFactory.h"
#include "ProviderKeys.h"
#include "SnapshotReadAhead.h"
#include "SnapshotWriter.h"
#include "WeatherCache.h"
#include "WeatherProviderCredentialStore.h"
#include "WeatherRefreshPipeline.h"
#include "WidgetCenter.h"

#include <QObject>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// The seams that the application leaves at their defaults and tests replace.
struct WeatherStoreEnvironment {
    WeatherStoreEnvironment() = default;
    // The clock and the widget seams; everything else at its default.
    WeatherStoreEnvironment(std::shared_ptr<const Clock> clock, std::shared_ptr<WidgetCenter> widgetCenter,
                            std::chrono::milliseconds widgetReloadDelay = std::chrono::milliseconds(1000))
        : clock(std::move(clock)), widgetCenter(std::move(widgetCenter)),
          widgetReloadDelay(widgetReloadDelay) {}

    std::shared_ptr<const Clock> clock = Clock::system();
    std::shared_ptr<WidgetCenter> widgetCenter = WidgetCenter::makeDefault();
    // The second reload after a persist, for a widget host that was busy with the first.
    std::chrono::milliseconds widgetReloadDelay{1000};
    // What refreshes and key checks build their clients over. Its clock is replaced by the store's; without a
    // session the store makes its own.
    ProviderEnvironment providers;
    // Refreshes ask the built-in sample clients instead of the network.
    bool useFixtures = false;
    // How long one provider may take within a refresh.
    std::chrono::milliseconds providerTimeout = WeatherRefreshPipeline::defaultProviderTimeout;
    // A key check gives up after this long, however slowly the provider drips its answer.
    std::chrono::milliseconds keyCheckTimeout = HTTPSession::defaultTimeout;
    // The location service bounds its own fix (30 s) and naming (10 s); this bounds a service that does not,
    // so a resolution can never hold its busy flag for the rest of the session.
    std::chrono::milliseconds currentLocationTimeout{45'000};
    LocalCalendar calendar = LocalCalendar::system();
    // The snapshot's leading part read ahead of the store (of the same file); without it the store reads it.
    std::shared_ptr<SnapshotReadAhead> launchReading;
};

// The application's single owner of state: places, forecasts, settings, API keys and the flags the views
// show. Lives on the main thread. objectWillChange() is emitted just before each change of the published
// state; settingsChanged() and selectedForecastChanged() once a change has altered their value, for a view
// that shows only those.
//
// Invariants after construction and after every operation: `locations` holds exactly one current-location
// entry, first; its entries are no duplicates of each other; every key of `forecasts` and `providerForecasts`
// is the id of a listed location.
class WeatherStore : public QObject {
    Q_OBJECT
public:
    static QString unresolvedStatusText() { return tr("Resolving current location"); }
    static QString requestingStatusText() { return tr("Requesting current location"); }
    static QString resolvedStatusText() { return tr("Current location resolved"); }
    static QString unavailableStatusText() { return tr("Location unavailable"); }
    static QString unresolvedRefreshMessage() {
        return tr("Allow location access or search for a city to fetch live weather.");
    }
    static QString staleFallbackMessage() {
        return tr("Refresh failed; showing the last available forecast.");
    }
    static QString noCurrentWeatherMessage() { return ProviderKeys::noCurrentWeatherMessage(); }
    static QString providerUnavailableMessage() { return ProviderKeys::providerUnavailableMessage(); }
    static QString mirrorSaveErrorText() {
        return tr("Your places could not be written to the sync folder, so your other computers do not "
                  "see this change yet. It is kept on this computer.");
    }
    static inline const QStringList widgetKinds = {QStringLiteral("NimbraCurrentWidget"),
                                                   QStringLiteral("NimbraHourlyWidget"),
                                                   QStringLiteral("NimbraTenDayWidget")};

    // Loads the snapshot (merged with the synced mirror when sync is on), tidies and normalises it and
    // persists. Of a well-formed file the forecasts of places other than the selected one are decoded on a
    // worker and come in later (with objectWillChange()); the first save waits for them, and flushSaves()
    // and the destructor wait for them. Cannot fail: problems end up in lastError(). The API keys are read
    // from the keyring when first needed (see readAPIKeys()), not here: a launch whose providers take no key
    // never touches it.
    WeatherStore(std::shared_ptr<WeatherCache> cache, std::shared_ptr<LocationSyncStore> syncStore,
                 std::shared_ptr<CurrentLocationService> currentLocationService,
                 std::shared_ptr<WeatherProviderCredentialStore> credentialStore,
                 WeatherStoreEnvironment environment = {}, QObject* parent = nullptr);
    ~WeatherStore() override;

    // Published state.
    const QList<WeatherLocation>& locations() const { return m_locations; }
    const ForecastsByLocation& forecasts() const { return m_forecasts; }
    const ProviderForecastsByLocation& providerForecasts() const { return m_providerForecasts; }
    const WeatherSettings& settings() const { return m_settings; }
    // Publishes a whole new settings value; persisting is the caller's next step.
    void setSettings(const WeatherSettings& settings);
    bool isRefreshing() const { return m_isRefreshing; }
    bool isResolvingCurrentLocation() const { return m_isResolvingCurrentLocation; }
    const std::optional<QString>& lastError() const { return m_lastError; }
    // What start-up must tell the user once (the snapshot could not be read, and where it went). Unlike
    // lastError() no refresh clears it: it stays until the user has seen it and dismissStartupNotice().
    const std::optional<QString>& startupNotice() const { return m_startupNotice; }
    void dismissStartupNotice();
    // Why the last write of the snapshot file or of the API keys failed, until that write next succeeds.
    // Unlike lastError() it is never a refresh's failure, so a screen that changes something can say that
    // the change was not kept.
    std::optional<QString> saveError() const {
        return m_snapshotSaveError ? m_snapshotSaveError : m_keySaveError;
    }
    const QString& currentLocationStatus() const { return m_currentLocationStatus; }
    // The API keys known so far: empty until readAPIKeys() has read them from the keyring, but for those the
    // user set meanwhile.
    const WeatherProviderCredentials& providerCredentials() const { return m_keys->credentials(); }
    // Reads the keys from the keyring unless they were read already, waiting at most the credential store's
    // time-out (the keyring may not answer at all). A refresh asks only when an enabled provider takes a key,
    // so a launch whose providers take none never touches the keyring.
    QCoro::Task<void> readAPIKeys() { return m_keys->read(); }
    const QHash<WeatherProviderKind, APIKeyCheckStatus>& apiKeyCheckStatuses() const {
        return m_keys->checkStatuses();
    }
    // Read from the snapshot, handed to refreshes and written back; not published.
    const AccuracyScores& accuracyScores() const { return m_accuracyScores; }
    // The places deleted here that are not listed again; read from the snapshot and written back.
    QList<LocationDeletion> deletedLocations() const;

    // Derived on every read.
    std::optional<WeatherLocation> currentLocation() const;
    // The entry named by the settings' selection, else the first entry.
    std::optional<WeatherLocation> selectedLocation() const;
    std::optional<ConsensusForecast> selectedForecast() const;
    QList<WeatherLocation> savedLocations() const;
    // No current-location entry, or one without a fix yet (still at 0, 0). A fix whose place could not be
    // named is resolved: its coordinates are real.
    bool currentLocationNeedsResolution() const;
    // No selected forecast, one that holds no weather yet (the placeholder, or a refresh that found none), or
    // one older than the refresh interval.
    bool selectedForecastNeedsRefresh() const;

    // Refreshing. None of these fails: failures become lastError() and currentLocationStatus(). While a
    // refresh runs every further refresh is dropped, and while a resolution runs every further resolution;
    // nothing is queued.
    //
    // One refresh of a listed location through every enabled provider. A result that arrives after the
    // location was deleted is dropped.
    QCoro::Task<void> refresh(WeatherLocation location);
    // The selected location; the current-location entry without a fix is resolved (and so refreshed)
    // instead.
    QCoro::Task<void> refreshSelectedResolvingCurrentLocation();
    // The selected location, whatever it is.
    QCoro::Task<void> refreshSelected();
    QCoro::Task<void> resolveCurrentLocationIfNeeded(bool force);
    // One fix from the location service, stored as the current-location entry and refreshed. Cancelling
    // `cancel` before the fix arrives ends the wait quietly: the entry and its status stay as they were.
    QCoro::Task<void> resolveCurrentLocation(CancellationToken cancel = nullptr);
    // Locates the device again whenever there is a current-location entry.
    QCoro::Task<void> refreshCurrentLocationForBackground();
    // Stores a fix as the current-location entry (first, same list shape), keeping its forecasts, and
    // persists.
    void updateCurrentLocation(const WeatherLocation& location);

    // Settings and API keys. Key edits and checks are not persisted: keys live in the keyring, check
    // states in memory.
    void updateSettings(const std::function<void(WeatherSettings&)>& change);
    // Stores the trimmed key, resets its check state and saves the keys. A key the keyring did not take is
    // reported in lastError().
    QCoro::Task<void> updateAPIKey(const QString& key, WeatherProviderKind kind);
    // The first half of updateAPIKey: the key and its check state change in memory only. For a field that
    // edits a key keystroke by keystroke, where each keyring write is a D-Bus call that may ask to unlock.
    void updateAPIKeyInMemory(const QString& key, WeatherProviderKind kind) {
        m_keys->setInMemory(key, kind);
    }
    // The second half: writes the keys to the keyring, off the main thread and in the order of the calls; a
    // failure, or a keyring that does not answer in time, becomes lastError() and saveError(). A key never
    // read from the keyring and not set by the user is left as it is there.
    QCoro::Task<void> saveAPIKeys() { return m_keys->save(); }
    // A key read or save has not ended yet (it may be waiting for a keyring that does not answer).
    bool isWaitingForKeyring() const { return m_keys->isWaitingForKeyring(); }
    APIKeyCheckStatus apiKeyCheckStatus(WeatherProviderKind kind) const { return m_keys->checkStatus(kind); }
    // Asks the provider for one forecast with the kind's key. Only OpenWeather and Tomorrow.io take keys.
    // The answer is dropped when the key changed meanwhile or a newer check of the kind started.
    QCoro::Task<void> checkAPIKey(WeatherProviderKind kind);
    // Where a key check asks for weather: the selected place, else the current one, when it has a fix; else
    // a fixed place.
    WeatherLocation validationLocation() const;

    // Hands the state to the writer thread, which writes the snapshot file and the mirror when sync is on;
    // once the file is written the widgets are asked to reload at once and again after a delay. A failed file
    // write becomes lastError() and saveError() (back on this thread) and skips the rest; so does a failed
    // mirror write, after the snapshot (which keeps the change) was written. A state handed over
    // while an earlier one waits replaces it; one that encodes to the bytes last written writes nothing.
    void persist();
    // Blocks until every state handed to the writer is on disk, and takes in the outcomes: lastError(),
    // saveError() and the widget reloads are up to date when it returns. The destructor waits too (without
    // publishing), so the last state is on disk before the store goes.
    void flushSaves();
    // Ends the saving for a quit: writes what was asked to be saved and not written yet, waits for that write
    // alone and takes in its outcome, as flushSaves() does. A quit while the launch's tables are still
    // loading does not wait for them: a store that was asked to save nothing meanwhile writes nothing (the
    // file holds its state already), else the file's bytes of the entries not touched are written as they
    // were; the decode is then abandoned. Nothing is saved after it. The destructor does the same.
    void close();
    // Gives a listed location without a forecast the placeholder forecast and an empty provider list, and
    // persists; otherwise does nothing.
    void ensureForecastEntry(const WeatherLocation& location);
    ConsensusForecast placeholderForecast(const WeatherLocation& location) const;
    // All timelines, then each widget kind.
    static void reloadWidgetTimelines(WidgetCenter& center);
    // A place away from (0, 0), where the current-location entry waits before its first fix.
    static bool hasPositionFix(const WeatherLocation& location);
    // The built-in sample places of earlier versions (never a current-location entry).
    static bool isSampleLocation(const WeatherLocation& location) {
        return LaunchLoader::isSamplePlace(location);
    }
    // The launch clean-up: sample places dropped, a current-location entry left at a sample coordinate reset,
    // duplicates merged until no two are left (their selection and forecasts carried to the kept entry), and
    // forecasts of ids no listed place has removed. Tidying the result again changes nothing.
    CachedWeatherPayload tidiedStartupPayload(CachedWeatherPayload payload) const;
    // The launch's forecast tables have all been decoded and taken in.
    bool hasLoadedForecasts() const { return !m_launchLoad; }
    // How long after the launch the worker starts on them.
    static constexpr std::chrono::milliseconds launchRestDelay{100};

    // The location list.
    bool containsDuplicateLocation(const WeatherLocation& location) const;
    // Adds a place found by search, or selects the listed entry it duplicates.
    void addLocation(const WeatherLocation& location);
    // Selects a listed location; one that is not listed is ignored.
    void select(const WeatherLocation& location);
    // Offsets into savedLocations(); offsets outside it are ignored.
    void deleteSavedLocations(const IndexSet& offsets);
    // Offsets into locations(); the current-location entry and offsets outside the list are ignored.
    void deleteLocations(const IndexSet& offsets);
    // Moves entries of locations() before `destination`, kept behind the current-location entry and within
    // the list; offsets outside the list are ignored.
    void moveLocations(const IndexSet& offsets, int destination);
    // The same on savedLocations().
    void moveSavedLocations(const IndexSet& offsets, int destination);
    QList<WeatherLocation> normalizedLocations(const QList<WeatherLocation>& locations) const;
    DeduplicatedLocations deduplicatedLocations(const QList<WeatherLocation>& locations) const;

Q_SIGNALS:
    void objectWillChange();
    // settings() now holds another value.
    void settingsChanged();
    // selectedForecast() now holds another value: the selected place's forecast was replaced, or another
    // place (or none) is the selected one.
    void selectedForecastChanged();

private:
    // What the launch's load would save, the entries it would take unchanged from the file left as the
    // file's bytes.
    struct StateAsRead {
        CachedWeatherPayload payload;
        FileEntries asRead;
    };

    QDateTime now() const { return m_environment.clock->now(); }
    // The launch's places, settings, scores and deletions, with Open-Meteo always on and a listed selection.
    void adoptLaunchPlaces(const CachedWeatherPayload& places);
    // The tables as launch leaves them: a placeholder for the first place when none has a forecast.
    ForecastTables launchTables(ForecastTables tables) const;
    void adoptLaunchTables(const ForecastTables& tables);
    // Takes in the selected place's entries now; decodes the tables, and reads the mirror when `sync`, on a
    // worker.
    void loadRestLater(std::shared_ptr<const SnapshotOutline> outline, const ForecastMoves& moves, bool sync);
    // For a file that does not outline or could not be read: the launch starts from no places, and the worker
    // decodes it whole and reads the mirror.
    void loadWholeLater(WeatherCacheReading reading);
    // What the worker made of such a file, with the places added, entries stored and settings changed
    // meanwhile kept. Within finishLaunchLoad().
    void takeInWholeFile(const LaunchStart& start, const LaunchLoader& load);
    // Takes in what the worker read (waiting for it), keeping what changed meanwhile, and saves.
    void finishLaunchLoad();
    // The mirror's places merged in and tidied as at launch, when they change anything. Within
    // finishLaunchLoad(), which signals what they changed.
    void takeInMirrorPlaces(const CachedWeatherPayload& mirror);
    // The state finishLaunchLoad() would save, without decoding the tables; nothing when that cannot be
    // told without them (places merged at launch, a file without forecasts, keys with escapes).
    std::optional<StateAsRead> launchStateAsRead() const;
    // Writes what close() writes, and stops saving.
    void stopSaving();
    bool isListed(const QUuid& id) const;
    CachedWeatherPayload snapshot() const;
    bool setAsideUnreadableSnapshot();
    // Publishes the outcome of one write.
    void saveFinished(const SnapshotWriteOutcome& outcome);
    // The mirror took the snapshot or refused it.
    void mirrorWriteFinished(bool saved);
    // The result of writing the mirror while sync is on: a failure becomes lastError() and saveError(), a
    // success clears the latter.
    void noteMirrorWrite(bool written);

    // What has a change signal of its own, as it was before a change.
    struct SignalledFacts {
        WeatherSettings settings;
        std::optional<ConsensusForecast> selectedForecast;
    };
    // Announces a change that may alter a signalled fact (objectWillChange()), and notes the facts as they
    // are.
    SignalledFacts announceChange();
    // Once the change is made: the signal of each fact that now differs from `before`.
    void signalChanges(const SignalledFacts& before);

    // Publishing helpers, each announcing the change first.
    void setLastError(std::optional<QString> text);
    void setSaveError(std::optional<QString>& slot, std::optional<QString> text);
    void setRefreshing(bool on);
    void setResolvingCurrentLocation(bool on);
    void setCurrentLocationStatus(const QString& text);
    void setSelection(std::optional<QUuid> id);
    void reportKeySave(const std::optional<QString>& failure);
    std::optional<WeatherLocation> listedLocation(const QUuid& id) const;
    // Stores a forecast or a provider list under a listed id; results for a place removed meanwhile are
    // dropped.
    void storeForecast(const QUuid& id, const ConsensusForecast& forecast);
    void storeProviderForecasts(const QUuid& id, const QList<ProviderForecast>& forecasts);
    // Gives a listed place the placeholder forecast and an empty provider list, as asked. While the launch's
    // tables are loading they stand in only until the file's own entries come in.
    void storeStandIns(const WeatherLocation& location, bool forecast, bool providerList);
    // Publishes a new list and keeps the rest of the state consistent with it: entries of ids no longer
    // listed go, and a selection of a dropped place moves to the entry that replaced it, else to the first
    // entry.
    void adoptLocations(const QList<WeatherLocation>& list, const DeduplicatedLocations& merges = {});
    // Normalises `list` and adopts the result.
    void adoptNormalizedLocations(const QList<WeatherLocation>& list);

    std::shared_ptr<WeatherCache> m_cache;
    std::shared_ptr<LocationSyncStore> m_syncStore;
    std::shared_ptr<CurrentLocationService> m_currentLocationService;
    WeatherStoreEnvironment m_environment;

    QList<WeatherLocation> m_locations;
    ForecastsByLocation m_forecasts;
    ProviderForecastsByLocation m_providerForecasts;
    WeatherSettings m_settings;
    bool m_isRefreshing = false;
    bool m_isResolvingCurrentLocation = false;
    std::optional<QString> m_lastError;
    std::optional<QString> m_snapshotSaveError;
    std::optional<QString> m_keySaveError;
    QString m_currentLocationStatus = unresolvedStatusText();
    std::unique_ptr<ProviderKeys> m_keys;
    AccuracyScores m_accuracyScores;
    // Places deleted here, so that an older copy in the mirror does not bring them back.
    QList<LocationDeletion> m_deletedLocations;

    // The snapshot file was there but unreadable: it is moved aside before anything replaces it.
    bool m_unreadableSnapshotPending = false;
    // The places of an unreadable snapshot came back from the synced mirror.
    bool m_placesFromMirror = false;
    std::optional<QString> m_startupNotice;
    // What became of that file, until a save succeeds: a failing save must still tell the user.
    std::optional<QString> m_setAsideNotice;
    // close() ran: persist() does nothing.
    bool m_closed = false;
    // Made last and so destroyed first: it may still be writing the state above.
    std::unique_ptr<SnapshotWriter> m_writer;
    // Until the launch's tables are in. Shared with the refreshes waiting for its end, which may come after
    // the store went.
    std::shared_ptr<LaunchLoader> m_launchLoad;
    // The settings a launch started with while its file was still to be decoded whole.
    WeatherSettings m_settingsBeforeFile;
};

} // namespace nimbra
