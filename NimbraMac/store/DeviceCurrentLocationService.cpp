#include "DeviceCurrentLocationService.h"

#include "Cancellation.h"
#include "WeatherProviderCredentials.h"

#include <QStringList>
#include <QThread>

#include <utility>

namespace nimbra {
namespace {

CurrentLocationResult failure(CurrentLocationError error) {
    return {std::nullopt, errorDescription(error), error};
}

// Placemark fields may be present yet blank; a blank text names nothing.
std::optional<QString> named(const std::optional<QString>& text) {
    return text && !text->trimmed().isEmpty() ? text : std::nullopt;
}

} // namespace

DeviceCurrentLocationService::DeviceCurrentLocationService(std::shared_ptr<LocationServices> services,
                                                           std::shared_ptr<Geocoder> geocoder,
                                                           CurrentLocationEnvironment environment,
                                                           QObject* parent)
    : CurrentLocationService(parent), m_services(std::move(services)), m_geocoder(std::move(geocoder)),
      m_environment(std::move(environment)) {
    m_fixTimer.setSingleShot(true);
    connect(&m_fixTimer, &QTimer::timeout, this, [this] { finish(CurrentLocationError::unavailable); });
}

DeviceCurrentLocationService::~DeviceCurrentLocationService() {
    // A caller still waiting hears that the lookup ended; its coroutine must not stay suspended for ever.
    finish(CurrentLocationError::cancelled);
}

std::shared_ptr<DeviceCurrentLocationService>
DeviceCurrentLocationService::makeDefault(std::shared_ptr<HTTPSession> session, QUrl geocoderBaseURL) {
    return std::make_shared<DeviceCurrentLocationService>(
        std::make_shared<PositioningLocationServices>(),
        std::make_shared<NominatimGeocoder>(std::move(session), WeatherProviderCredentials::appUserAgent(),
                                            std::move(geocoderBaseURL)));
}

void DeviceCurrentLocationService::cancelPendingRequest() {
    if (m_pending)
        finish(CurrentLocationError::cancelled);
}

QCoro::Task<CurrentLocationResult> DeviceCurrentLocationService::resolveCurrentLocation(QUuid existingID) {
    Q_ASSERT(QThread::currentThread() == thread());
    // Copies for after the first suspension: the service may be gone by then, and this frame must not touch
    // it.
    const std::shared_ptr<Geocoder> geocoder = m_geocoder;
    const std::shared_ptr<const Clock> clock = m_environment.clock;
    const std::chrono::milliseconds geocodeTimeout = m_environment.geocodeTimeout;

    const FixOutcome outcome = co_await requestCurrentCoordinate();
    if (!outcome.fix)
        co_return outcome.failure;
    const LocationFix fix = *outcome.fix;

    std::optional<Placemark> placemark;
    if (geocoder) {
        const CancellationToken deadline = makeCancellation();
        QTimer::singleShot(geocodeTimeout, deadline.get(), [d = deadline.get()] { d->cancel(); });
        // A failed or late lookup only leaves the place unnamed.
        const ReverseGeocodeResult geocoded = co_await geocoder->reverseGeocodeLocation(fix, deadline);
        if (!geocoded.placemarks.isEmpty())
            placemark = geocoded.placemarks.first();
    }

    WeatherLocation location;
    location.id = existingID;
    location.name = placeName(placemark);
    location.subtitle = placeSubtitle(placemark, location.name);
    location.latitude = fix.latitude;
    location.longitude = fix.longitude;
    location.isCurrentLocation = true;
    location.allowsApproximateLocation = true;
    location.updatedAt = clock->now();
    co_return CurrentLocationResult{location, {}};
}

QString DeviceCurrentLocationService::placeName(const std::optional<Placemark>& placemark) {
    if (!placemark)
        return unnamedPlaceName;
    for (const auto* field :
         {&placemark->locality, &placemark->subAdministrativeArea, &placemark->administrativeArea}) {
        if (const auto name = named(*field))
            return *name;
    }
    return unnamedPlaceName;
}

QString DeviceCurrentLocationService::placeSubtitle(const std::optional<Placemark>& placemark,
                                                    const QString& name) {
    QStringList parts;
    if (placemark) {
        for (const auto* field : {&placemark->administrativeArea, &placemark->country}) {
            if (!*field)
                continue;
            const QString text = (*field)->trimmed();
            if (!text.isEmpty() && text != name && (parts.isEmpty() || parts.last() != text))
                parts.append(text);
        }
    }
    return parts.isEmpty() ? unnamedPlaceSubtitle : parts.join(QStringLiteral(", "));
}

DeviceCurrentLocationService::FixAwaiter DeviceCurrentLocationService::requestCurrentCoordinate() {
    Q_ASSERT(QThread::currentThread() == thread());
    // With the services off only this caller fails; a request already pending goes on waiting.
    if (!m_services->locationServicesEnabled()) {
        auto settled = std::make_shared<PendingFix>();
        settled->outcome = FixOutcome{std::nullopt, failure(CurrentLocationError::servicesDisabled)};
        return FixAwaiter{settled};
    }
    // A newer request wins. The cancelled caller runs on at once and may itself ask again, hence the loop.
    while (m_pending)
        complete(std::exchange(m_pending, nullptr), {std::nullopt, failure(CurrentLocationError::cancelled)});

    std::unique_ptr<LocationManager> made = m_services->makeManager();
    LocationManager* manager = made.release();
    replaceManager(manager);
    auto pending = std::make_shared<PendingFix>();
    // Stored before anything is asked of the manager: some answer from inside the request itself.
    m_pending = pending;
    m_fixTimer.start(m_environment.fixTimeout);
    if (manager) {
        manager->setDesiredAccuracy(desiredAccuracyMetres);
        actOnAuthorization(manager, false);
    } else {
        finish(CurrentLocationError::unavailable);
    }
    return FixAwaiter{pending};
}

void DeviceCurrentLocationService::replaceManager(LocationManager* manager) {
    if (m_manager) {
        // The replaced manager's late answers must not reach the newer request.
        disconnect(m_manager, nullptr, this, nullptr);
        m_manager->deleteLater();
    }
    m_manager = manager;
    if (!manager)
        return;
    manager->setParent(this);
    connect(manager, &LocationManager::didChangeAuthorization, this,
            [this, manager] { actOnAuthorization(manager, true); });
    connect(manager, &LocationManager::didUpdateLocations, this,
            [this, manager](const QList<LocationFix>& locations) { didUpdateLocations(manager, locations); });
    connect(manager, &LocationManager::didFailWithError, this, [this, manager](const QString& description) {
        if (manager == m_manager)
            finish(CurrentLocationResult{std::nullopt, description});
    });
}

void DeviceCurrentLocationService::actOnAuthorization(LocationManager* manager, bool answered) {
    if (manager != m_manager)
        return;
    switch (manager->authorizationStatus()) {
    case locationAuthorization::notDetermined:
        // Asked once; an answer of "not determined" means the dialogue is still open.
        if (!answered)
            manager->requestWhenInUseAuthorization();
        return;
    case locationAuthorization::restricted:
    case locationAuthorization::denied:
        finish(CurrentLocationError::permissionDenied);
        return;
    case locationAuthorization::authorizedAlways:
    case locationAuthorization::authorizedWhenInUse:
        manager->requestLocation();
        return;
    default:
        finish(CurrentLocationError::unavailable);
        return;
    }
}

void DeviceCurrentLocationService::didUpdateLocations(LocationManager* manager,
                                                      const QList<LocationFix>& locations) {
    if (manager != m_manager)
        return;
    // The newest sound reading counts; broken ones (not finite, off the globe) are dropped here, where they
    // enter.
    for (auto it = locations.crbegin(); it != locations.crend(); ++it) {
        if (it->isValid()) {
            finish(*it);
            return;
        }
    }
    finish(CurrentLocationError::unavailable);
}

void DeviceCurrentLocationService::finishing() {
    m_fixTimer.stop();
    if (!m_manager)
        return;
    LocationManager* manager = std::exchange(m_manager, nullptr);
    manager->stopUpdatingLocation();
    disconnect(manager, nullptr, this, nullptr);
    // Later: this may run inside one of the manager's own signals.
    manager->deleteLater();
}

void DeviceCurrentLocationService::finish(LocationFix location) {
    finishing();
    if (auto pending = std::exchange(m_pending, nullptr))
        complete(pending, {location, {}});
}

void DeviceCurrentLocationService::finish(CurrentLocationResult failure) {
    finishing();
    if (auto pending = std::exchange(m_pending, nullptr))
        complete(pending, {std::nullopt, std::move(failure)});
}

void DeviceCurrentLocationService::finish(CurrentLocationError error) {
    finish(failure(error));
}

void DeviceCurrentLocationService::complete(const std::shared_ptr<PendingFix>& pending, FixOutcome outcome) {
    pending->outcome = std::move(outcome);
    // Last of all: the resumed caller runs on right here and may start a new request.
    if (auto waiter = std::exchange(pending->waiter, {}))
        waiter.resume();
}

} // namespace nimbra
