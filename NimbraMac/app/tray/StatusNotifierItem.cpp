#include "StatusNotifierItem.h"

#include "AppLog.h"
#include "DBusMenuExporter.h"
#include "TrayIconEngine.h"
#include "TrayIconPainter.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMenu>

#include <algorithm>

namespace nimbra {
namespace {

bool iconDiffers(const StatusItemModel& a, const StatusItemModel& b) {
    return a.condition != b.condition || a.iconText != b.iconText;
}

} // namespace

StatusNotifierItem::StatusNotifierItem(QMenu* menu, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_contextMenu(menu), m_bus(std::move(bus)),
      m_serviceName(
          QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid())),
      m_menuExporter(new DBusMenuExporter(menu, this)) {
    registerStatusNotifierTypes();
    m_confirm.setSingleShot(true);
    m_confirm.setInterval(confirmDelayMs);
    connect(&m_confirm, &QTimer::timeout, this, &StatusNotifierItem::confirmRegistration);
}

StatusNotifierItem::~StatusNotifierItem() {
    if (!m_published)
        return;
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(objectPath);
    m_bus.unregisterObject(menuPath);
}

bool StatusNotifierItem::publish() {
    if (m_published)
        return true;
    if (!m_bus.registerObject(objectPath, this,
                              QDBusConnection::ExportScriptableContents |
                                  QDBusConnection::ExportAllProperties)) {
        qCWarning(appLog()) << "Cannot publish the tray item:" << m_bus.lastError().message();
        return false;
    }
    m_menuExporter->publish(m_bus, menuPath);
    if (!m_bus.registerService(m_serviceName))
        qCWarning(appLog()) << "Cannot take the bus name" << m_serviceName << ":"
                            << m_bus.lastError().message();
    m_published = true;
    return true;
}

void StatusNotifierItem::registerWithWatcher() {
    m_registrations = 0;
    sendRegistration();
}

void StatusNotifierItem::sendRegistration() {
    m_confirm.stop();
    if (!publish()) {
        Q_EMIT registrationFinished(false);
        return;
    }
    ++m_registrations;
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    // Never a blocking call: the watcher may be a panel that is busy starting up.
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<> reply = *done;
        if (reply.isError()) {
            qCWarning(appLog()) << "The tray host refused the tray item:" << reply.error().message();
        } else {
            qCInfo(appLog()) << "Tray item registered with the tray host as" << m_serviceName;
            m_confirm.start();
        }
        Q_EMIT registrationFinished(!reply.isError());
    });
}

bool StatusNotifierItem::listsItem(const QStringList& registered, const QStringList& names) {
    return std::any_of(registered.begin(), registered.end(), [&names](const QString& entry) {
        return std::any_of(names.begin(), names.end(), [&entry](const QString& name) {
            return !name.isEmpty() && entry.startsWith(name) &&
                   (entry.size() == name.size() || entry.at(name.size()) == QLatin1Char('/') ||
                    entry.at(name.size()) == QLatin1Char('@'));
        });
    });
}

void StatusNotifierItem::confirmRegistration() {
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << watcherService << QStringLiteral("RegisteredStatusNotifierItems");
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *done;
        // A watcher that cannot say which items it has is taken at its word.
        if (reply.isError())
            return;
        const QStringList registered = qdbus_cast<QStringList>(reply.value().variant());
        if (listsItem(registered, {m_serviceName, m_bus.baseService()}))
            return;
        if (m_registrations >= maxRegistrations) {
            qCWarning(appLog()) << "The tray host does not list the tray item after" << m_registrations
                                << "registrations";
            return;
        }
        qCWarning(appLog()) << "The tray host does not list the tray item: registering it again";
        sendRegistration();
    });
}

void StatusNotifierItem::paint(const StatusItemModel& model) {
    const StatusItemModel old = std::exchange(m_model, model);
    if (iconDiffers(old, model)) {
        m_pixmaps.reset();
        Q_EMIT NewIcon();
    }
    if (old.tooltip != model.tooltip)
        Q_EMIT NewToolTip();
    if (old.title != model.title || old.labelGuide != model.labelGuide)
        Q_EMIT XAyatanaNewLabel(model.title, model.labelGuide);
}

SniIconPixmaps StatusNotifierItem::iconPixmap() const {
    if (!m_pixmaps) {
        SniIconPixmaps pixmaps;
        for (const QSize& size : TrayIconEngine::offeredSizes())
            pixmaps.append(sniIconPixmap(TrayIconPainter::image(m_model, size.width())));
        m_pixmaps = std::move(pixmaps);
    }
    return *m_pixmaps;
}

SniToolTip StatusNotifierItem::toolTip() const {
    // The first line is the title, the rest (the next-hours summary) the body.
    const qsizetype lineEnd = m_model.tooltip.indexOf(QLatin1Char('\n'));
    if (lineEnd < 0)
        return SniToolTip{{}, {}, m_model.tooltip, {}};
    return SniToolTip{{}, {}, m_model.tooltip.left(lineEnd), m_model.tooltip.mid(lineEnd + 1)};
}

void StatusNotifierItem::Activate(int x, int y) {
    Q_EMIT activated(QPoint(x, y));
}

void StatusNotifierItem::SecondaryActivate(int x, int y) {
    Activate(x, y);
}

void StatusNotifierItem::ContextMenu(int x, int y) {
    // For panels that draw no menu of their own; (0, 0) means they do not know where the click was.
    if (m_contextMenu)
        m_contextMenu->popup(x == 0 && y == 0 ? QCursor::pos() : QPoint(x, y));
}

void StatusNotifierItem::Scroll(int, const QString&) {}

} // namespace nimbra
