#pragma once

#include "Clock.h"
#include "WeatherLocation.h"
#include "WeatherStore.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace nimbra {

// Why the application refreshes without being asked, each with its two flags.
enum class RefreshTrigger {
    launch,
    timerTick,
    becameActive,
    wake,
    popoverOpened,
    menuRefresh,
};

struct RefreshFlags {
    // Re-resolve the current location even when its interval has not passed.
    bool force = false;
    // Refresh the selected location even when its forecast is not due.
    bool refreshSelected = false;
    bool operator==(const RefreshFlags&) const = default;
};

RefreshFlags refreshFlags(RefreshTrigger trigger);

// What a refresh works on: the store, or a fake in tests.
class RefreshTarget {
public:
    virtual ~RefreshTarget() = default;
    virtual std::optional<WeatherLocation> selectedLocation() const = 0;
    virtual bool hasCurrentLocation() const = 0;
    virtual int refreshIntervalMinutes() const = 0;
    virtual bool selectedForecastNeedsRefresh() const = 0;
    virtual QCoro::Task<void> refreshCurrentLocationForBackground() = 0;
    // The selected location; a current location without a fix is resolved instead.
    virtual QCoro::Task<void> refreshSelected() = 0;
};

class StoreRefreshTarget final : public RefreshTarget {
public:
    explicit StoreRefreshTarget(WeatherStore& store) : m_store(&store) {}
    std::optional<WeatherLocation> selectedLocation() const override;
    bool hasCurrentLocation() const override;
    int refreshIntervalMinutes() const override;
    bool selectedForecastNeedsRefresh() const override;
    QCoro::Task<void> refreshCurrentLocationForBackground() override;
    QCoro::Task<void> refreshSelected() override;

private:
    QPointer<WeatherStore> m_store;
};

// A repeating timer with a period and an allowed lateness; a QTimer in the application, a fake in tests.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    // Replaces any earlier schedule; the first tick comes one interval from now.
    virtual void start(std::chrono::seconds interval, std::chrono::seconds tolerance,
                       std::function<void()> tick) = 0;
    virtual void stop() = 0;
};

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer();
    ~QtRepeatingTimer() override;
    void start(std::chrono::seconds interval, std::chrono::seconds tolerance,
               std::function<void()> tick) override;
    void stop() override;

private:
    std::unique_ptr<QTimer> m_timer;
};

// Funnels every refresh trigger into at most one running refresh. The refresh first brings the current
// location up to date when it is due (or forced), then the selected location when it is due (or forced),
// never twice. A trigger that arrives while a refresh runs is dropped, not queued.
class RefreshScheduler : public QObject {
    Q_OBJECT
public:
    RefreshScheduler(RefreshTarget& target, std::shared_ptr<const Clock> clock,
                     std::unique_ptr<RepeatingTimer> timer, QObject* parent = nullptr);
    ~RefreshScheduler() override;

    static std::chrono::seconds interval(int refreshIntervalMinutes);
    // The timer may fire this much late, so the system can bundle wake-ups.
    static std::chrono::seconds tolerance(std::chrono::seconds interval);

    void trigger(RefreshTrigger trigger) { start(refreshFlags(trigger)); }
    // Returns at once; false when a refresh was already running and this one was dropped.
    bool start(RefreshFlags flags);
    bool isRunning() const { return m_running; }
    bool shouldRefreshCurrentLocation(bool force) const;
    // When the current location was last re-resolved (the attempt, whatever came of it).
    const std::optional<QDateTime>& lastCurrentLocationRefreshDate() const {
        return m_lastCurrentLocationRefresh;
    }

    // Schedules the repeating timer from the interval setting.
    void startTimer();
    // Re-reads the interval setting and reschedules the timer when the period changed.
    void settingsChanged();
    std::optional<std::chrono::seconds> timerInterval() const { return m_timerInterval; }
    // Stops the timer; a running refresh ends on its own.
    void shutDown();

Q_SIGNALS:
    void refreshFinished();

private:
    QCoro::Task<void> run(RefreshFlags flags);
    QCoro::Task<bool> refreshCurrentLocationIfNeeded(bool force);

    RefreshTarget& m_target;
    std::shared_ptr<const Clock> m_clock;
    std::unique_ptr<RepeatingTimer> m_timer;
    bool m_running = false;
    std::optional<QDateTime> m_lastCurrentLocationRefresh;
    std::optional<std::chrono::seconds> m_timerInterval;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace nimbra
