#include "LocationManager.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGeoPositionInfo>
#include <QGeoPositionInfoSource>

#include <cmath>

namespace nimbra {

bool isValidCoordinate(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90.0 &&
           std::abs(longitude) <= 180.0;
}

PositioningLocationManager::PositioningLocationManager(QGeoPositionInfoSource* source,
                                                       std::chrono::milliseconds updateTimeout,
                                                       QObject* parent)
    : LocationManager(parent), m_source(source), m_updateTimeout(updateTimeout) {
    if (!m_source)
        return;
    m_source->setParent(this);
    connect(m_source, &QGeoPositionInfoSource::positionUpdated, this, &PositioningLocationManager::deliver);
    connect(m_source, &QGeoPositionInfoSource::errorOccurred, this,
            [this](QGeoPositionInfoSource::Error error) { fail(error); });
}

PositioningLocationManager::~PositioningLocationManager() {
    if (m_source)
        m_source->disconnect(this);
}

int PositioningLocationManager::authorizationStatus() const {
    if (!m_source)
        return locationAuthorization::restricted;
    return m_accessDenied ? locationAuthorization::denied : locationAuthorization::authorizedWhenInUse;
}

void PositioningLocationManager::setDesiredAccuracy(double metres) {
    if (!m_source)
        return;
    // Anything coarser than a street needs no satellite fix; GeoClue then answers from Wi-Fi or the network.
    m_source->setPreferredPositioningMethods(metres >= 100.0
                                                 ? QGeoPositionInfoSource::NonSatellitePositioningMethods
                                                 : QGeoPositionInfoSource::AllPositioningMethods);
}

void PositioningLocationManager::requestWhenInUseAuthorization() {
    // The status is already final (see the class comment); answer the way a permission dialogue would, later.
    QMetaObject::invokeMethod(this, &LocationManager::didChangeAuthorization, Qt::QueuedConnection);
}

void PositioningLocationManager::requestLocation() {
    if (!m_source) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                Q_EMIT didFailWithError(
                    QCoreApplication::translate("LocationManager", "No location source is available."));
            },
            Qt::QueuedConnection);
        return;
    }
    m_stopped = false;
    // Some sources answer from inside requestUpdate(); deliver() is ready for that.
    m_source->requestUpdate(static_cast<int>(m_updateTimeout.count()));
}

void PositioningLocationManager::stopUpdatingLocation() {
    m_stopped = true;
    if (m_source)
        m_source->stopUpdates();
}

void PositioningLocationManager::deliver(const QGeoPositionInfo& info) {
    if (m_stopped)
        return;
    const QGeoCoordinate c = info.coordinate();
    Q_EMIT didUpdateLocations({LocationFix{c.latitude(), c.longitude()}});
}

void PositioningLocationManager::fail(int error) {
    if (m_stopped)
        return;
    switch (error) {
    case QGeoPositionInfoSource::AccessError:
        // The user (or the system's policy) refused: that is an authorization answer, not a failed fix.
        m_accessDenied = true;
        Q_EMIT didChangeAuthorization();
        return;
    case QGeoPositionInfoSource::UpdateTimeoutError:
        Q_EMIT didFailWithError(QCoreApplication::translate(
            "LocationManager", "The location service found no position in time."));
        return;
    case QGeoPositionInfoSource::ClosedError:
        Q_EMIT didFailWithError(
            QCoreApplication::translate("LocationManager", "The location service closed the connection."));
        return;
    case QGeoPositionInfoSource::NoError:
        return;
    default:
        Q_EMIT didFailWithError(
            QCoreApplication::translate("LocationManager", "The location service failed."));
        return;
    }
}

namespace {

constexpr auto geoClueService = "org.freedesktop.GeoClue2";
// D-Bus answers within milliseconds; a bus that takes longer is not one to wait for on the main thread.
constexpr int busCallTimeoutMs = 1000;

QDBusMessage busCall(const QDBusConnection& bus, const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                          QStringLiteral("/org/freedesktop/DBus"),
                                                          QStringLiteral("org.freedesktop.DBus"), method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, busCallTimeoutMs);
}

// GeoClue is Linux's location service: when it neither runs nor can be started, nothing can locate the
// device.
bool geoClueReachable() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return false;
    const QDBusMessage owner =
        busCall(bus, QStringLiteral("NameHasOwner"), {QString::fromLatin1(geoClueService)});
    if (owner.type() == QDBusMessage::ReplyMessage && owner.arguments().value(0).toBool())
        return true;
    const QDBusMessage activatable = busCall(bus, QStringLiteral("ListActivatableNames"));
    return activatable.type() == QDBusMessage::ReplyMessage &&
           activatable.arguments().value(0).toStringList().contains(QString::fromLatin1(geoClueService));
}

} // namespace

QString PositioningLocationServices::defaultDesktopID() {
    return QStringLiteral(NIMBRA_APP_IDENTIFIER);
}

PositioningLocationServices::PositioningLocationServices(QString desktopID)
    : m_makeSource([desktopID] {
          return QGeoPositionInfoSource::createDefaultSource({{QStringLiteral("desktopId"), desktopID}},
                                                             nullptr);
      }),
      m_usesDefaultSource(true) {}

PositioningLocationServices::PositioningLocationServices(SourceFactory makeSource)
    : m_makeSource(std::move(makeSource)) {}

bool PositioningLocationServices::locationServicesEnabled() const {
    // Listing the sources loads every positioning plugin: done on the first question, not at every launch.
    if (m_usesDefaultSource && !m_defaultIsGeoClue)
        m_defaultIsGeoClue = QGeoPositionInfoSource::availableSources().contains(QStringLiteral("geoclue2"));
    return !m_defaultIsGeoClue.value_or(false) || geoClueReachable();
}

std::unique_ptr<LocationManager> PositioningLocationServices::makeManager() {
    return std::make_unique<PositioningLocationManager>(m_makeSource ? m_makeSource() : nullptr);
}

} // namespace nimbra
