#include "StatusItem.h"

#include "AppLog.h"
#include "StatusNotifierItem.h"
#include "TrayIconEngine.h"
#include "X11SystemTray.h"

#include <QDBusConnectionInterface>
#include <QMenu>
#include <QSystemTrayIcon>

namespace nimbra {
namespace {

TrayClickFilter::Click clickOf(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return TrayClickFilter::Click::primary;
    case QSystemTrayIcon::DoubleClick:
        return TrayClickFilter::Click::doubleClick;
    case QSystemTrayIcon::MiddleClick:
        return TrayClickFilter::Click::middle;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return TrayClickFilter::Click::context;
}

// On X11 both the server and Qt must see an XEmbed tray: Qt may have settled on the D-Bus tray for its icon,
// and may still believe in a tray whose owner has gone.
bool xembedTrayPresent() {
    const std::optional<bool> owned = x11SystemTrayOwned();
    return owned.value_or(true) && QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace

StatusItem::StatusItem(QMenu* contextMenu, QObject* parent)
    : StatusItem(contextMenu, QDBusConnection::sessionBus(), parent) {}

StatusItem::StatusItem(QMenu* contextMenu, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_contextMenu(contextMenu), m_bus(std::move(bus)),
      m_watcher(StatusNotifierItem::watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(
        &m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) { watcherOwnerChanged(newOwner); });
    m_xembedPoll.setInterval(xembedPollMs);
    connect(&m_xembedPoll, &QTimer::timeout, this, &StatusItem::lookForTray);
    chooseHost();
}

StatusItem::~StatusItem() = default;

bool StatusItem::watcherPresent() const {
    const QDBusConnectionInterface* bus = m_bus.isConnected() ? m_bus.interface() : nullptr;
    return bus && bus->isServiceRegistered(StatusNotifierItem::watcherService).value();
}

void StatusItem::lookForTray() {
    // While the XEmbed icon shows, only its tray's going is news (a watcher announces itself): one question
    // to the X server, not a D-Bus call.
    if (m_host == Host::xembed && x11SystemTrayOwned().value_or(true))
        return;
    chooseHost();
}

void StatusItem::chooseHost() {
    // The watcher is asked first: Qt decides once, on its first look, whether its own tray icon goes over
    // D-Bus, and that look must see no watcher, or the XEmbed icon would never show.
    if (watcherPresent())
        useStatusNotifier();
    else if (xembedTrayPresent())
        useXEmbed();
    else
        setHost(Host::none);
}

void StatusItem::watcherOwnerChanged(const QString& newOwner) {
    if (newOwner.isEmpty()) {
        qCInfo(appLog()) << "The D-Bus tray host left";
        chooseHost();
    } else if (m_host == Host::statusNotifier) {
        // A restarted panel knows nothing of the items that registered with its predecessor.
        m_statusNotifier->registerWithWatcher();
    } else {
        useStatusNotifier();
    }
}

void StatusItem::useStatusNotifier() {
    if (m_host == Host::statusNotifier)
        return;
    m_icon.reset();
    if (!m_statusNotifier) {
        m_statusNotifier = std::make_unique<StatusNotifierItem>(m_contextMenu, m_bus);
        connect(m_statusNotifier.get(), &StatusNotifierItem::activated, this, [this](QPoint at) {
            m_activatedAt = at.isNull() ? std::nullopt : std::optional<QPoint>(at);
            Q_EMIT clicked(TrayClickFilter::Click::primary);
        });
    }
    m_statusNotifier->paint(m_model);
    m_statusNotifier->registerWithWatcher();
    setHost(Host::statusNotifier);
}

void StatusItem::useXEmbed() {
    if (m_host == Host::xembed)
        return;
    m_icon = std::make_unique<QSystemTrayIcon>();
    m_icon->setContextMenu(m_contextMenu);
    connect(m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                m_activatedAt.reset();
                Q_EMIT clicked(clickOf(reason));
            });
    if (m_painted) {
        m_icon->setIcon(m_picture);
        m_icon->setToolTip(m_model.tooltip);
        m_icon->show();
    }
    setHost(Host::xembed);
}

void StatusItem::setHost(Host host) {
    if (host == Host::none)
        m_icon.reset();
    // An XEmbed tray says nothing when it leaves (a panel ended): it is looked for while there is none, and
    // looked after while it shows the icon. A D-Bus tray's watcher announces both.
    if (host == Host::statusNotifier)
        m_xembedPoll.stop();
    else if (!m_xembedPoll.isActive())
        m_xembedPoll.start();
    if (host == m_host)
        return;
    m_host = host;
    switch (host) {
    case Host::statusNotifier:
        qCInfo(appLog()) << "Tray: a D-Bus tray host (StatusNotifierWatcher) is on the session bus";
        break;
    case Host::xembed:
        qCInfo(appLog()) << "Tray: an XEmbed tray host is on the screen";
        break;
    case Host::none:
        qCInfo(appLog()) << "Tray: no tray host";
        break;
    }
    Q_EMIT hostChanged(host);
}

void StatusItem::paint(const StatusItemModel& model) {
    if (m_painted && model == m_model)
        return;
    const bool iconChanged =
        !m_painted || model.condition != m_model.condition || model.iconText != m_model.iconText;
    m_model = model;
    m_painted = true;
    if (iconChanged)
        m_picture = QIcon(new TrayIconEngine(model));
    if (m_statusNotifier)
        m_statusNotifier->paint(model);
    if (!m_icon)
        return;
    if (iconChanged)
        m_icon->setIcon(m_picture);
    m_icon->setToolTip(model.tooltip);
    if (!m_icon->isVisible())
        m_icon->show();
}

std::optional<QRect> StatusItem::geometry() const {
    if (m_host == Host::statusNotifier)
        return m_activatedAt ? std::optional<QRect>(QRect(*m_activatedAt, QSize(1, 1))) : std::nullopt;
    const QRect rect = m_icon ? m_icon->geometry() : QRect();
    return rect.isValid() && !rect.isEmpty() ? std::optional<QRect>(rect) : std::nullopt;
}

} // namespace nimbra
