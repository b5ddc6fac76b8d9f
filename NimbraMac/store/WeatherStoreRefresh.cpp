// The store's refresh and current-location operations.
#include "WeatherStore.h"

#include "TaskDeadline.h"
#include "WeatherRefreshPipeline.h"

#include <QPointer>
#include <QScopeGuard>
#include <QThread>

#include <QCoro/QCoroSignal>

#include <cmath>

namespace nimbra {
namespace {

// Keeps the service alive for as long as its answer is pending, even when the store has stopped waiting.
QCoro::Task<CurrentLocationResult> resolveHolding(std::shared_ptr<CurrentLocationService> service,
                                                  QUuid existingID) {
    co_return co_await service->resolveCurrentLocation(existingID);
}

} // namespace

bool WeatherStore::hasPositionFix(const WeatherLocation& location) {
    constexpr double zero = 1e-6;
    return std::isfinite(location.latitude) && std::isfinite(location.longitude) &&
           !(std::abs(location.latitude) < zero && std::abs(location.longitude) < zero);
}

bool WeatherStore::currentLocationNeedsResolution() const {
    const auto current = currentLocation();
    return !current || !hasPositionFix(*current);
}

bool WeatherStore::selectedForecastNeedsRefresh() const {
    const auto forecast = selectedForecast();
    if (!forecast)
        return true;
    // Nothing to show yet: waiting a whole interval would leave the place empty.
    if (!forecast->hasFetchedWeather())
        return true;
    return forecast->generatedAt.secsTo(now()) >=
           effectiveRefreshIntervalSeconds(m_settings.refreshIntervalMinutes);
}

std::optional<WeatherLocation> WeatherStore::listedLocation(const QUuid& id) const {
    for (const WeatherLocation& l : m_locations) {
        if (l.id == id)
            return l;
    }
    return std::nullopt;
}

QCoro::Task<void> WeatherStore::refresh(WeatherLocation location) {
    Q_ASSERT(QThread::currentThread() == thread());
    if (location.isCurrentLocation && currentLocationNeedsResolution()) {
        setLastError(unresolvedRefreshMessage());
        ensureForecastEntry(location);
        persist();
        co_return;
    }
    if (m_isRefreshing)
        co_return;
    // Only a listed place can keep a result, and it is fetched where the list has it now (a caller's copy
    // may predate the latest fix).
    const auto listed = listedLocation(location.id);
    if (!listed)
        co_return;
    location = *listed;

    setRefreshing(true);
    setLastError(std::nullopt);
    const QPointer<WeatherStore> self(this);
    const auto clearFlag = qScopeGuard([self] {
        if (self)
            self->setRefreshing(false);
    });

    // The providers that take no key start at once; those that take one start when the keyring has answered.
    const bool useFixtures = m_environment.useFixtures;
    ProviderSet keyless, keyed;
    for (const WeatherProviderKind kind : std::as_const(m_settings.enabledProviders))
        (ProviderClientFactory::takesKey(kind) ? keyed : keyless).insert(kind);
    LaterClients later;
    if (!keyed.isEmpty()) // called as the refresh starts, while the store is surely there
        later = {keyed, [keys = m_keys.get(), keyed, useFixtures] {
                     return keys->clientsAfterReading(keyed, useFixtures);
                 }};
    const WeatherRefreshPipeline pipeline(m_keys->clients(keyless, useFixtures),
                                          m_environment.providerTimeout, m_environment.clock,
                                          m_environment.calendar, std::move(later));
    const WeatherRefreshResult result = co_await pipeline.refresh(location, m_accuracyScores);
    // A failed result keeps what the place had: the file's forecasts, when they are still on their way.
    if (const std::shared_ptr<LaunchLoader> load = self ? self->m_launchLoad : nullptr)
        co_await qCoro(load.get(), &LaunchLoader::finished);
    if (!self || !isListed(location.id))
        co_return; // the place was deleted while its weather was fetched
    const auto stored = m_forecasts.constFind(location.id);
    const std::optional<ConsensusForecast> previous =
        stored == m_forecasts.constEnd() ? std::nullopt : std::optional(*stored);

    if (result.consensus.state == ConsensusState::unavailable && previous && previous->current) {
        ConsensusForecast kept = *previous;
        kept.location = location;
        kept.state = ConsensusState::stale;
        storeForecast(location.id, kept);
        setLastError(staleFallbackMessage());
    } else {
        storeForecast(location.id, result.consensus);
    }

    const bool anyCurrent = std::any_of(result.forecasts.cbegin(), result.forecasts.cend(),
                                        [](const ProviderForecast& f) { return f.current.has_value(); });
    const auto storedList = m_providerForecasts.constFind(location.id);
    if (anyCurrent || storedList == m_providerForecasts.constEnd() || storedList->isEmpty())
        storeProviderForecasts(location.id, result.forecasts);
    persist();
}

QCoro::Task<void> WeatherStore::refreshSelectedResolvingCurrentLocation() {
    // Until a file decoded whole (or the mirror) has brought the places, the selected one is a stand-in.
    const QPointer<WeatherStore> self(this);
    if (const std::shared_ptr<LaunchLoader> load = m_launchLoad; load && load->bringsPlaces())
        co_await qCoro(load.get(), &LaunchLoader::finished);
    if (!self)
        co_return;
    const auto selected = selectedLocation();
    if (!selected)
        co_return;
    if (selected->isCurrentLocation && currentLocationNeedsResolution())
        co_await resolveCurrentLocation();
    else
        co_await refresh(*selected);
}

QCoro::Task<void> WeatherStore::refreshSelected() {
    if (const auto selected = selectedLocation())
        co_await refresh(*selected);
}

QCoro::Task<void> WeatherStore::resolveCurrentLocationIfNeeded(bool force) {
    if (force || currentLocationNeedsResolution())
        co_await resolveCurrentLocation();
}

QCoro::Task<void> WeatherStore::refreshCurrentLocationForBackground() {
    if (currentLocation())
        co_await resolveCurrentLocation();
}

QCoro::Task<void> WeatherStore::resolveCurrentLocation(CancellationToken cancel) {
    Q_ASSERT(QThread::currentThread() == thread());
    const auto old = currentLocation();
    if (!old || m_isResolvingCurrentLocation)
        co_return;

    const QString statusBefore = m_currentLocationStatus;
    setResolvingCurrentLocation(true);
    setCurrentLocationStatus(requestingStatusText());
    setLastError(std::nullopt);
    const QPointer<WeatherStore> self(this);
    const auto clearFlag = qScopeGuard([self] {
        if (self)
            self->setResolvingCurrentLocation(false);
    });

    const std::optional<CurrentLocationResult> answer = co_await withDeadline(
        resolveHolding(m_currentLocationService, old->id), m_environment.currentLocationTimeout, cancel);
    if (!self)
        co_return;
    if (cancel && cancel->isCancelled()) {
        // Nobody waits for the fix any more: the device need not look for one.
        m_currentLocationService->cancelPendingRequest();
        setCurrentLocationStatus(statusBefore);
        co_return;
    }

    if (!answer || !answer->location) {
        setCurrentLocationStatus(unavailableStatusText());
        const QString description = answer ? answer->errorDescription : QString();
        setLastError(description.isEmpty() ? errorDescription(CurrentLocationError::unavailable)
                                           : description);
        ensureForecastEntry(*old);
        persist();
        co_return;
    }

    const WeatherLocation resolved = *answer->location;
    setCurrentLocationStatus(resolvedStatusText());
    updateCurrentLocation(resolved);
    if (!m_settings.menuBarLocationID || *m_settings.menuBarLocationID == old->id)
        select(resolved);
    // The resolution stays busy while its own refresh runs.
    co_await refresh(listedLocation(resolved.id).value_or(resolved));
}

void WeatherStore::updateCurrentLocation(const WeatherLocation& location) {
    Q_ASSERT(QThread::currentThread() == thread());
    WeatherLocation updated = location;
    updated.isCurrentLocation = true;
    updated.allowsApproximateLocation = true;
    updated.updatedAt = now();

    QList<WeatherLocation> list = m_locations;
    const auto entry =
        std::find_if(list.begin(), list.end(), [](const WeatherLocation& l) { return l.isCurrentLocation; });
    if (entry != list.end())
        *entry = updated;
    else
        list.prepend(updated);
    adoptNormalizedLocations(list);

    storeStandIns(updated, !m_forecasts.contains(updated.id), !m_providerForecasts.contains(updated.id));
    persist();
}

} // namespace nimbra
