#include "RefreshScheduler.h"

#include "WeatherSettings.h"
#include "WeatherStore.h"

#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace nimbra {

RefreshFlags refreshFlags(RefreshTrigger trigger) {
    switch (trigger) {
    case RefreshTrigger::launch:
    case RefreshTrigger::menuRefresh:
        return {true, true};
    case RefreshTrigger::wake:
        return {true, false};
    case RefreshTrigger::timerTick:
    case RefreshTrigger::becameActive:
    case RefreshTrigger::popoverOpened:
        return {false, false};
    }
    return {};
}

std::optional<WeatherLocation> StoreRefreshTarget::selectedLocation() const {
    return m_store ? m_store->selectedLocation() : std::nullopt;
}

bool StoreRefreshTarget::hasCurrentLocation() const {
    return m_store && m_store->currentLocation().has_value();
}

int StoreRefreshTarget::refreshIntervalMinutes() const {
    return m_store ? m_store->settings().refreshIntervalMinutes : WeatherSettings{}.refreshIntervalMinutes;
}

bool StoreRefreshTarget::selectedForecastNeedsRefresh() const {
    return m_store && m_store->selectedForecastNeedsRefresh();
}

QCoro::Task<void> StoreRefreshTarget::refreshCurrentLocationForBackground() {
    if (m_store)
        co_await m_store->refreshCurrentLocationForBackground();
}

QCoro::Task<void> StoreRefreshTarget::refreshSelected() {
    if (m_store)
        co_await m_store->refreshSelectedResolvingCurrentLocation();
}

QtRepeatingTimer::QtRepeatingTimer() : m_timer(std::make_unique<QTimer>()) {
    // The allowed lateness (minutes) is far beyond what a coarse timer takes, so it may bundle wake-ups.
    m_timer->setTimerType(Qt::VeryCoarseTimer);
}

QtRepeatingTimer::~QtRepeatingTimer() = default;

void QtRepeatingTimer::start(std::chrono::seconds interval, std::chrono::seconds,
                             std::function<void()> tick) {
    m_timer->stop();
    m_timer->disconnect();
    QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), std::move(tick));
    // QTimer takes int milliseconds.
    const qint64 ms =
        std::clamp<qint64>(qint64(interval.count()) * 1000, 1000, std::numeric_limits<int>::max());
    m_timer->start(int(ms));
}

void QtRepeatingTimer::stop() {
    m_timer->stop();
}

RefreshScheduler::RefreshScheduler(RefreshTarget& target, std::shared_ptr<const Clock> clock,
                                   std::unique_ptr<RepeatingTimer> timer, QObject* parent)
    : QObject(parent), m_target(target), m_clock(std::move(clock)), m_timer(std::move(timer)) {}

RefreshScheduler::~RefreshScheduler() {
    *m_alive = false;
}

std::chrono::seconds RefreshScheduler::interval(int refreshIntervalMinutes) {
    return std::chrono::seconds(effectiveRefreshIntervalSeconds(refreshIntervalMinutes));
}

std::chrono::seconds RefreshScheduler::tolerance(std::chrono::seconds interval) {
    return std::min(std::chrono::seconds(interval.count() / 5), std::chrono::seconds(180));
}

bool RefreshScheduler::start(RefreshFlags flags) {
    if (m_running)
        return false;
    m_running = true;
    run(flags);
    return true;
}

bool RefreshScheduler::shouldRefreshCurrentLocation(bool force) const {
    if (force || !m_lastCurrentLocationRefresh)
        return true;
    return m_lastCurrentLocationRefresh->secsTo(m_clock->now()) >=
           interval(m_target.refreshIntervalMinutes()).count();
}

QCoro::Task<bool> RefreshScheduler::refreshCurrentLocationIfNeeded(bool force) {
    if (!m_target.hasCurrentLocation() || !shouldRefreshCurrentLocation(force))
        co_return false;
    // Stamped before the attempt, so a failed one also waits a whole interval.
    m_lastCurrentLocationRefresh = m_clock->now();
    co_await m_target.refreshCurrentLocationForBackground();
    co_return true;
}

QCoro::Task<void> RefreshScheduler::run(RefreshFlags flags) {
    const std::shared_ptr<bool> alive = m_alive;
    auto finish = qScopeGuard([this, alive] {
        if (!*alive)
            return;
        m_running = false;
        Q_EMIT refreshFinished();
    });
    const auto selected = m_target.selectedLocation();
    const bool selectedIsCurrent = selected && selected->isCurrentLocation;
    const bool currentRefreshed = co_await refreshCurrentLocationIfNeeded(flags.force);
    if (!*alive)
        co_return;
    // The selected place was just refreshed through the current-location path.
    if (selectedIsCurrent && currentRefreshed)
        co_return;
    if (flags.refreshSelected || m_target.selectedForecastNeedsRefresh())
        co_await m_target.refreshSelected();
}

void RefreshScheduler::startTimer() {
    const auto period = interval(m_target.refreshIntervalMinutes());
    m_timerInterval = period;
    QPointer<RefreshScheduler> self(this);
    m_timer->start(period, tolerance(period), [self] {
        if (self)
            self->trigger(RefreshTrigger::timerTick);
    });
}

void RefreshScheduler::settingsChanged() {
    if (m_timerInterval && *m_timerInterval != interval(m_target.refreshIntervalMinutes()))
        startTimer();
}

void RefreshScheduler::shutDown() {
    m_timer->stop();
    m_timerInterval.reset();
}

} // namespace nimbra
