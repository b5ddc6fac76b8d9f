#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace nimbra {

// Tells when the machine has woken from sleep: logind's PrepareForSleep(false) on the system bus. Without a
// system bus (a container, a session without logind) it never does, and says so once in the log.
class SystemEvents : public QObject {
    Q_OBJECT
public:
    explicit SystemEvents(QObject* parent = nullptr);
    bool isWatching() const { return m_watching; }

Q_SIGNALS:
    void woke();

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    bool m_watching = false;
};

// Holds a wake-up back until the network is likely up again: at least `settle`, then as soon as the network
// is reachable, at most `limit`. A refresh right after resume would otherwise fail and spend the current
// location's interval on a request that could not succeed.
class WakeRefreshDelay : public QObject {
    Q_OBJECT
public:
    // `reachable` answers whether the network is up; none when the system cannot tell.
    WakeRefreshDelay(std::chrono::milliseconds settle, std::chrono::milliseconds limit,
                     std::function<std::optional<bool>()> reachable, QObject* parent = nullptr);

    void setReachability(std::function<std::optional<bool>()> reachable) {
        m_reachable = std::move(reachable);
    }
    // The machine woke; a second wake-up while waiting restarts the wait.
    void woke();
    // The network came up.
    void networkReachable();
    bool isWaiting() const { return m_waiting; }

    // Follows the system's network state where Qt can read it.
    static std::function<std::optional<bool>()> systemReachability(WakeRefreshDelay* delay);

Q_SIGNALS:
    void ready();

private:
    void settled();
    void fire();

    std::function<std::optional<bool>()> m_reachable;
    QTimer m_settle;
    QTimer m_limit;
    bool m_waiting = false;
    bool m_settled = false;
};

} // namespace nimbra
