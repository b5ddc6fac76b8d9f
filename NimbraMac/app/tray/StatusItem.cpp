#include "StatusItem.h"

#include "AppLog.h"
#include "StatusNotifierItem.h"
#include "TrayIconEngine.h"
#include "X11SystemTray.h"

#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QFile>
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
      m_watcher(StatusNotifierItem::watcherService, m_bus, QDBusServiceWatcher::WatchForOwnerChange),
      m_hostNameWatcher(QStringLiteral("org.kde*"), m_bus, QDBusServiceWatcher::WatchForOwnerChange) {
    connect(
        &m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString&, const QString& newOwner) { watcherOwnerChanged(newOwner); });
    connect(&m_hostNameWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &StatusItem::hostNameOwnerChanged);
    // What a watcher says of its hosts, whichever process owns its name.
    const QString watcherInterface = StatusNotifierItem::watcherService;
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        m_bus.connect(watcherInterface, StatusNotifierItem::watcherPath, watcherInterface,
                      QString::fromLatin1(signal), this, SLOT(watcherHostsChanged()));
    m_bus.connect(watcherInterface, StatusNotifierItem::watcherPath,
                  QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"),
                  this, SLOT(watcherHostsChanged()));
    m_xembedPoll.setInterval(xembedPollMs);
    connect(&m_xembedPoll, &QTimer::timeout, this, &StatusItem::lookForTray);
    takeWatcher(watcherOwner());
}

StatusItem::~StatusItem() = default;

QString StatusItem::watcherOwner() const {
    const QDBusConnectionInterface* bus = m_bus.isConnected() ? m_bus.interface() : nullptr;
    if (!bus)
        return {};
    const QDBusReply<QString> owner = bus->serviceOwner(StatusNotifierItem::watcherService);
    return owner.isValid() ? owner.value() : QString();
}

bool StatusItem::ownerOutlivesPanel(const QString& owner) const {
    const QDBusReply<uint> pid = m_bus.interface()->servicePid(owner);
    if (!pid.isValid())
        return false;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    if (!comm.open(QIODevice::ReadOnly))
        return false;
    return StatusNotifierHosts::outlivesPanel(QString::fromUtf8(comm.readAll()).trimmed());
}

int StatusItem::hostNamesOnBus() const {
    const QDBusReply<QStringList> names = m_bus.interface()->registeredServiceNames();
    return names.isValid() ? StatusNotifierHosts::countHostNames(names.value()) : 0;
}

void StatusItem::takeWatcher(const QString& owner) {
    m_watcherOwner = owner;
    if (owner.isEmpty()) {
        m_hosts = {};
    } else {
        m_hosts.watcherChanged(true, ownerOutlivesPanel(owner), hostNamesOnBus());
        readHostRegistered();
        // The XEmbed icon goes: Qt would move it onto the D-Bus tray as a second item.
        m_icon.reset();
        registerStatusNotifier();
    }
    chooseHost();
}

void StatusItem::readHostRegistered() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        StatusNotifierItem::watcherService, StatusNotifierItem::watcherPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << StatusNotifierItem::watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // Never a blocking call: the watcher may be a panel that is busy starting up.
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    const QString askedOf = m_watcherOwner;
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, askedOf](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *done;
                // A watcher that cannot say is taken to have its panel.
                if (askedOf != m_watcherOwner || reply.isError())
                    return;
                m_hosts.hostRegistered = reply.value().variant().toBool();
                chooseHost();
            });
}

void StatusItem::watcherHostsChanged() {
    if (!m_watcherOwner.isEmpty())
        readHostRegistered();
}

void StatusItem::hostNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner) {
    if (!StatusNotifierHosts::isHostName(name) || m_watcherOwner.isEmpty())
        return;
    m_hosts.hostNamesChanged(m_hosts.hostNames + (newOwner.isEmpty() ? 0 : 1) - (oldOwner.isEmpty() ? 0 : 1));
    chooseHost();
}

void StatusItem::lookForTray() {
    // While the XEmbed icon shows, only its tray's going is news (a watcher announces itself): one question
    // to the X server, not a D-Bus call.
    if (m_host == Host::xembed && x11SystemTrayOwned().value_or(true))
        return;
    // A watcher left without a panel may not say when one comes back.
    if (!m_watcherOwner.isEmpty())
        readHostRegistered();
    chooseHost();
}

void StatusItem::chooseHost() {
    // While a watcher is on the bus, the D-Bus item is the only one: Qt decides once, on its first look,
    // whether its own tray icon goes over D-Bus, and that look must see no watcher, or the XEmbed icon would
    // never show.
    if (!m_watcherOwner.isEmpty())
        setHost(m_hosts.itemsDrawn() ? Host::statusNotifier : Host::none);
    else if (xembedTrayPresent())
        useXEmbed();
    else
        setHost(Host::none);
}

void StatusItem::watcherOwnerChanged(const QString& newOwner) {
    if (newOwner.isEmpty())
        qCInfo(appLog()) << "The D-Bus tray host left";
    // A restarted panel knows nothing of the items that registered with its predecessor.
    takeWatcher(newOwner);
}

void StatusItem::registerStatusNotifier() {
    if (!m_statusNotifier) {
        m_statusNotifier = std::make_unique<StatusNotifierItem>(m_contextMenu, m_bus);
        connect(m_statusNotifier.get(), &StatusNotifierItem::activated, this, [this](QPoint at) {
            m_activatedAt = TrayClickFilter::clickPoint(at, QCursor::pos());
            Q_EMIT clicked(TrayClickFilter::Click::primary);
        });
    }
    m_statusNotifier->paint(m_model);
    m_statusNotifier->registerWithWatcher();
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
    // looked after while it shows the icon. A D-Bus tray's watcher announces both, and a panel's host name.
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
        if (m_watcherOwner.isEmpty())
            qCInfo(appLog()) << "Tray: no tray host";
        else
            qCInfo(appLog())
                << "Tray: the D-Bus tray host (StatusNotifierWatcher) has no panel that shows it";
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
