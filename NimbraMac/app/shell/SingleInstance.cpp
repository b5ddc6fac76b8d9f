#include "SingleInstance.h"

#include "AppLog.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace nimbra {
SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

QString SingleInstance::activationTokenFromEnvironment() {
    const QString wayland = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return wayland.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : wayland;
}

SingleInstance::Outcome SingleInstance::claim() {
    QDBusConnection& bus = m_bus;
    if (!bus.isConnected()) {
        qCInfo(appLog()) << "No session bus: a second start will not be noticed";
        return Outcome::unguarded;
    }
    // Registered before the name is taken, so a second start never finds the name without the object.
    bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const auto reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Outcome::primary;
    bus.unregisterObject(objectPath);
    if (!reply.isValid()) {
        qCWarning(appLog()) << "Cannot claim the session bus name:" << reply.error().message();
        return Outcome::unguarded;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, QStringLiteral("Activate"));
    call << activationTokenFromEnvironment();
    QDBusMessage answer = bus.call(call, QDBus::Block, 5000);
    if (answer.type() == QDBusMessage::ErrorMessage &&
        answer.errorName() == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) {
        // A running Nimbra from before tokens were passed.
        answer = bus.call(QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName,
                                                         QStringLiteral("ShowDashboard")),
                          QDBus::Block, 5000);
    }
    if (answer.type() == QDBusMessage::ErrorMessage)
        qCWarning(appLog()) << "The running Nimbra did not answer:" << answer.errorMessage();
    return Outcome::handedOver;
}

void SingleInstance::Activate(const QString& activationToken) {
    Q_EMIT showRequested(activationToken);
}

void SingleInstance::ShowDashboard() {
    Q_EMIT showRequested({});
}

} // namespace nimbra
