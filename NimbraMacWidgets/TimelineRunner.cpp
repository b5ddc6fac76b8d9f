#include "TimelineRunner.h"

#include <algorithm>

namespace nimbra {

QtWakeTimer::QtWakeTimer() {
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_wake)
            m_wake();
    });
}

void QtWakeTimer::start(std::chrono::milliseconds delay, std::function<void()> wake) {
    m_wake = std::move(wake);
    m_timer.start(delay);
}

TimelineRunner::TimelineRunner(QString kind, std::shared_ptr<const Provider> provider,
                               std::shared_ptr<const Clock> clock, std::unique_ptr<WakeTimer> timer,
                               QObject* parent)
    : QObject(parent), m_kind(std::move(kind)), m_provider(std::move(provider)), m_clock(std::move(clock)),
      m_timer(std::move(timer)) {}

int TimelineRunner::entryIndexAt(const QList<WeatherWidgetEntry>& entries, const QDateTime& now) {
    if (entries.isEmpty())
        return -1;
    int index = 0;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].date <= now && entries[i].date >= entries[index].date)
            index = i;
    }
    return index;
}

void TimelineRunner::reload() {
    const QDateTime now = m_clock->now();
    m_provider->getTimeline({},
                            [this](const Timeline<WeatherWidgetEntry>& timeline) { m_timeline = timeline; });
    ++m_timelinesRead;
    m_readAt = now;
    m_reloadDate = dueReloadDate(now);
    m_entryIndex = -1;
    show(now);
    arm(now);
}

void TimelineRunner::recheck() {
    const QDateTime now = m_clock->now();
    // A clock set back before the timeline was read makes its dates meaningless; so does a passed reload
    // date.
    if (m_timelinesRead == 0 || now < m_readAt || (m_reloadDate && *m_reloadDate <= now)) {
        reload();
        return;
    }
    show(now);
    arm(now);
}

std::optional<QDateTime> TimelineRunner::dueReloadDate(const QDateTime& now) const {
    QDateTime date;
    switch (m_timeline.policy.kind) {
    case TimelineReloadPolicy::Kind::never:
        return std::nullopt;
    case TimelineReloadPolicy::Kind::after:
        date = m_timeline.policy.date;
        break;
    case TimelineReloadPolicy::Kind::atEnd:
        if (!m_timeline.entries.isEmpty())
            date = m_timeline.entries.constLast().date;
        break;
    }
    // A date already passed would make the runner read timelines back to back: wait a heartbeat instead.
    const QDateTime earliest = now.addMSecs(heartbeat.count());
    if (!date.isValid() || date <= now)
        return earliest;
    return date;
}

void TimelineRunner::show(const QDateTime& now) {
    const int index = entryIndexAt(m_timeline.entries, now);
    if (index < 0 || index == m_entryIndex)
        return;
    m_entryIndex = index;
    m_entry = m_timeline.entries[index];
    Q_EMIT entryChanged(m_entry);
}

void TimelineRunner::arm(const QDateTime& now) {
    QDateTime wake = now.addMSecs(heartbeat.count());
    for (const WeatherWidgetEntry& entry : std::as_const(m_timeline.entries)) {
        if (entry.date > now)
            wake = std::min(wake, entry.date);
    }
    if (m_reloadDate)
        wake = std::min(wake, *m_reloadDate);
    m_wakeDelay = std::chrono::milliseconds(std::max<qint64>(0, now.msecsTo(wake)));
    m_timer->start(m_wakeDelay, [this] { recheck(); });
}

} // namespace nimbra
