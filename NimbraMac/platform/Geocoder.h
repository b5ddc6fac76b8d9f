#pragma once

#include "Cancellation.h"
#include "HTTPSession.h"
#include "LocationManager.h"

#include <QList>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

namespace nimbra {

// What reverse geocoding says about a point: the names of the places that contain it, from small to large.
struct Placemark {
    std::optional<QString> locality;
    std::optional<QString> subAdministrativeArea;
    std::optional<QString> administrativeArea;
    std::optional<QString> country;

    bool operator==(const Placemark&) const = default;
};

struct ReverseGeocodeResult {
    QList<Placemark> placemarks;
    // Why there are no placemarks, when the lookup failed rather than found nothing.
    std::optional<QString> error;
};

// Names a position. Implementations finish soon after `cancel` fires, so callers can bound the wait.
class Geocoder {
public:
    virtual ~Geocoder() = default;
    virtual QCoro::Task<ReverseGeocodeResult> reverseGeocodeLocation(LocationFix location,
                                                                     CancellationToken cancel = {}) = 0;
};

// Reverse geocoding with OpenStreetMap's Nominatim, at city level and in the user's language. Nominatim's
// usage policy asks every client to name itself in the User-Agent.
class NominatimGeocoder final : public Geocoder {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{10'000};
    static QUrl defaultBaseURL();

    // An empty baseURL means the public service.
    NominatimGeocoder(std::shared_ptr<HTTPSession> session, QString userAgent, QUrl baseURL = {},
                      std::chrono::milliseconds timeout = defaultTimeout);

    QCoro::Task<ReverseGeocodeResult> reverseGeocodeLocation(LocationFix location,
                                                             CancellationToken cancel = {}) override;

    static QNetworkRequest reverseRequest(const QUrl& baseURL, LocationFix location, const QString& userAgent,
                                          const QString& language);
    // The placemarks of one answer; an HTTP or transport failure and an unreadable body give none and a
    // reason.
    static ReverseGeocodeResult result(const HTTPResponse& response);

private:
    std::shared_ptr<HTTPSession> m_session;
    QString m_userAgent;
    QUrl m_baseURL;
    std::chrono::milliseconds m_timeout;
};

} // namespace nimbra
