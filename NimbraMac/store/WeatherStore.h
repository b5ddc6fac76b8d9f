#pragma once

#include "APIKeyCheckStatus.h"
#include "CachedWeatherPayload.h"
#include "Clock.h"
#include "CurrentLocationService.h"
#include "LocationList.h"
#include "LocationSyncStore.h"
#include "WeatherCache.h"
#include "WeatherProviderCredentialStore.h"
#include "WidgetCenter.h"

#include <QObject>

#include <chrono>
#include <memory>
#include <optional>

namespace nimbra {

// The seams that the application leaves at their defaults and tests replace.
struct WeatherStoreEnvironment {
    std::shared_ptr<const Clock> clock = Clock::system();
    std::shared_ptr<WidgetCenter> widgetCenter = WidgetCenter::makeDefault();
    // The second reload after a persist, for a widget host that was busy with the first.
    std::chrono::milliseconds widgetReloadDelay{1000};
};

// The application's single owner of state: places, forecasts, settings, API keys and the flags the views
// show. Lives on the main thread. objectWillChange() is emitted just before each change of the published
// state.
//
// Invariants after construction and after every operation: `locations` holds exactly one current-location
// entry, first; its entries are no duplicates of each other; every key of `forecasts` and `providerForecasts`
// is the id of a listed location.
class WeatherStore : public QObject {
    Q_OBJECT
public:
    static inline const QString unresolvedStatusText = QStringLiteral("Resolving current location");
    static inline const QStringList widgetKinds = {QStringLiteral("NimbraCurrentWidget"),
                                                   QStringLiteral("NimbraHourlyWidget"),
                                                   QStringLiteral("NimbraTenDayWidget")};

    // Loads the snapshot (merged with the synced mirror when sync is on), tidies and normalises it, loads the
    // API keys and persists. Cannot fail: problems end up in lastError().
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
    const QString& currentLocationStatus() const { return m_currentLocationStatus; }
    const WeatherProviderCredentials& providerCredentials() const { return m_providerCredentials; }
    const QHash<WeatherProviderKind, APIKeyCheckStatus>& apiKeyCheckStatuses() const {
        return m_apiKeyCheckStatuses;
    }
    // Read from the snapshot, handed to refreshes and written back; not published.
    const AccuracyScores& accuracyScores() const { return m_accuracyScores; }

    // Derived on every read.
    std::optional<WeatherLocation> currentLocation() const;
    // The entry named by the settings' selection, else the first entry.
    std::optional<WeatherLocation> selectedLocation() const;
    std::optional<ConsensusForecast> selectedForecast() const;
    QList<WeatherLocation> savedLocations() const;

    // Writes the snapshot file, the mirror when sync is on, and asks the widgets to reload at once and again
    // after a delay. A failed file write becomes lastError() and skips the rest.
    void persist();
    // Gives a listed location without a forecast the placeholder forecast and an empty provider list, and
    // persists; otherwise does nothing.
    void ensureForecastEntry(const WeatherLocation& location);
    ConsensusForecast placeholderForecast(const WeatherLocation& location) const;
    // All timelines, then each widget kind.
    static void reloadWidgetTimelines(WidgetCenter& center);
    // The built-in sample places of earlier versions (never a current-location entry).
    static bool isSampleLocation(const WeatherLocation& location);
    // The launch clean-up: sample places dropped, a current-location entry left at a sample coordinate reset,
    // duplicates merged (their selection and forecasts carried to the kept entry), entries of vanished ids
    // removed.
    CachedWeatherPayload tidiedStartupPayload(CachedWeatherPayload payload) const;

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

private:
    QDateTime now() const { return m_environment.clock->now(); }
    bool isListed(const QUuid& id) const;
    CachedWeatherPayload snapshot() const;
    bool setAsideUnreadableSnapshot();

    // Publishing helpers, each announcing the change first.
    void setLastError(std::optional<QString> text);
    void setRefreshing(bool on);
    void setResolvingCurrentLocation(bool on);
    void setCurrentLocationStatus(const QString& text);
    void setSelection(std::optional<QUuid> id);
    // Stores a forecast or a provider list under a listed id; results for a place removed meanwhile are
    // dropped.
    void storeForecast(const QUuid& id, const ConsensusForecast& forecast);
    void storeProviderForecasts(const QUuid& id, const QList<ProviderForecast>& forecasts);
    // Publishes a new list and keeps the rest of the state consistent with it: entries of ids no longer
    // listed go, and a selection of a dropped place moves to the entry that replaced it, else to the first
    // entry.
    void adoptLocations(const QList<WeatherLocation>& list, const DeduplicatedLocations& merges = {});
    // Normalises `list` and adopts the result.
    void adoptNormalizedLocations(const QList<WeatherLocation>& list);

    std::shared_ptr<WeatherCache> m_cache;
    std::shared_ptr<LocationSyncStore> m_syncStore;
    std::shared_ptr<CurrentLocationService> m_currentLocationService;
    std::shared_ptr<WeatherProviderCredentialStore> m_credentialStore;
    WeatherStoreEnvironment m_environment;

    QList<WeatherLocation> m_locations;
    ForecastsByLocation m_forecasts;
    ProviderForecastsByLocation m_providerForecasts;
    WeatherSettings m_settings;
    bool m_isRefreshing = false;
    bool m_isResolvingCurrentLocation = false;
    std::optional<QString> m_lastError;
    QString m_currentLocationStatus = unresolvedStatusText;
    WeatherProviderCredentials m_providerCredentials;
    QHash<WeatherProviderKind, APIKeyCheckStatus> m_apiKeyCheckStatuses;
    AccuracyScores m_accuracyScores;

    // The snapshot file was there but unreadable: it is moved aside before anything replaces it.
    bool m_unreadableSnapshotPending = false;
};

} // namespace nimbra
