#pragma once

#include "Clock.h"
#include "CurrentLocationService.h"
#include "Geocoder.h"
#include "HTTPSession.h"
#include "LocationManager.h"

#include <QTimer>

#include <chrono>
#include <coroutine>
#include <memory>
#include <optional>

namespace nimbra {

// The seams of the device's current-location service that the application leaves at their defaults.
struct CurrentLocationEnvironment {
    std::shared_ptr<const Clock> clock = Clock::system();
    // Nothing waits for ever: an open permission dialogue, a source that never answers or a stalled bus ends
    // as "unavailable" after this long.
    std::chrono::milliseconds fixTimeout{30'000};
    // A fix that cannot be named in time is still a fix: it goes on unnamed.
    std::chrono::milliseconds geocodeTimeout{10'000};
};

// Finds where the device is with one position fix of about a kilometre, handling the authorization dialogue
// on the way, and names it by reverse geocoding. At most one request is pending: a newer one cancels it.
// Lives on the main thread; the managers it creates report there.
class DeviceCurrentLocationService final : public CurrentLocationService {
    Q_OBJECT
public:
    static constexpr double desiredAccuracyMetres = 1000;
    static inline const QString unnamedPlaceName = QStringLiteral("Current Location");
    static inline const QString unnamedPlaceSubtitle = QStringLiteral("Current location");

    DeviceCurrentLocationService(std::shared_ptr<LocationServices> services,
                                 std::shared_ptr<Geocoder> geocoder,
                                 CurrentLocationEnvironment environment = {}, QObject* parent = nullptr);
    ~DeviceCurrentLocationService() override;

    // The service the application runs: Qt Positioning (GeoClue) and Nominatim over the shared session (at
    // geocoderBaseURL when one is given).
    static std::shared_ptr<DeviceCurrentLocationService> makeDefault(std::shared_ptr<HTTPSession> session,
                                                                     QUrl geocoderBaseURL = {});

    // One fix, then its name. Only the fix can fail; a place that cannot be named keeps its coordinates under
    // the unnamed texts.
    QCoro::Task<CurrentLocationResult> resolveCurrentLocation(QUuid existingID) override;
    // Stops the positioning request too.
    void cancelPendingRequest() override;

    static QString placeName(const std::optional<Placemark>& placemark);
    static QString placeSubtitle(const std::optional<Placemark>& placemark, const QString& name);

    bool isRequestPending() const { return m_pending != nullptr; }
    // The manager of the request in flight, if any.
    LocationManager* manager() const { return m_manager; }

private:
    struct FixOutcome {
        std::optional<LocationFix> fix;
        CurrentLocationResult failure;
    };
    struct PendingFix {
        std::coroutine_handle<> waiter;
        std::optional<FixOutcome> outcome;
    };
    // Suspends its caller until the pending request is finished, unless that already happened.
    struct FixAwaiter {
        std::shared_ptr<PendingFix> pending;
        bool await_ready() const noexcept { return pending->outcome.has_value(); }
        void await_suspend(std::coroutine_handle<> waiter) noexcept { pending->waiter = waiter; }
        FixOutcome await_resume() { return std::move(*pending->outcome); }
    };

    FixAwaiter requestCurrentCoordinate();
    void actOnAuthorization(LocationManager* manager, bool answered);
    void didUpdateLocations(LocationManager* manager, const QList<LocationFix>& locations);
    void finish(LocationFix location);
    void finish(CurrentLocationResult failure);
    void finish(CurrentLocationError error);
    void finishing();
    void replaceManager(LocationManager* manager);
    static void complete(const std::shared_ptr<PendingFix>& pending, FixOutcome outcome);

    std::shared_ptr<LocationServices> m_services;
    std::shared_ptr<Geocoder> m_geocoder;
    CurrentLocationEnvironment m_environment;
    QTimer m_fixTimer;
    LocationManager* m_manager = nullptr;
    std::shared_ptr<PendingFix> m_pending;
};

} // namespace nimbra
