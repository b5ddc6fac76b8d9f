#include "SystemEvents.h"

#include "AppLog.h"

#include <QDBusConnection>
#include <QNetworkInformation>

#include <utility>

namespace nimbra {
namespace {

QNetworkInformation* loadedReachability(WakeRefreshDelay* delay) {
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return nullptr;
    QNetworkInformation* info = QNetworkInformation::instance();
    QObject::connect(info, &QNetworkInformation::reachabilityChanged, delay,
                     [delay](QNetworkInformation::Reachability reachability) {
                         if (reachability == QNetworkInformation::Reachability::Online)
                             delay->networkReachable();
                     });
    return info;
}

std::optional<bool> reachabilityOf(QNetworkInformation::Reachability reachability) {
    switch (reachability) {
    case QNetworkInformation::Reachability::Unknown:
        return std::nullopt;
    case QNetworkInformation::Reachability::Online:
        return true;
    default:
        return false;
    }
}

} // namespace

SystemEvents::SystemEvents(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        m_watching =
            bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                        this, SLOT(prepareForSleep(bool)));
    }
    if (!m_watching)
        qCInfo(appLog()) << "No system bus: waking from sleep will not refresh the weather";
}

void SystemEvents::prepareForSleep(bool sleeping) {
    if (!sleeping)
        Q_EMIT woke();
}

WakeRefreshDelay::WakeRefreshDelay(std::chrono::milliseconds settle, std::chrono::milliseconds limit,
                                   std::function<std::optional<bool>()> reachable, QObject* parent)
    : QObject(parent), m_reachable(std::move(reachable)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settle);
    m_limit.setSingleShot(true);
    m_limit.setInterval(limit);
    connect(&m_settle, &QTimer::timeout, this, &WakeRefreshDelay::settled);
    connect(&m_limit, &QTimer::timeout, this, &WakeRefreshDelay::fire);
}

void WakeRefreshDelay::woke() {
    m_waiting = true;
    m_settled = false;
    m_settle.start();
    m_limit.start();
}

void WakeRefreshDelay::settled() {
    m_settled = true;
    const std::optional<bool> up = m_reachable ? m_reachable() : std::nullopt;
    // A system that cannot tell gets the settle time only.
    if (!up || *up)
        fire();
}

void WakeRefreshDelay::networkReachable() {
    if (m_waiting && m_settled)
        fire();
}

void WakeRefreshDelay::fire() {
    if (!m_waiting)
        return;
    m_waiting = false;
    m_settle.stop();
    m_limit.stop();
    m_settled = false;
    Q_EMIT ready();
}

std::function<std::optional<bool>()> WakeRefreshDelay::systemReachability(WakeRefreshDelay* delay) {
    // The network-state backend (NetworkManager over D-Bus) is loaded at the first wake that asks, not at
    // launch: most sessions never sleep.
    return [delay, info = static_cast<QNetworkInformation*>(nullptr), tried = false]() mutable {
        if (!std::exchange(tried, true))
            info = loadedReachability(delay);
        return info ? reachabilityOf(info->reachability()) : std::nullopt;
    };
}

} // namespace nimbra
