#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QGeoPositionInfo;
class QGeoPositionInfoSource;

namespace nimbra {

// A latitude and longitude in degrees that name a point on Earth: finite, latitude within ±90, longitude
// within ±180. Anything else is a broken reading and must not reach a forecast request or the snapshot.
bool isValidCoordinate(double latitude, double longitude);

// One position fix.
struct LocationFix {
    double latitude = 0;
    double longitude = 0;

    bool operator==(const LocationFix&) const = default;
    bool isValid() const { return isValidCoordinate(latitude, longitude); }
};

// The application's permission to read the position, with the values the location service has always used.
// Managers report a plain int: a value outside these five is possible and means "unknown state".
namespace locationAuthorization {
constexpr int notDetermined = 0;
constexpr int restricted = 1;
constexpr int denied = 2;
constexpr int authorizedAlways = 3;
constexpr int authorizedWhenInUse = 4;
} // namespace locationAuthorization

// One-shot position requests with their authorization handling. Every answer arrives through a signal, on the
// thread the manager lives on; an answer may also arrive synchronously from inside the request that caused
// it.
class LocationManager : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~LocationManager() override = default;

    virtual int authorizationStatus() const = 0;
    // The accuracy the caller needs, in metres; coarser is cheaper and more private.
    virtual void setDesiredAccuracy(double metres) = 0;
    // Asks the user; the answer comes through didChangeAuthorization().
    virtual void requestWhenInUseAuthorization() = 0;
    // One delivery through didUpdateLocations() or one failure through didFailWithError().
    virtual void requestLocation() = 0;
    // No deliveries after this.
    virtual void stopUpdatingLocation() = 0;

Q_SIGNALS:
    void didChangeAuthorization();
    void didUpdateLocations(const QList<nimbra::LocationFix>& locations);
    // The text says what went wrong, for the user.
    void didFailWithError(const QString& description);
};

// The system's location services as a whole: whether they are switched on, and a fresh manager per request.
class LocationServices {
public:
    virtual ~LocationServices() = default;
    virtual bool locationServicesEnabled() const = 0;
    virtual std::unique_ptr<LocationManager> makeManager() = 0;
};

// A manager over one Qt Positioning source (GeoClue2 on Linux desktops). Qt has no separate permission step:
// GeoClue's agent asks the user when the position is first read, and a refusal arrives as an access error. So
// the manager reads as authorized until then, as denied after it, and as restricted when there is no source.
class PositioningLocationManager final : public LocationManager {
    Q_OBJECT
public:
    // Takes ownership of source, which may be null.
    explicit PositioningLocationManager(QGeoPositionInfoSource* source,
                                        std::chrono::milliseconds updateTimeout = std::chrono::seconds(30),
                                        QObject* parent = nullptr);
    ~PositioningLocationManager() override;

    int authorizationStatus() const override;
    void setDesiredAccuracy(double metres) override;
    void requestWhenInUseAuthorization() override;
    void requestLocation() override;
    void stopUpdatingLocation() override;

    QGeoPositionInfoSource* source() const { return m_source; }

private:
    void deliver(const QGeoPositionInfo& info);
    void fail(int error);

    QGeoPositionInfoSource* m_source; // owned (a child)
    std::chrono::milliseconds m_updateTimeout;
    bool m_accessDenied = false;
    bool m_stopped = true;
};

// Location services over Qt Positioning. The default makes each manager from Qt's default source with our
// desktop id, which GeoClue uses to keep the user's per-application decision.
class PositioningLocationServices final : public LocationServices {
public:
    using SourceFactory = std::function<QGeoPositionInfoSource*()>;

    static QString defaultDesktopID();

    explicit PositioningLocationServices(QString desktopID = defaultDesktopID());
    // Managers over the sources that `makeSource` returns; location services then count as enabled.
    explicit PositioningLocationServices(SourceFactory makeSource);

    bool locationServicesEnabled() const override;
    std::unique_ptr<LocationManager> makeManager() override;

private:
    SourceFactory m_makeSource;
    bool m_usesDefaultSource = false;
    // Whether Qt's default source is GeoClue's, so GeoClue's reachability decides; asked once, when first
    // needed.
    mutable std::optional<bool> m_defaultIsGeoClue;
};

} // namespace nimbra
