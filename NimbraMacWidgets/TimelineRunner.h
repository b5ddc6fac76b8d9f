#pragma once

#include "Clock.h"
#include "WeatherWidgetProvider.h"
#include "WidgetKitLayer.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace nimbra {

// A single-shot wake-up, injectable so tests step a fake clock and fire it by hand.
class WakeTimer {
public:
    virtual ~WakeTimer() = default;
    // Replaces any wake-up armed before.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> wake) = 0;
};

// On the monotonic clock: a wall-clock jump or a suspend delays it, which the heartbeat bounds.
class QtWakeTimer final : public WakeTimer {
public:
    QtWakeTimer();
    void start(std::chrono::milliseconds delay, std::function<void()> wake) override;

private:
    QTimer m_timer;
    std::function<void()> m_wake;
};

// Plays one widget kind's timeline: asks the provider for entries, shows the one whose date is the latest at
// or before now, and wakes for the next entry, for the reload date and at least once a minute, so a clock
// jump or a suspend is noticed within a minute.
class TimelineRunner : public QObject {
    Q_OBJECT
public:
    using Provider = TimelineProvider<WeatherWidgetEntry>;
    static constexpr std::chrono::milliseconds heartbeat{60'000};

    TimelineRunner(QString kind, std::shared_ptr<const Provider> provider, std::shared_ptr<const Clock> clock,
                   std::unique_ptr<WakeTimer> timer = std::make_unique<QtWakeTimer>(),
                   QObject* parent = nullptr);

    const QString& kind() const { return m_kind; }
    // Valid once the first timeline is read.
    const WeatherWidgetEntry& entry() const { return m_entry; }
    const Timeline<WeatherWidgetEntry>& timeline() const { return m_timeline; }
    // When the provider is asked again; none while the policy waits for the application.
    std::optional<QDateTime> reloadDate() const { return m_reloadDate; }
    // The delay of the wake-up armed last.
    std::chrono::milliseconds wakeDelay() const { return m_wakeDelay; }
    int timelinesRead() const { return m_timelinesRead; }

    // The index of the entry to show at `now`: the latest dated at or before it, else the first (the clock
    // went back before the timeline began). -1 for an empty list.
    static int entryIndexAt(const QList<WeatherWidgetEntry>& entries, const QDateTime& now);

public Q_SLOTS:
    // Reads a new timeline now.
    void reload();
    // Shows the entry due now, reloading first when the reload date has passed.
    void recheck();

Q_SIGNALS:
    void entryChanged(const WeatherWidgetEntry& entry);

private:
    void show(const QDateTime& now);
    void arm(const QDateTime& now);
    std::optional<QDateTime> dueReloadDate(const QDateTime& now) const;

    QString m_kind;
    std::shared_ptr<const Provider> m_provider;
    std::shared_ptr<const Clock> m_clock;
    std::unique_ptr<WakeTimer> m_timer;
    Timeline<WeatherWidgetEntry> m_timeline;
    WeatherWidgetEntry m_entry;
    int m_entryIndex = -1;
    QDateTime m_readAt;
    std::optional<QDateTime> m_reloadDate;
    std::chrono::milliseconds m_wakeDelay{0};
    int m_timelinesRead = 0;
};

} // namespace nimbra
